// The main dialog as a user meets it: its start state, how it ends, Process refusing what it
// cannot run, Remove, drops and the tip of a long path.

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/filter_app.h"
#include "app/filter_dlg.h"
#include "app/input_paths.h"
#include "app_test_support.h"

Q_DECLARE_METATYPE(std::function<void(QDialog&)>)

class FilterDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { scope = std::make_unique<AppTestScope>(); }
    void cleanup() {
        QToolTip::hideText();
        scope.reset();
        VerifyNoTopLevelWindows();
    }

    void startsEmptyWithItsDefaults() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Brevanto"));
        // Its own taskbar entry, a title bar without minimise, maximise or close box.
        const Qt::WindowFlags flags = dialog.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
        QVERIFY(dialog.acceptDrops());
        QCOMPARE(SuffixText(dialog), QStringLiteral("_BRV"));
        QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("IDC_EDIT_PARAMETERS"));
        const QList<QSize> sizes = dialog.windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));

        QTreeWidget* list = InputList(dialog);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(list->columnCount(), 1);
        QVERIFY(list->isHeaderHidden());
        QCOMPARE(list->columnWidth(0), list->viewport()->width());
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    // Enter presses Process wherever the focus is outside the other buttons.
    void enterPressesProcess() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        auto* suffix = dialog.findChild<QLineEdit*>(QStringLiteral("IDC_SUFFIX"));
        suffix->setFocus();
        QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("IDC_PROCESS"))->isDefault());
        QTest::keyClick(suffix, Qt::Key_Return);
        QCOMPARE(scope->Messages().Texts(),
                 QStringList{"Please add one or more files to the input files list."});
        QVERIFY(dialog.isVisible());
    }

    // Finish, Escape and the window manager's close request all end the program's dialog.
    void endsTheProgram_data() {
        QTest::addColumn<std::function<void(QDialog&)>>("close");
        QTest::newRow("Finish") << std::function<void(QDialog&)>(
            [](QDialog& d) { ClickButton(d, QStringLiteral("IDCANCEL")); });
        QTest::newRow("Escape") << std::function<void(QDialog&)>(
            [](QDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); });
        QTest::newRow("close request")
            << std::function<void(QDialog&)>([](QDialog& d) { d.windowHandle()->close(); });
    }
    void endsTheProgram() {
        QFETCH(std::function<void(QDialog&)>, close);
        bool sawMainDialog = false;
        WhileModal([&](QDialog& dialog) {
            sawMainDialog = qobject_cast<CFilterDlg*>(&dialog) != nullptr;
            close(dialog);
        });
        CFilterApp app;
        QVERIFY(!app.InitInstance());
        QVERIFY(sawMainDialog);
    }

    // The input list is checked before the rules; nothing is started either way.
    void processRefusesWhatItCannotRun_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("message");
        QTest::newRow("no inputs, no rules")
            << QStringList() << "Please add one or more files to the input files list.";
        QTest::newRow("inputs, no rules")
            << QStringList{"/nowhere/a.raw", "/nowhere/b.raw"}
            << "Please add one or more mass ranges\nto the processing parameters.";
    }
    void processRefusesWhatItCannotRun() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, message);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        if (!dropped.isEmpty()) {
            DropPaths(dialog, dropped);
        }
        const QStringList before = ListTexts(dialog);
        ProgressSampler progress;
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Messages().size(), qsizetype{1});
        const ShownMessage& shown = scope->Messages().Messages().first();
        QCOMPARE(shown.text, message);
        QCOMPARE(shown.caption, QStringLiteral("Problem"));
        QCOMPARE(shown.icon, QMessageBox::Warning);
        // In front of the dialog and modal, so that nothing behind it takes its keys.
        QVERIFY(shown.hasOwner);
        QVERIFY(shown.modal);
        QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(progress.Samples().isEmpty());
        QCOMPARE(ListTexts(dialog), before);
    }

    // Each click on Remove takes out the topmost selected item only.
    void removeTakesTheTopmostSelected_data() {
        QTest::addColumn<QList<int>>("selectedRows");
        QTest::addColumn<QStringList>("afterFirst");
        QTest::addColumn<QStringList>("afterSecond");
        const QStringList all{"/d/e.raw", "/d/d.raw", "/d/c.raw", "/d/b.raw", "/d/a.raw"};
        QTest::newRow("none") << QList<int>{} << all << all;
        QTest::newRow("one") << QList<int>{2}
                             << QStringList{"/d/e.raw", "/d/d.raw", "/d/b.raw", "/d/a.raw"}
                             << QStringList{"/d/e.raw", "/d/d.raw", "/d/b.raw", "/d/a.raw"};
        QTest::newRow("three") << QList<int>{4, 1, 3}
                               << QStringList{"/d/e.raw", "/d/c.raw", "/d/b.raw", "/d/a.raw"}
                               << QStringList{"/d/e.raw", "/d/c.raw", "/d/a.raw"};
    }
    void removeTakesTheTopmostSelected() {
        QFETCH(QList<int>, selectedRows);
        QFETCH(QStringList, afterFirst);
        QFETCH(QStringList, afterSecond);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {"/d/a.raw", "/d/b.raw", "/d/c.raw", "/d/d.raw", "/d/e.raw"});
        QTreeWidget* list = InputList(dialog);
        for (int i = 0; i < selectedRows.size(); ++i) {
            const QModelIndex index = list->model()->index(selectedRows.at(i), 0);
            QTest::mouseClick(list->viewport(), Qt::LeftButton,
                              i == 0 ? Qt::NoModifier : Qt::ControlModifier,
                              list->visualRect(index).center());
        }
        QCOMPARE(list->selectedItems().size(), selectedRows.size());
        ClickButton(dialog, QStringLiteral("IDC_REMOVE"));
        QCOMPARE(ListTexts(dialog), afterFirst);
        ClickButton(dialog, QStringLiteral("IDC_REMOVE"));
        QCOMPARE(ListTexts(dialog), afterSecond);
    }

    // Dropped ".raw" paths, in any letter case, go on top in drop order; every other path
    // gets its own warning and the rest of the drop is still taken.
    void dropsTakeRawDataFilesOnly_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("warnings");
        QTest::newRow("three, two rejected")
            << QStringList{"/data/x.txt", "/data/s01.RAW", "/data/s01.raw.bak"}
            << QStringList{"/data/s01.RAW", "/old.raw"} << 2;
        QTest::newRow("all accepted, newest on top")
            << QStringList{"/data/a.raw", "/data/b.Raw"}
            << QStringList{"/data/b.Raw", "/data/a.raw", "/old.raw"} << 0;
        QTest::newRow("no extension, dotted folder")
            << QStringList{"/data/s01", "/data.raw/s01"} << QStringList{"/old.raw"} << 2;
        QTest::newRow("folder dropped with a final slash")
            << QStringList{"/data/s02.raw/"} << QStringList{"/data/s02.raw", "/old.raw"} << 0;
    }
    void dropsTakeRawDataFilesOnly() {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, list);
        QFETCH(int, warnings);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {"/old.raw"});
        DropPaths(dialog, dropped);
        QCOMPARE(ListTexts(dialog), list);
        QCOMPARE(scope->Messages().Messages().size(), qsizetype{warnings});
        for (const ShownMessage& shown : scope->Messages().Messages()) {
            QCOMPARE(shown.text, QStringLiteral("You can only drag Brevanto raw data files (*.raw) "
                                                "into the list."));
            QCOMPARE(shown.caption, QStringLiteral("Problem"));
            QCOMPARE(shown.icon, QMessageBox::Warning);
            // In front of the dialog and modal, so that nothing behind it takes its keys.
            QVERIFY(shown.hasOwner);
            QVERIFY(shown.modal);
        }
    }

    // Regression: the boxes had no owner and were not modal while the dialog was, so on a
    // desktop they opened behind it, ignored the user, and the warnings of one drop piled up.
    // A real box now belongs to the dialog and is modal: Process does nothing while it waits,
    // Escape or Return answers it, and the next warning of the drop follows.
    void dropWarningsAreAnsweredOneByOne_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int{Qt::Key_Return};
        QTest::newRow("Escape") << int{Qt::Key_Escape};
    }
    void dropWarningsAreAnsweredOneByOne() {
        QFETCH(int, key);
        const MessageBoxHandler capture = SetMessageBoxHandler({});
        CFilterDlg dialog;
        ShowAndWait(dialog);
        QStringList seen;
        QStringList faults;
        std::function<void()> answer = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) {
                QTimer::singleShot(0, answer);
                return;
            }
            seen.append(box->text());
            if (box->parentWidget() != &dialog) {
                faults.append(QStringLiteral("the box does not belong to the dialog"));
            }
            // Nothing behind the box starts: no run, no second box.
            dialog.findChild<QPushButton*>(QStringLiteral("IDC_PROCESS"))->click();
            if (QApplication::activeModalWidget() != box) {
                faults.append(QStringLiteral("Process reacted under the box"));
            }
            QTest::keyClick(box, static_cast<Qt::Key>(key));
            if (box->isVisible()) {
                faults.append(QStringLiteral("the key did not answer the box"));
                box->done(0);
            }
            if (seen.size() < 2) {
                QTimer::singleShot(0, answer);
            }
        };
        QTimer::singleShot(0, answer);
        DropPaths(dialog, {"/d/a.raw", "/d/b.txt", "/d/c.raw", "/d/e.doc", "/d/f.RAW"});
        SetMessageBoxHandler(capture);
        QCOMPARE(faults, QStringList());
        QCOMPARE(seen.size(), qsizetype{2});
        QCOMPARE(ListTexts(dialog), (QStringList{"/d/f.RAW", "/d/c.raw", "/d/a.raw"}));
    }

    // Bytes that are no UTF-8 cannot go through a QString unchanged: a dropped path keeps them
    // on its way to the run.
    void droppedPathsKeepTheirBytes() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropUrls(dialog, {QUrl::fromEncoded("file:///d/caf%E9.raw"),
                          QUrl::fromEncoded("file:///d/%C3%A9t%C3%A9.raw")});
        QCOMPARE(ListTexts(dialog).size(), qsizetype{2});
        QCOMPARE(ListTexts(dialog).at(0), QStringLiteral("/d/\u00e9t\u00e9.raw"));
        QVERIFY(scope->Messages().Messages().isEmpty());
        QCOMPARE(NativeInputPaths(dialog),
                 (std::vector<std::string>{"/d/\xc3\xa9t\xc3\xa9.raw", "/d/caf\xe9.raw"}));
    }

    // What is not a local file has no path: it is passed over without a message.
    void dropsOfRemoteUrlsAddNothing() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropUrls(dialog, {QUrl(QStringLiteral("https://example.org/s01.raw")),
                          QUrl::fromLocalFile(QStringLiteral("/data/s03.raw"))});
        QCOMPARE(ListTexts(dialog), QStringList{"/data/s03.raw"});
        QVERIFY(scope->Messages().Messages().isEmpty());
    }

    // The tip shows the item's whole path when it fits the tip buffer, else its beginning.
    void tipShowsThePath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("tip");
        const QString fits = QStringLiteral("/data/") + QString(kInfoTipBufferSize - 11, u'f') +
                             QStringLiteral(".raw");
        const QString longer =
            QStringLiteral("/data/") + QString(kInfoTipBufferSize, u'l') + QStringLiteral(".raw");
        QTest::newRow("short") << "/data/s01.raw"
                               << "/data/s01.raw";
        QTest::newRow("buffer less one") << fits << fits;
        QTest::newRow("longer than the buffer") << longer << longer.left(kInfoTipBufferSize - 1);
    }
    void tipShowsThePath() {
        QFETCH(QString, path);
        QFETCH(QString, tip);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {path});
        QTreeWidget* list = InputList(dialog);
        const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        QCOMPARE(QToolTip::text(), tip);
        QCOMPARE(QToolTip::text().size(), tip.size());
    }

  private:
    std::unique_ptr<AppTestScope> scope;
};

BREVANTO_DIALOG_TEST_MAIN(FilterDlgTest)
#include "filter_dlg_test.moc"
