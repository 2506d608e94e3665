#pragma once

#include <QObject>
#include <QString>
#include <functional>

// "Add..." with the left Control key held reads a list file; the right Control key does not
// count. Qt reports both as Key_Control, so the side comes from the native scan code of the
// key events, where the platform has one that tells the sides apart (X11 and Windows); on
// other platforms (offscreen, Wayland) any Control key counts.

enum class ControlSide { Left, Right, Unknown };

// The side a Control key event with this native scan code stands for on `platformName`
// (QGuiApplication::platformName()).
ControlSide ControlSideOf(const QString& platformName, quint32 nativeScanCode);

// Follows the Control key events of the whole application to know whether the left one is
// down. It must be installed before the key is pressed, so the main dialog owns one.
class ControlKeyTracker : public QObject {
    Q_OBJECT

  public:
    explicit ControlKeyTracker(QString platformName, QObject* parent = nullptr);
    ~ControlKeyTracker() override;

    // Whether the left Control key counts as held, given whether any Control key is held now.
    bool LeftControlHeld(bool anyControlHeld) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString platform;
    bool leftDown = false;
};

// Whether the left Control key is held at this moment, as `tracker` and the keyboard state
// tell. A probe installed for tests answers instead.
bool IsLeftControlHeld(const ControlKeyTracker& tracker);

// Installs `probe` in place of the keyboard (an empty one restores it) and returns the one it
// replaces.
using LeftControlProbe = std::function<bool()>;
LeftControlProbe SetLeftControlProbe(LeftControlProbe probe);
