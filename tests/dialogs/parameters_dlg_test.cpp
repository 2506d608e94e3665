// "Edit Parameters" driven as a user would, with the add dialog answered inside its own
// modal loop.

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <vector>

#include "dialog_test_support.h"
#include "dialogs/add_parameter_dlg.h"
#include "dialogs/parameters_dlg.h"
#include "params/mass_range.h"
#include "params/mass_range_list.h"
#include "res/resource_ids.h"
#include "res/template_builder.h"

using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;

namespace {

// A rule of `function` whose other values default to those of a new rule.
CMassRange RuleOf(std::int32_t function, std::uint32_t low = 0, std::uint32_t high = 0,
                  double defect = 0.0, std::uint32_t above = 0, std::uint32_t below = 0) {
    return MakeMassRange(function, low, high, defect, above, below);
}

CMassRangeList ListOf(const std::vector<CMassRange>& rules) {
    CMassRangeList list;
    for (const CMassRange& rule : rules) {
        list.AddEntry(rule);
    }
    return list;
}

std::vector<CMassRange> EntriesOf(const CMassRangeList& list) {
    std::vector<CMassRange> entries;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
        CMassRange rule;
        list.GetEntry(i, rule);
        entries.push_back(rule);
    }
    return entries;
}

QTreeWidget* List(QWidget& dialog) {
    return dialog.findChild<QTreeWidget*>(ControlObjectName(IDC_PARAMETER_LIST));
}

QPushButton* RemoveButton(QWidget& dialog) {
    return dialog.findChild<QPushButton*>(ControlObjectName(IDC_REMOVE_PARAMETER));
}

QStringList Column(QWidget& dialog, int column) {
    QStringList texts;
    QTreeWidget* list = List(dialog);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        texts.append(list->topLevelItem(row)->text(column));
    }
    return texts;
}

QStringList Row(QWidget& dialog, int row) {
    QStringList texts;
    for (int column = 0; column < 5; ++column) {
        texts.append(List(dialog)->topLevelItem(row)->text(column));
    }
    return texts;
}

QStringList AddDialogFields(QWidget& dialog) {
    QStringList texts;
    for (int id : {IDC_FUNCTION, IDC_LOW_MASS, IDC_HIGH_MASS, IDC_MASS_DEFECT, IDC_WINDOW_ABOVE,
                   IDC_WINDOW_BELOW}) {
        texts.append(dialog.findChild<QLineEdit*>(ControlObjectName(id))->text());
    }
    return texts;
}

const QString kAdd = ControlObjectName(IDC_ADD_PARAMETER);
const QString kRemove = ControlObjectName(IDC_REMOVE_PARAMETER);
const QString kOk = QStringLiteral("IDOK");
const QString kCancel = QStringLiteral("IDCANCEL");

}  // namespace

class ParametersDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { VerifyNoTopLevelWindows(); }

    void emptyListShowsFiveColumns() {
        CMassRangeList list;
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            QTreeWidget* view = List(dialog);
            QCOMPARE(view->topLevelItemCount(), 0);
            QCOMPARE(view->columnCount(), 5);
            QStringList headings;
            for (int column = 0; column < 5; ++column) {
                headings.append(view->headerItem()->text(column));
                QCOMPARE(view->columnWidth(column), view->viewport()->width() / 5);
            }
            QCOMPARE(headings, (QStringList{"Function", "Mass Range", "Mass Defect", "Window Above",
                                            "Window Below"}));
            QVERIFY(!view->header()->sectionsClickable());
            QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
            QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
            QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
            QVERIFY(!RemoveButton(dialog)->isEnabled());
            QCOMPARE(dialog.focusWidget()->objectName(), kAdd);
            ClickButton(dialog, kCancel);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    // Rows sort by their function text, and OK writes them back in that order.
    void rowsFollowTheFunctionText() {
        CMassRangeList list =
            ListOf({RuleOf(10, 100, 200), RuleOf(2, 300, 400), RuleOf(1, 500, 600)});
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            QCOMPARE(Column(dialog, 0), (QStringList{"1", "10", "2"}));
            QCOMPARE(Column(dialog, 1), (QStringList{"500 to 600", "100 to 200", "300 to 400"}));
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        const std::vector<CMassRange> expected{RuleOf(1, 500, 600), RuleOf(10, 100, 200),
                                               RuleOf(2, 300, 400)};
        QVERIFY(EntriesOf(list) == expected);
    }

    // The list passes through the row texts on OK: the mass defect comes back rounded.
    void okRoundsTheMassDefect() {
        CMassRangeList list = ListOf({RuleOf(3, 100, 900, 0.123456, 25, 50)});
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            QCOMPARE(Row(dialog, 0), (QStringList{"3", "100 to 900", "0.1235", "25", "50"}));
            // Enter presses OK wherever the focus is, here in the list.
            List(dialog)->setFocus();
            QTest::keyClick(List(dialog), Qt::Key_Return);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(EntriesOf(list) == std::vector<CMassRange>{RuleOf(3, 100, 900, 0.1235, 25, 50)});
    }

    void addCopiesTheSelectedRow() {
        CMassRangeList list =
            ListOf({RuleOf(5, 10, 20, 0.5, 1, 2), RuleOf(3, 100, 900, 0.123456, 25, 50)});
        CParametersDlg dialog(nullptr, &list);
        QStringList offered;
        WhileModal([&](QDialog&) {
            ClickRow(List(dialog), 0);
            QVERIFY(RemoveButton(dialog)->isEnabled());
            WhileModal([&](QDialog& add) {
                QVERIFY(qobject_cast<CAddParameterDlg*>(&add) != nullptr);
                offered = AddDialogFields(add);
                ClickButton(add, kOk);
            });
            ClickButton(dialog, kAdd);
            QCOMPARE(Column(dialog, 0), (QStringList{"3", "3", "5"}));
            QCOMPARE(Row(dialog, 1), Row(dialog, 0));
            // The selection stays on the row that was copied.
            QCOMPARE(List(dialog)->selectedItems(),
                     QList<QTreeWidgetItem*>{List(dialog)->topLevelItem(0)});
            QVERIFY(RemoveButton(dialog)->isEnabled());
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QCOMPARE(offered, (QStringList{"3", "100", "900", "0.1235", "25", "50"}));
        const std::vector<CMassRange> expected{RuleOf(3, 100, 900, 0.1235, 25, 50),
                                               RuleOf(3, 100, 900, 0.1235, 25, 50),
                                               RuleOf(5, 10, 20, 0.5, 1, 2)};
        QVERIFY(EntriesOf(list) == expected);
    }

    // With no row selected the add dialog starts from a default rule; a new rule for an
    // existing function goes after the rows with that function, and both are kept.
    void addWithoutSelectionStartsFromDefaults() {
        CMassRangeList list = ListOf({RuleOf(2, 1, 2), RuleOf(20, 3, 4)});
        CParametersDlg dialog(nullptr, &list);
        QStringList offered;
        WhileModal([&](QDialog&) {
            QVERIFY(List(dialog)->selectedItems().isEmpty());
            WhileModal([&](QDialog& add) {
                offered = AddDialogFields(add);
                TypeInto(add.findChild<QLineEdit*>(ControlObjectName(IDC_FUNCTION)),
                         QStringLiteral("2"));
                TypeInto(add.findChild<QLineEdit*>(ControlObjectName(IDC_LOW_MASS)),
                         QStringLiteral("7"));
                QTest::keyClick(add.focusWidget(), Qt::Key_Return);
            });
            ClickButton(dialog, kAdd);
            QCOMPARE(Column(dialog, 1), (QStringList{"1 to 2", "7 to 0", "3 to 4"}));
            QVERIFY(!RemoveButton(dialog)->isEnabled());
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QCOMPARE(offered, (QStringList{"1", "0", "0", "0", "0", "0"}));
        const std::vector<CMassRange> expected{RuleOf(2, 1, 2), RuleOf(2, 7, 0), RuleOf(20, 3, 4)};
        QVERIFY(EntriesOf(list) == expected);
    }

    void cancelledAddAddsNothing() {
        CMassRangeList list = ListOf({RuleOf(1)});
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            ClickRow(List(dialog), 0);
            WhileModal([&](QDialog& add) {
                TypeInto(add.findChild<QLineEdit*>(ControlObjectName(IDC_FUNCTION)),
                         QStringLiteral("9"));
                QTest::keyClick(add.focusWidget(), Qt::Key_Escape);
            });
            ClickButton(dialog, kAdd);
            QCOMPARE(Column(dialog, 0), QStringList{"1"});
            ClickButton(dialog, kCancel);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    void removeDeletesOnlyTheSelectedRow() {
        CMassRangeList list = ListOf({RuleOf(1, 1, 1), RuleOf(2, 2, 2), RuleOf(3, 3, 3)});
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            QVERIFY(!RemoveButton(dialog)->isEnabled());
            ClickRow(List(dialog), 1);
            QVERIFY(RemoveButton(dialog)->isEnabled());
            ClickButton(dialog, kRemove);
            QCOMPARE(Column(dialog, 1), (QStringList{"1 to 1", "3 to 3"}));
            QVERIFY(List(dialog)->selectedItems().isEmpty());
            QVERIFY(!RemoveButton(dialog)->isEnabled());
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(EntriesOf(list) == (std::vector<CMassRange>{RuleOf(1, 1, 1), RuleOf(3, 3, 3)}));
    }

    // Selecting with the keyboard alone also enables Remove.
    void keyboardSelectionEnablesRemove() {
        CMassRangeList list = ListOf({RuleOf(1), RuleOf(2)});
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            QTreeWidget* view = List(dialog);
            // From Add... the disabled Remove is passed over.
            QCOMPARE(dialog.focusWidget()->objectName(), kAdd);
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dialog.focusWidget(), view);
            QTest::keyClick(view, Qt::Key_Down);
            QVERIFY(!view->selectedItems().isEmpty());
            QVERIFY(RemoveButton(dialog)->isEnabled());
            ClickButton(dialog, kCancel);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    void okWithNoRowsEmptiesTheList() {
        CMassRangeList list = ListOf({RuleOf(1), RuleOf(2)});
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            for (int i = 0; i < 2; ++i) {
                ClickRow(List(dialog), 0);
                ClickButton(dialog, kRemove);
            }
            QCOMPARE(List(dialog)->topLevelItemCount(), 0);
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QCOMPARE(list.GetCount(), 0);
    }

    // Rules of one function, even identical ones, are all kept, in their list order.
    void sameFunctionRowsAreAllKept() {
        const std::vector<CMassRange> rules{RuleOf(2, 100, 200), RuleOf(2, 50, 60),
                                            RuleOf(2, 50, 60)};
        CMassRangeList list = ListOf(rules);
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            QCOMPARE(Column(dialog, 1), (QStringList{"100 to 200", "50 to 60", "50 to 60"}));
            ClickButton(dialog, kOk);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(EntriesOf(list) == rules);
    }

    // Additions and removals, then Cancel or Escape: the list is exactly as it was, mass
    // defects unrounded.
    void cancelLeavesTheList_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelLeavesTheList() {
        QFETCH(bool, escape);
        const std::vector<CMassRange> rules{RuleOf(10, 1, 2, 0.123456), RuleOf(2, 3, 4, 0.98765)};
        CMassRangeList list = ListOf(rules);
        CParametersDlg dialog(nullptr, &list);
        WhileModal([&](QDialog&) {
            ClickRow(List(dialog), 0);
            WhileModal([&](QDialog& add) { ClickButton(add, kOk); });
            ClickButton(dialog, kAdd);
            ClickRow(List(dialog), 2);
            ClickButton(dialog, kRemove);
            QCOMPARE(List(dialog)->topLevelItemCount(), 2);
            if (escape) {
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
            } else {
                ClickButton(dialog, kCancel);
            }
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
        QVERIFY(EntriesOf(list) == rules);
    }
};

BREVANTO_DIALOG_TEST_MAIN(ParametersDlgTest)
#include "parameters_dlg_test.moc"
