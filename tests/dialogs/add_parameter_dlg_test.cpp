// "Add Parameters" driven as a user would: typed text, clicks, Enter and Escape.

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "dialog_test_support.h"
#include "dialogs/add_parameter_dlg.h"
#include "params/mass_range.h"
#include "res/resource_ids.h"
#include "res/template_builder.h"

using params::CMassRange;
using params::MakeMassRange;

Q_DECLARE_METATYPE(CMassRange)

namespace {

// The six edits in the order of the dialog's data exchange.
const int kFieldIds[] = {IDC_FUNCTION,    IDC_LOW_MASS,     IDC_HIGH_MASS,
                         IDC_MASS_DEFECT, IDC_WINDOW_ABOVE, IDC_WINDOW_BELOW};

QLineEdit* Edit(QWidget& dialog, int id) {
    return dialog.findChild<QLineEdit*>(ControlObjectName(id));
}

QStringList FieldTexts(QWidget& dialog) {
    QStringList texts;
    for (int id : kFieldIds) {
        texts.append(Edit(dialog, id)->text());
    }
    return texts;
}

const QString kOk = QStringLiteral("IDOK");
const QString kCancel = QStringLiteral("IDCANCEL");

}  // namespace

class AddParameterDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { VerifyNoTopLevelWindows(); }

    void opensWithTheRuleAndFocusOnFunction_data() {
        QTest::addColumn<CMassRange>("rule");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("default rule") << CMassRange() << QStringList{"1", "0", "0", "0", "0", "0"};
        QTest::newRow("copied row") << MakeMassRange(10, 200, 800, 0.1235, 40, 30)
                                    << QStringList{"10", "200", "800", "0.1235", "40", "30"};
    }
    void opensWithTheRuleAndFocusOnFunction() {
        QFETCH(CMassRange, rule);
        QFETCH(QStringList, texts);
        CAddParameterDlg dialog(nullptr, &rule);
        WhileModal([&](QDialog& shown) {
            QCOMPARE(&shown, &dialog);
            QCOMPARE(FieldTexts(dialog), texts);
            QCOMPARE(dialog.focusWidget(), Edit(dialog, IDC_FUNCTION));
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    // One field typed on a default rule, then OK: accepted values fill the rule and close the
    // dialog; a refused field shows exactly one message, keeps the dialog open with the focus
    // on that field, and leaves the rule as it was.
    void validatesEachField_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");  // empty when accepted
        QTest::addColumn<CMassRange>("filled");
        const QString integer = QStringLiteral("Please enter an integer.");
        const QString number = QStringLiteral("Please enter a number.");
        const QString function = QStringLiteral("Please enter an integer between 0 and 1000.");
        const QString mass = QStringLiteral("Please enter an integer between 0 and 150000.");
        const CMassRange none;
        QTest::newRow("function 1000") << IDC_FUNCTION << "1000"
                                       << "" << MakeMassRange(1000, 0, 0, 0, 0, 0);
        QTest::newRow("function 0") << IDC_FUNCTION << "0"
                                    << "" << MakeMassRange(0, 0, 0, 0, 0, 0);
        QTest::newRow("function 1001") << IDC_FUNCTION << "1001" << function << none;
        QTest::newRow("function empty") << IDC_FUNCTION << "" << integer << none;
        // Only digits can be typed into the number fields.
        QTest::newRow("function minus ignored") << IDC_FUNCTION << "-5"
                                                << "" << MakeMassRange(5, 0, 0, 0, 0, 0);
        QTest::newRow("function letters ignored") << IDC_FUNCTION << "1a2"
                                                  << "" << MakeMassRange(12, 0, 0, 0, 0, 0);
        QTest::newRow("low 150000") << IDC_LOW_MASS << "150000"
                                    << "" << MakeMassRange(1, 150000, 0, 0, 0, 0);
        QTest::newRow("low 150001") << IDC_LOW_MASS << "150001" << mass << none;
        QTest::newRow("low empty") << IDC_LOW_MASS << "" << integer << none;
        QTest::newRow("low 99999999999") << IDC_LOW_MASS << "99999999999" << mass << none;
        QTest::newRow("low 4294967296") << IDC_LOW_MASS << "4294967296" << mass << none;
        QTest::newRow("high 150000") << IDC_HIGH_MASS << "150000"
                                     << "" << MakeMassRange(1, 0, 150000, 0, 0, 0);
        QTest::newRow("high 150001") << IDC_HIGH_MASS << "150001" << mass << none;
        QTest::newRow("above 150000") << IDC_WINDOW_ABOVE << "150000"
                                      << "" << MakeMassRange(1, 0, 0, 0, 150000, 0);
        QTest::newRow("above 150001") << IDC_WINDOW_ABOVE << "150001" << mass << none;
        QTest::newRow("below 150000") << IDC_WINDOW_BELOW << "150000"
                                      << "" << MakeMassRange(1, 0, 0, 0, 0, 150000);
        QTest::newRow("below 150001") << IDC_WINDOW_BELOW << "150001" << mass << none;
        QTest::newRow("below empty") << IDC_WINDOW_BELOW << "" << integer << none;
        QTest::newRow("defect 0.3650") << IDC_MASS_DEFECT << "0.3650"
                                       << "" << MakeMassRange(1, 0, 0, 0.365, 0, 0);
        QTest::newRow("defect negative") << IDC_MASS_DEFECT << "-0.2"
                                         << "" << MakeMassRange(1, 0, 0, -0.2, 0, 0);
        QTest::newRow("defect above 1") << IDC_MASS_DEFECT << "1.5"
                                        << "" << MakeMassRange(1, 0, 0, 1.5, 0, 0);
        QTest::newRow("defect blanks") << IDC_MASS_DEFECT << " 0.25 "
                                       << "" << MakeMassRange(1, 0, 0, 0.25, 0, 0);
        QTest::newRow("defect empty") << IDC_MASS_DEFECT << "" << number << none;
        QTest::newRow("defect letters") << IDC_MASS_DEFECT << "abc" << number << none;
        QTest::newRow("defect trailing") << IDC_MASS_DEFECT << "0.3x" << number << none;
        QTest::newRow("defect nan") << IDC_MASS_DEFECT << "nan" << number << none;
        QTest::newRow("defect inf") << IDC_MASS_DEFECT << "inf" << number << none;
        QTest::newRow("defect 1e400") << IDC_MASS_DEFECT << "1e400" << number << none;
        QTest::newRow("defect hexadecimal") << IDC_MASS_DEFECT << "0x1p-2" << number << none;
    }
    void validatesEachField() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(CMassRange, filled);
        const bool accepted = message.isEmpty();
        MessageCapture messages;
        CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        WhileModal([&](QDialog&) {
            TypeInto(Edit(dialog, field), typed);
            ClickButton(dialog, kOk);
            if (accepted) {
                QVERIFY(!dialog.isVisible());
                return;
            }
            QCOMPARE(messages.Texts(), QStringList{message});
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.focusWidget(), Edit(dialog, field));
            QCOMPARE(Edit(dialog, field)->selectedText(), Edit(dialog, field)->text());
            QVERIFY(rule == CMassRange());
            ClickButton(dialog, kCancel);
        });
        QCOMPARE(dialog.DoModal(), accepted ? IDOK : IDCANCEL);
        QVERIFY(rule == filled);
        if (accepted) {
            QVERIFY(messages.Texts().isEmpty());
        }
    }

    // Two bad fields: each OK reports only the first of them, in exchange order.
    // Regression: the box took the executable's name ("brevanto") as its caption. A real box
    // is shown here, over the dialog and modal, and answered with Return.
    void validationMessageIsTitledBrevanto() {
        CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        QString caption;
        QWidget* owner = nullptr;
        WhileModal([&](QDialog&) {
            TypeInto(Edit(dialog, IDC_MASS_DEFECT), QStringLiteral("nan"));
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box != nullptr) {
                    caption = box->windowTitle();
                    owner = box->parentWidget();
                    QTest::keyClick(box, Qt::Key_Return);
                }
            });
            ClickButton(dialog, kOk);
            QVERIFY(dialog.isVisible());
            dialog.reject();
        });
        dialog.DoModal();
        QCOMPARE(caption, QStringLiteral("Brevanto"));
        QCOMPARE(owner, static_cast<QWidget*>(&dialog));
        QCOMPARE(rule, CMassRange());
    }

    void reportsOnlyTheFirstFailingField() {
        MessageCapture messages;
        CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        WhileModal([&](QDialog&) {
            TypeInto(Edit(dialog, IDC_FUNCTION), QStringLiteral("1001"));
            TypeInto(Edit(dialog, IDC_WINDOW_BELOW), QStringLiteral("150001"));
            ClickButton(dialog, kOk);
            QCOMPARE(messages.Texts(), QStringList{"Please enter an integer between 0 and 1000."});
            QCOMPARE(dialog.focusWidget(), Edit(dialog, IDC_FUNCTION));

            messages.Clear();
            // The field has the focus with its text selected, so typing replaces it.
            QTest::keyClicks(dialog.focusWidget(), QStringLiteral("1000"));
            ClickButton(dialog, kOk);
            QCOMPARE(messages.Texts(),
                     QStringList{"Please enter an integer between 0 and 150000."});
            QCOMPARE(dialog.focusWidget(), Edit(dialog, IDC_WINDOW_BELOW));
            QVERIFY(rule == CMassRange());

            messages.Clear();
            QTest::keyClicks(dialog.focusWidget(), QStringLiteral("150000"));
            ClickButton(dialog, kOk);
            QVERIFY(messages.Texts().isEmpty());
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(rule == MakeMassRange(1000, 0, 0, 0, 0, 150000));
    }

    // All six fields typed, low above high, OK by Enter in the last field.
    void enterAcceptsAWholeRule() {
        MessageCapture messages;
        CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        const QStringList typed{"7", "500", "100", "0.3650", "20", "30"};
        WhileModal([&](QDialog&) {
            for (int i = 0; i < typed.size(); ++i) {
                TypeInto(Edit(dialog, kFieldIds[i]), typed[i]);
            }
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(messages.Texts().isEmpty());
        QVERIFY(rule == MakeMassRange(7, 500, 100, 0.365, 20, 30));
    }

    // Tab goes through the fields in exchange order and on to OK and Cancel.
    void tabWalksTheFieldsInOrder() {
        CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        WhileModal([&](QDialog&) {
            QStringList walked{dialog.focusWidget()->objectName()};
            for (int i = 0; i < 7; ++i) {
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                walked.append(dialog.focusWidget()->objectName());
            }
            QCOMPARE(walked,
                     (QStringList{"control1022", "control1009", "control1012", "control1018",
                                  "control1010", "control1011", "IDOK", "IDCANCEL"}));
            ClickButton(dialog, kCancel);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    void cancelLeavesTheRule_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelLeavesTheRule() {
        QFETCH(bool, escape);
        const CMassRange before = MakeMassRange(4, 10, 20, 0.5, 1, 2);
        CMassRange rule = before;
        CAddParameterDlg dialog(nullptr, &rule);
        WhileModal([&](QDialog&) {
            for (int id : kFieldIds) {
                TypeInto(Edit(dialog, id), QStringLiteral("9"));
            }
            if (escape) {
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
            } else {
                ClickButton(dialog, kCancel);
            }
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
        QVERIFY(rule == before);
    }

    // Without the capture, the refusal is a real warning box; answering it returns to the
    // dialog with the focus on the refused field.
    void refusalShowsAWarningBox() {
        CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        QString shownText;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        WhileModal([&](QDialog&) {
            TypeInto(Edit(dialog, IDC_FUNCTION), QStringLiteral("1001"));
            WhileModal([&](QDialog& box) {
                auto* messageBox = qobject_cast<QMessageBox*>(&box);
                QVERIFY(messageBox != nullptr);
                shownText = messageBox->text();
                shownIcon = messageBox->icon();
                QTest::mouseClick(messageBox->button(QMessageBox::Ok), Qt::LeftButton);
            });
            ClickButton(dialog, kOk);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.focusWidget(), Edit(dialog, IDC_FUNCTION));
            ClickButton(dialog, kCancel);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
        QCOMPARE(shownText, QStringLiteral("Please enter an integer between 0 and 1000."));
        QCOMPARE(shownIcon, QMessageBox::Warning);
    }

    void okWithoutARuleJustCloses() {
        CAddParameterDlg dialog(nullptr, nullptr);
        WhileModal([&](QDialog&) {
            QCOMPARE(FieldTexts(dialog), (QStringList{"1", "0", "0", "0", "0", "0"}));
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
    }
};

BREVANTO_DIALOG_TEST_MAIN(AddParameterDlgTest)
#include "add_parameter_dlg_test.moc"
