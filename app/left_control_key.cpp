#include "app/left_control_key.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

namespace {

// Native scan codes of the left Control key: the X keycode on xcb, the set-1 scan code on
// Windows (where the right key carries the extended bit, 0x11D).
constexpr quint32 kXcbLeftControl = 37;
constexpr quint32 kXcbRightControl = 105;
constexpr quint32 kWindowsLeftControl = 0x1D;
constexpr quint32 kWindowsRightControl = 0x11D;

LeftControlProbe& CurrentProbe() {
    static LeftControlProbe probe;
    return probe;
}

}  // namespace

ControlSide ControlSideOf(const QString& platformName, quint32 nativeScanCode) {
    if (platformName == QLatin1String("xcb")) {
        if (nativeScanCode == kXcbLeftControl) {
            return ControlSide::Left;
        }
        if (nativeScanCode == kXcbRightControl) {
            return ControlSide::Right;
        }
    } else if (platformName == QLatin1String("windows")) {
        if (nativeScanCode == kWindowsLeftControl) {
            return ControlSide::Left;
        }
        if (nativeScanCode == kWindowsRightControl) {
            return ControlSide::Right;
        }
    }
    return ControlSide::Unknown;
}

ControlKeyTracker::ControlKeyTracker(QString platformName, QObject* parent)
    : QObject(parent), platform(std::move(platformName)) {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
    }
}

ControlKeyTracker::~ControlKeyTracker() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

bool ControlKeyTracker::LeftControlHeld(bool anyControlHeld) const {
    if (!anyControlHeld) {
        return false;
    }
    const bool sidesKnown =
        platform == QLatin1String("xcb") || platform == QLatin1String("windows");
    return sidesKnown ? leftDown : true;
}

bool ControlKeyTracker::eventFilter(QObject* watched, QEvent* event) {
    // Every key event passes each widget it propagates through; the flag only follows it.
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* key = static_cast<const QKeyEvent*>(event);
            if (key->key() == Qt::Key_Control && !key->isAutoRepeat() &&
                ControlSideOf(platform, key->nativeScanCode()) == ControlSide::Left) {
                leftDown = event->type() == QEvent::KeyPress;
            }
            break;
        }
        case QEvent::ApplicationDeactivate:
            // A release while another program has the keyboard never reaches us.
            leftDown = false;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

bool IsLeftControlHeld(const ControlKeyTracker& tracker) {
    if (CurrentProbe()) {
        return CurrentProbe()();
    }
    const bool anyControl = (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
    return tracker.LeftControlHeld(anyControl);
}

LeftControlProbe SetLeftControlProbe(LeftControlProbe probe) {
    return std::exchange(CurrentProbe(), std::move(probe));
}
