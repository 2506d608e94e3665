// Process on real acquisitions: the run from the dialog with its progress dialog, the order
// of the inputs, empty items, and the one message at the end.

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <utility>

#include "app/filter_dlg.h"
#include "app/left_control_key.h"
#include "app/list_file_dialog.h"
#include "app/progress_dlg.h"
#include "app_test_support.h"
#include "rawio/raw_api.h"

namespace {

// Function 1, 100 to 1000 Da, mass defect 0.2 Da, 50 mDa on either side.
const QStringList kRule{"1", "100", "1000", "0.2", "50", "50"};

void AddFromListFile(QWidget& dialog, const QString& listFile, const QByteArray& content) {
    QFile file(listFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    SetListFileChooser([listFile](QWidget*, const QString&) { return listFile; });
    SetLeftControlProbe([] { return true; });
    ClickButton(dialog, QStringLiteral("IDC_ADD"));
}

}  // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { scope = std::make_unique<AppTestScope>(); }
    void cleanup() {
        scope.reset();
        VerifyNoTopLevelWindows();
    }

    // Two acquisitions dropped one after the other: the newer is on top and runs first, both
    // outputs are complete, the progress dialog follows each file, and the list, suffix and
    // rules stay for another press of Process.
    void runFromTheDialogSucceeds() {
        const QString first = scope->PathIn(QStringLiteral("first.raw"));
        const QString second = scope->PathIn(QStringLiteral("second.raw"));
        MakeAcquisition(first, 2);
        MakeAcquisition(second, 3);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {first});
        DropPaths(dialog, {second});
        AddRuleThroughDialogs(dialog, kRule);
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("IDC_SUFFIX")), "_F");

        auto progress = std::make_unique<ProgressSampler>();
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Messages().size(), qsizetype{1});
        const ShownMessage& shown = scope->Messages().Messages().first();
        QCOMPARE(shown.text, QStringLiteral("All files have been processed successfully."));
        QCOMPARE(shown.caption, QStringLiteral("Finished"));
        QCOMPARE(shown.icon, QMessageBox::Information);
        // In front of the dialog and modal, so that nothing behind it takes its keys.
        QVERIFY(shown.hasOwner);
        QVERIFY(shown.modal);
        QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(shown.detailedText.isEmpty());
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("first_F.raw"))));
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("second_F.raw"))));

        // The progress dialog: over the main dialog and modal, under the wait cursor, its text the
        // current input; once the input's header is read its bar runs from 0 to the input's
        // function count, one step per function.
        const QList<ProgressSample>& samples = progress->Samples();
        QVERIFY(!samples.isEmpty());
        QCOMPARE(progress->FilesShown(), (QStringList{"Static", second, first}));
        for (const ProgressSample& sample : samples) {
            QCOMPARE(sample.caption, QStringLiteral("Processing files, please wait..."));
            // In front of the main dialog, which takes no input while the run lasts.
            QVERIFY(sample.hasParent);
            QVERIFY(sample.modal);
            QVERIFY(sample.waitCursor);
            QCOMPARE(sample.minimum, 0);
            QVERIFY(sample.value >= 0 && sample.value <= sample.maximum);
        }
        for (const auto& [file, functions] : {std::pair{second, 3}, std::pair{first, 2}}) {
            QList<int> values;
            bool ranged = false;
            for (const ProgressSample& sample : samples) {
                if (sample.currentFile != file) {
                    continue;
                }
                ranged = ranged || sample.maximum == functions;
                if (ranged) {
                    QCOMPARE(sample.maximum, functions);
                    if (values.isEmpty() || values.last() != sample.value) {
                        values.append(sample.value);
                    }
                }
            }
            QList<int> steps;
            for (int step = 0; step <= functions; ++step) {
                steps.append(step);
            }
            QCOMPARE(values, steps);
        }
        progress.reset();
        QVERIFY(QApplication::overrideCursor() == nullptr);

        QCOMPARE(ListTexts(dialog), (QStringList{second, first}));
        QCOMPARE(SuffixText(dialog), QStringLiteral("_F"));

        // Process again runs the same batch again.
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));
        QCOMPARE(scope->Messages().Texts(),
                 (QStringList{"All files have been processed successfully.",
                              "All files have been processed successfully."}));
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("first_F.raw"))));
    }

    // Regression: the run lets window events through to paint its progress, and through them
    // a second Process, a drop, Edit... or Add... could reach the dialog in the middle of the
    // run. None of them does anything now until the run has ended.
    void nothingStartsDuringARun() {
        const QString input = scope->PathIn(QStringLiteral("busy.raw"));
        MakeAcquisition(input, 3);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {input});
        AddRuleThroughDialogs(dialog, kRule);
        SetLeftControlProbe([] { return true; });
        SetListFileChooser([](QWidget*, const QString&) -> QString {
            QTest::qFail("the list-file dialog opened during the run", __FILE__, __LINE__);
            return QString();
        });

        int tries = 0;
        bool dragTaken = false;
        QTimer during;
        during.setInterval(0);
        QObject::connect(&during, &QTimer::timeout, [&] {
            auto* progress = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
            if (progress == nullptr || tries > 0) {
                return;
            }
            ++tries;
            for (const char* button : {"IDC_PROCESS", "IDC_EDIT_PARAMETERS", "IDC_ADD"}) {
                dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
            }
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(scope->PathIn(QStringLiteral("late.raw")))});
            QDragEnterEvent enter(dialog.rect().center(), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&dialog, &enter);
            dragTaken = enter.isAccepted();
            QDropEvent drop(QPointF(dialog.rect().center()), Qt::CopyAction, &data, Qt::LeftButton,
                            Qt::NoModifier);
            QApplication::sendEvent(&dialog, &drop);
        });
        during.start();
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));
        during.stop();
        QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);

        QCOMPARE(tries, 1);
        QVERIFY(!dragTaken);
        QCOMPARE(scope->Messages().Texts(),
                 QStringList{"All files have been processed successfully."});
        QCOMPARE(ListTexts(dialog), QStringList{input});
    }

    // The failing input, the operation and the library's words go into the details; the
    // inputs above the failing one are done, those below it are not attempted.
    void failureNamesWhatFailed() {
        const QString good = scope->PathIn(QStringLiteral("good.raw"));
        const QString missing = scope->PathIn(QStringLiteral("missing.raw"));
        const QString later = scope->PathIn(QStringLiteral("later.raw"));
        MakeAcquisition(good, 1);
        MakeAcquisition(later, 1);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {later, missing, good});
        AddRuleThroughDialogs(dialog, kRule);
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Messages().size(), qsizetype{1});
        const ShownMessage& shown = scope->Messages().Messages().first();
        QCOMPARE(shown.text, QStringLiteral("There was an error during processing."));
        QCOMPARE(shown.caption, QStringLiteral("Finished"));
        QCOMPARE(shown.icon, QMessageBox::Critical);
        // In front of the dialog and modal, so that nothing behind it takes its keys.
        QVERIFY(shown.hasOwner);
        QVERIFY(shown.modal);
        QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY2(shown.detailedText.contains(missing), qPrintable(shown.detailedText));
        QVERIFY2(shown.detailedText.contains(QStringLiteral("RawReadOpen")),
                 qPrintable(shown.detailedText));
        QVERIFY2(shown.detailedText.contains(QString::fromUtf8(RawStatusText(kRawNotFound))),
                 qPrintable(shown.detailedText));
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("good_BRV.raw"))));
        QVERIFY(!QFile::exists(scope->PathIn(QStringLiteral("later_BRV.raw"))));
        QCOMPARE(ListTexts(dialog), (QStringList{good, missing, later}));
    }

    // Items a, empty, b run as "a,,b": a is done, the empty path fails, b is never reached.
    void emptyItemBetweenTwoStopsTheRun() {
        const QString a = scope->PathIn(QStringLiteral("a.raw"));
        const QString b = scope->PathIn(QStringLiteral("b.raw"));
        MakeAcquisition(a, 1);
        MakeAcquisition(b, 1);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        // Read in reverse, the file puts a on top.
        AddFromListFile(dialog, scope->PathIn(QStringLiteral("list.txt")),
                        (b + "\n\n" + a + "\n").toUtf8());
        QCOMPARE(ListTexts(dialog), (QStringList{a, "", b}));
        AddRuleThroughDialogs(dialog, kRule);
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Texts(), QStringList{"There was an error during processing."});
        QVERIFY2(scope->Messages().Messages().first().detailedText.startsWith("(empty path)"),
                 qPrintable(scope->Messages().Messages().first().detailedText));
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("a_BRV.raw"))));
        QVERIFY(!QFile::exists(scope->PathIn(QStringLiteral("b_BRV.raw"))));
    }

    // A list of empty items passes the count test and joins to nothing: a run of no inputs,
    // which succeeds.
    void allEmptyItemsSucceed() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        AddFromListFile(dialog, scope->PathIn(QStringLiteral("blank.txt")), "\n\n\n");
        QCOMPARE(ListTexts(dialog), (QStringList{"", "", ""}));
        AddRuleThroughDialogs(dialog, kRule);
        ProgressSampler progress;
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));
        QCOMPARE(scope->Messages().Texts(),
                 QStringList{"All files have been processed successfully."});
        // The progress dialog came and went without naming a file.
        QVERIFY(!progress.Samples().isEmpty());
        QCOMPARE(progress.FilesShown(), QStringList{"Static"});
    }

    // A cleared suffix reaches the run unchanged; the run refuses to write over its input.
    void emptySuffixIsRefusedByTheRun() {
        const QString input = scope->PathIn(QStringLiteral("s.raw"));
        MakeAcquisition(input, 1);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {input});
        AddRuleThroughDialogs(dialog, kRule);
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("IDC_SUFFIX")), "");
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));
        QCOMPARE(scope->Messages().Texts(), QStringList{"There was an error during processing."});
        QVERIFY(OpensAsRawFile(input));
        QCOMPARE(SuffixText(dialog), QString());
    }

  private:
    std::unique_ptr<AppTestScope> scope;
};

BREVANTO_DIALOG_TEST_MAIN(BatchRunTest)
#include "batch_run_test.moc"
