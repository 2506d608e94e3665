// Layout of every dialog template: the mapping from dialog units to pixels, and the widgets
// that the builder (and the two parameter dialogs built on it) make from each template.

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "dialog_test_support.h"
#include "dialogs/add_parameter_dlg.h"
#include "dialogs/parameters_dlg.h"
#include "params/mass_range.h"
#include "params/mass_range_list.h"
#include "res/add_parameter_dialog_template.h"
#include "res/dialog_units.h"
#include "res/main_dialog_template.h"
#include "res/parameters_dialog_template.h"
#include "res/progress_dialog_template.h"
#include "res/template_builder.h"

Q_DECLARE_METATYPE(const DialogTemplate*)

namespace {

// The dialogs as the program builds them: the two parameter dialogs through their own
// classes, the others as a bare QDialog laid out from their template.
std::unique_ptr<QDialog> MakeDialog(const DialogTemplate& dialogTemplate) {
    static params::CMassRange rule;
    static params::CMassRangeList list;
    if (&dialogTemplate == &kParametersDialogTemplate) {
        return std::make_unique<CParametersDlg>(nullptr, &list);
    }
    if (&dialogTemplate == &kAddParameterDialogTemplate) {
        return std::make_unique<CAddParameterDlg>(nullptr, &rule);
    }
    auto dialog = std::make_unique<QDialog>();
    BuildDialogFromTemplate(*dialog, dialogTemplate);
    return dialog;
}

void AddTemplateRows() {
    QTest::addColumn<const DialogTemplate*>("dialogTemplate");
    QTest::newRow("102 main") << &kMainDialogTemplate;
    QTest::newRow("130 parameters") << &kParametersDialogTemplate;
    QTest::newRow("131 progress") << &kProgressDialogTemplate;
    QTest::newRow("132 add parameter") << &kAddParameterDialogTemplate;
}

QString CaptionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    return {};
}

}  // namespace

class DialogLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { VerifyNoTopLevelWindows(); }

    void mulDivRoundsHalfAwayFromZero_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("numerator");
        QTest::addColumn<int>("denominator");
        QTest::addColumn<int>("expected");
        QTest::newRow("exact") << 8 << 6 << 4 << 12;
        QTest::newRow("below half") << 5 << 13 << 8 << 8;      // 8.125
        QTest::newRow("half") << 4 << 13 << 8 << 7;            // 6.5
        QTest::newRow("above half") << 3 << 13 << 8 << 5;      // 4.875
        QTest::newRow("negative half") << -2 << 7 << 4 << -4;  // -3.5
        QTest::newRow("negative divisor") << 2 << 7 << -4 << -4;
        QTest::newRow("no 32-bit overflow") << 1000000000 << 3 << 2 << 1500000000;
        QTest::newRow("zero divisor") << 5 << 6 << 0 << -1;
    }
    void mulDivRoundsHalfAwayFromZero() {
        QFETCH(int, value);
        QFETCH(int, numerator);
        QFETCH(int, denominator);
        QFETCH(int, expected);
        QCOMPARE(MulDiv(value, numerator, denominator), expected);
    }

    void dialogUnitsScaleByQuarterAndEighth() {
        const DialogBaseUnits units{6, 13};
        QCOMPARE(MapDialogRect(QRect(190, 210, 50, 14), units), QRect(285, 341, 75, 23));
        QCOMPARE(MapDialogSize(QSize(307, 231), units), QSize(461, 375));
    }

    void baseUnitsComeFromTheDialogFont() {
        const QFont font = DialogFont();
        QCOMPARE(font.pointSize(), 8);
        const DialogBaseUnits units = BaseUnitsOf(font);
        const QFontMetrics metrics(font);
        // The average letter, not the widest or the narrowest one.
        QVERIFY(units.width > metrics.horizontalAdvance(QLatin1Char('i')));
        QVERIFY(units.width < metrics.horizontalAdvance(QLatin1Char('W')));
        QCOMPARE(units.height, metrics.height());
    }

    void controlsSitAtTheirTemplateRectangles_data() { AddTemplateRows(); }
    void controlsSitAtTheirTemplateRectangles() {
        QFETCH(const DialogTemplate*, dialogTemplate);
        const DialogBaseUnits units = BaseUnitsOf(DialogFont());
        const std::unique_ptr<QDialog> dialog = MakeDialog(*dialogTemplate);
        dialog->show();
        QCOMPARE(dialog->size(),
                 MapDialogSize(QSize(dialogTemplate->width, dialogTemplate->height), units));
        for (std::size_t i = 0; i < dialogTemplate->controls.size(); ++i) {
            const ControlTemplate& control = dialogTemplate->controls[i];
            const QString name = ControlObjectName(control, i);
            auto* widget = dialog->findChild<QWidget*>(name);
            QVERIFY2(widget != nullptr, qPrintable(name));
            const QRect expected =
                MapDialogRect(QRect(control.x, control.y, control.width, control.height), units);
            QVERIFY2(widget->geometry() == expected, qPrintable(name));
            QCOMPARE(CaptionOf(widget), QString::fromLatin1(control.caption));
        }
        QCOMPARE(dialog->windowTitle(), QString::fromLatin1(dialogTemplate->caption));
    }

    void objectNamesAreUniqueAndKnown() {
        QCOMPARE(ControlObjectName(kParametersDialogControls[0], 0), QStringLiteral("control1016"));
        QCOMPARE(ControlObjectName(kParametersDialogControls[3], 3), QStringLiteral("IDOK"));
        QCOMPARE(ControlObjectName(kAddParameterDialogControls[2], 2), QStringLiteral("static2"));
        QCOMPARE(ControlObjectName(kMainDialogControls[6], 6), QStringLiteral("IDC_ADD"));
        for (const DialogTemplate* dialogTemplate :
             {&kMainDialogTemplate, &kParametersDialogTemplate, &kProgressDialogTemplate,
              &kAddParameterDialogTemplate}) {
            QSet<QString> names;
            for (std::size_t i = 0; i < dialogTemplate->controls.size(); ++i) {
                names.insert(ControlObjectName(dialogTemplate->controls[i], i));
            }
            QCOMPARE(static_cast<std::size_t>(names.size()), dialogTemplate->controls.size());
        }
    }

    // Tab walks the tab stops in template order and comes back to the first one.
    void tabOrderFollowsTheTemplate_data() { AddTemplateRows(); }
    void tabOrderFollowsTheTemplate() {
        QFETCH(const DialogTemplate*, dialogTemplate);
        const std::unique_ptr<QDialog> dialog = MakeDialog(*dialogTemplate);
        QStringList expected;
        for (std::size_t i = 0; i < dialogTemplate->controls.size(); ++i) {
            if ((dialogTemplate->controls[i].styles & kTabStop) != 0) {
                expected.append(ControlObjectName(dialogTemplate->controls[i], i));
            }
        }
        if (expected.isEmpty()) {
            QSKIP("no tab stops in this template");
        }
        QStringList walked;
        QWidget* widget = dialog->findChild<QWidget*>(expected.front());
        QVERIFY(widget != nullptr);
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
                walked.append(widget->objectName());
            }
            widget = widget->nextInFocusChain();
        } while (widget != nullptr && walked.size() <= expected.size() &&
                 widget->objectName() != expected.front());
        QCOMPARE(walked, expected);
    }

    void onlyTheDefaultButtonIsDefault_data() { AddTemplateRows(); }
    void onlyTheDefaultButtonIsDefault() {
        QFETCH(const DialogTemplate*, dialogTemplate);
        const std::unique_ptr<QDialog> dialog = MakeDialog(*dialogTemplate);
        for (std::size_t i = 0; i < dialogTemplate->controls.size(); ++i) {
            const ControlTemplate& control = dialogTemplate->controls[i];
            if (control.kind == ControlKind::PushButton) {
                auto* button = dialog->findChild<QPushButton*>(ControlObjectName(control, i));
                QVERIFY(button != nullptr);
                QCOMPARE(button->isDefault(), (control.styles & kDefaultButton) != 0);
            }
        }
    }

    // A caption but no system menu: nothing to close, minimise or maximise the dialog with.
    void titleBarHasNoButtons_data() { AddTemplateRows(); }
    void titleBarHasNoButtons() {
        QFETCH(const DialogTemplate*, dialogTemplate);
        const std::unique_ptr<QDialog> dialog = MakeDialog(*dialogTemplate);
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        for (Qt::WindowType hint : {Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint,
                                    Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint}) {
            QVERIFY(!flags.testFlag(hint));
        }
    }
};

BREVANTO_DIALOG_TEST_MAIN(DialogLayoutTest)
#include "dialog_layout_test.moc"
