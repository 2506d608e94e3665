// Which Control key the native key events name, and what the tracker makes of a sequence of
// them.

#include <QKeyEvent>
#include <QtTest>

#include "app/left_control_key.h"

Q_DECLARE_METATYPE(ControlSide)

namespace {

struct KeyStep {
    QEvent::Type type;
    quint32 scanCode;
    bool autoRepeat;
};

}  // namespace

Q_DECLARE_METATYPE(QList<KeyStep>)

class LeftControlKeyTest : public QObject {
    Q_OBJECT

  private slots:
    void sideOfScanCode_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<ControlSide>("side");
        QTest::newRow("xcb left") << "xcb" << quint32{37} << ControlSide::Left;
        QTest::newRow("xcb right") << "xcb" << quint32{105} << ControlSide::Right;
        QTest::newRow("windows left") << "windows" << quint32{0x1D} << ControlSide::Left;
        QTest::newRow("windows right") << "windows" << quint32{0x11D} << ControlSide::Right;
        QTest::newRow("windows code on xcb") << "xcb" << quint32{0x1D} << ControlSide::Unknown;
        QTest::newRow("offscreen") << "offscreen" << quint32{37} << ControlSide::Unknown;
        QTest::newRow("wayland") << "wayland" << quint32{37} << ControlSide::Unknown;
    }
    void sideOfScanCode() {
        QFETCH(QString, platform);
        QFETCH(quint32, scanCode);
        QFETCH(ControlSide, side);
        QCOMPARE(ControlSideOf(platform, scanCode), side);
    }

    void trackerFollowsTheLeftKey_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QList<KeyStep>>("steps");
        QTest::addColumn<bool>("anyControlHeld");
        QTest::addColumn<bool>("leftHeld");
        const auto press = [](quint32 code) { return KeyStep{QEvent::KeyPress, code, false}; };
        const auto release = [](quint32 code) { return KeyStep{QEvent::KeyRelease, code, false}; };
        QTest::newRow("xcb left down") << "xcb" << QList<KeyStep>{press(37)} << true << true;
        QTest::newRow("xcb right down") << "xcb" << QList<KeyStep>{press(105)} << true << false;
        QTest::newRow("xcb left up again")
            << "xcb" << QList<KeyStep>{press(37), release(37)} << false << false;
        QTest::newRow("xcb right up, left still down")
            << "xcb" << QList<KeyStep>{press(37), press(105), release(105)} << true << true;
        QTest::newRow("xcb left up, right still down")
            << "xcb" << QList<KeyStep>{press(105), press(37), release(37)} << true << false;
        QTest::newRow("xcb auto-repeat release")
            << "xcb" << QList<KeyStep>{press(37), KeyStep{QEvent::KeyRelease, 37, true}} << true
            << true;
        // A press followed by no release while the keyboard says nothing is held: stale.
        QTest::newRow("xcb release missed") << "xcb" << QList<KeyStep>{press(37)} << false << false;
        QTest::newRow("windows left down")
            << "windows" << QList<KeyStep>{press(0x1D)} << true << true;
        QTest::newRow("windows right down")
            << "windows" << QList<KeyStep>{press(0x11D)} << true << false;
        QTest::newRow("offscreen any Control") << "offscreen" << QList<KeyStep>{} << true << true;
        QTest::newRow("offscreen none") << "offscreen" << QList<KeyStep>{} << false << false;
    }
    void trackerFollowsTheLeftKey() {
        QFETCH(QString, platform);
        QFETCH(QList<KeyStep>, steps);
        QFETCH(bool, anyControlHeld);
        QFETCH(bool, leftHeld);
        ControlKeyTracker tracker(platform);
        QObject target;
        for (const KeyStep& step : steps) {
            QKeyEvent event(step.type, Qt::Key_Control, Qt::ControlModifier, step.scanCode, 0, 0,
                            QString(), step.autoRepeat);
            QCoreApplication::sendEvent(&target, &event);
        }
        QCOMPARE(tracker.LeftControlHeld(anyControlHeld), leftHeld);
    }

    // Losing the keyboard to another program forgets the key: its release goes elsewhere.
    void deactivationForgetsTheKey() {
        ControlKeyTracker tracker(QStringLiteral("xcb"));
        QObject target;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 37, 0, 0);
        QCoreApplication::sendEvent(&target, &press);
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QCoreApplication::sendEvent(qApp, &deactivate);
        QVERIFY(!tracker.LeftControlHeld(true));
    }
};

QTEST_MAIN(LeftControlKeyTest)
#include "left_control_key_test.moc"
