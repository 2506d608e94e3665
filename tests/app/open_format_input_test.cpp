// mzML and mzXML files beside raw data files in the dialog: which dropped names it takes, a run
// over a mixed list with its progress by functions or by hundredths of a file, and a failing
// mzML whose reason the "Finished" box gives under Show Details....

#include <QDir>
#include <QFile>
#include <QtTest>
#include <memory>

#include "app/filter_dlg.h"
#include "app/left_control_key.h"
#include "app/list_file_dialog.h"
#include "app/open_format_inputs.h"
#include "app_test_support.h"

namespace {

// Function 1, 100 to 1000 Da, mass defect 0.2 Da, 50 mDa on either side.
const QStringList kRule{"1", "100", "1000", "0.2", "50", "50"};

// A sample of the shared data folder, or an empty text when it is absent.
QString SharedSample(const char* name) {
    const QString folder = qEnvironmentVariable("BREVANTO_SHARED_DATA");
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    return !folder.isEmpty() && QFile::exists(path) ? path : QString();
}

// The values the bar showed for `file` from the moment its range was set to `maximum` (the bar
// restarts at 0 then; until that, it may still show the input before), each once.
QList<int> BarValues(const ProgressSampler& progress, const QString& file, int maximum) {
    QList<int> values;
    for (const ProgressSample& sample : progress.Samples()) {
        if (sample.currentFile != file || sample.maximum != maximum ||
            (values.isEmpty() && sample.value != 0)) {
            continue;
        }
        if (values.isEmpty() || values.last() != sample.value) {
            values.append(sample.value);
        }
    }
    return values;
}

}  // namespace

class OpenFormatInputTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        if (DialogFormatRoute() == nullptr) {
            QSKIP("built without the open formats");
        }
        scope = std::make_unique<AppTestScope>();
    }
    void cleanup() {
        scope.reset();
        VerifyNoTopLevelWindows();
    }

    // A drop takes raw data files and the four open-format names in any letter case; every
    // other name gets the raw data warning, word for word.
    void dropsTakeOpenFormatNames_data() {
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<bool>("taken");
        QTest::newRow("mzML") << "/d/a.mzML" << true;
        QTest::newRow("mzXML") << "/d/a.mzXML" << true;
        QTest::newRow("gzipped mzML") << "/d/a.mzML.gz" << true;
        QTest::newRow("gzipped mzXML") << "/d/a.mzXML.gz" << true;
        QTest::newRow("upper case") << "/d/A.MZML" << true;
        QTest::newRow("mixed case, gzipped") << "/d/a.MzXmL.Gz" << true;
        QTest::newRow("dotted name") << "/d/run.2.mzml" << true;
        QTest::newRow("raw data file beside them") << "/d/s.RAW" << true;
        QTest::newRow("gzip of something else") << "/d/a.txt.gz" << false;
        QTest::newRow("bare gzip") << "/d/a.gz" << false;
        QTest::newRow("tar of an mzML") << "/d/a.mzML.tar.gz" << false;
        QTest::newRow("backup of an mzML") << "/d/a.mzML.bak" << false;
        QTest::newRow("mzML in the folder only") << "/d.mzML/a" << false;
        QTest::newRow("other XML") << "/d/a.xml" << false;
        QTest::newRow("mzData") << "/d/a.mzData" << false;
    }
    void dropsTakeOpenFormatNames() {
        QFETCH(QString, dropped);
        QFETCH(bool, taken);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {"/old.raw"});
        DropPaths(dialog, {dropped});
        const QStringList list =
            taken ? QStringList{dropped, QStringLiteral("/old.raw")} : QStringList{"/old.raw"};
        QCOMPARE(ListTexts(dialog), list);
        const QStringList warnings =
            taken ? QStringList()
                  : QStringList{"You can only drag Brevanto raw data files (*.raw) into the list."};
        QCOMPARE(scope->Messages().Texts(), warnings);
    }

    // One run over a raw data file, an mzML and a gzipped mzML: each output beside its input in
    // its input's format; the bar counts the raw data file's functions and a hundred steps of
    // each open-format file, and the text names the input in hand.
    void mixedRunStepsByFunctionsAndHundredths() {
        const QString mzml = SharedSample("tiny.pwiz.1.1.mzML");
        const QString gzipped = SharedSample("example.mzML.gz");
        if (mzml.isEmpty() || gzipped.isEmpty()) {
            QSKIP("the shared samples are absent (BREVANTO_SHARED_DATA)");
        }
        const QString raw = scope->PathIn(QStringLiteral("run.raw"));
        const QString plain = scope->PathIn(QStringLiteral("tiny.mzML"));
        const QString packed = scope->PathIn(QStringLiteral("example.MZML.GZ"));
        MakeAcquisition(raw, 3);
        QVERIFY(QFile::copy(mzml, plain));
        QVERIFY(QFile::copy(gzipped, packed));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {packed, plain, raw});
        AddRuleThroughDialogs(dialog, kRule);
        auto progress = std::make_unique<ProgressSampler>();
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Texts(),
                 QStringList{"All files have been processed successfully."});
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("run_BRV.raw"))));
        for (const char* output : {"tiny_BRV.mzML", "example_BRV.MZML.GZ"}) {
            QVERIFY2(QFile::exists(scope->PathIn(QString::fromLatin1(output))), output);
        }
        QCOMPARE(progress->FilesShown(), (QStringList{"Static", raw, plain, packed}));
        QCOMPARE(BarValues(*progress, raw, 3), (QList<int>{0, 1, 2, 3}));
        for (const QString& file : {plain, packed}) {
            const QList<int> values = BarValues(*progress, file, 100);
            QVERIFY2(values.size() > 2 && values.last() == 100, qPrintable(file));
            for (qsizetype i = 1; i < values.size(); ++i) {
                QVERIFY2(values.at(i) > values.at(i - 1), qPrintable(file));
            }
        }
    }

    // An mzML cut in half fails the run: the raw data file before it is done, the file after
    // it is not touched, and the details name the file, the step and the reason.
    void cutMzmlFailsWithItsReason() {
        const QString mzml = SharedSample("tiny.pwiz.1.1.mzML");
        if (mzml.isEmpty()) {
            QSKIP("the shared samples are absent (BREVANTO_SHARED_DATA)");
        }
        QFile whole(mzml);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        const QString cut = scope->PathIn(QStringLiteral("cut.mzML"));
        QFile half(cut);
        QVERIFY(half.open(QIODevice::WriteOnly));
        half.write(bytes.left(bytes.size() / 2));
        half.close();
        const QString before = scope->PathIn(QStringLiteral("before.raw"));
        const QString after = scope->PathIn(QStringLiteral("after.mzML"));
        MakeAcquisition(before, 1);
        QVERIFY(QFile::copy(mzml, after));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {after, cut, before});
        AddRuleThroughDialogs(dialog, kRule);
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Texts(), QStringList{"There was an error during processing."});
        const QString details = scope->Messages().Messages().first().detailedText;
        QVERIFY2(details.startsWith(cut), qPrintable(details));
        QVERIFY2(details.contains(QStringLiteral("filtering")), qPrintable(details));
        QVERIFY2(details.contains(QStringLiteral("truncated")), qPrintable(details));
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("before_BRV.raw"))));
        QVERIFY(!QFile::exists(scope->PathIn(QStringLiteral("cut_BRV.mzML"))));
        QVERIFY(!QFile::exists(scope->PathIn(QStringLiteral("after_BRV.mzML"))));
    }

    // A list file names any input; an mzML under a name that says nothing is told by its
    // content and filtered as mzML, its output keeping its name's extension.
    void listFileNamesOpenFormatFiles() {
        const QString mzml = SharedSample("tiny.pwiz.1.1.mzML");
        if (mzml.isEmpty()) {
            QSKIP("the shared samples are absent (BREVANTO_SHARED_DATA)");
        }
        QVERIFY(QFile::copy(mzml, scope->PathIn(QStringLiteral("acquisition.data"))));
        MakeAcquisition(scope->PathIn(QStringLiteral("run.raw")), 1);
        const QString list = scope->PathIn(QStringLiteral("inputs.txt"));
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("run.raw\nacquisition.data\n");
        file.close();
        CFilterDlg dialog;
        ShowAndWait(dialog);
        SetListFileChooser([list](QWidget*, const QString&) { return list; });
        SetLeftControlProbe([] { return true; });
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        AddRuleThroughDialogs(dialog, kRule);
        ClickButton(dialog, QStringLiteral("IDC_PROCESS"));

        QCOMPARE(scope->Messages().Texts(),
                 QStringList{"All files have been processed successfully."});
        QFile output(scope->PathIn(QStringLiteral("acquisition_BRV.data")));
        QVERIFY(output.open(QIODevice::ReadOnly));
        QVERIFY(output.readAll().contains("<indexedmzML"));
        QVERIFY(OpensAsRawFile(scope->PathIn(QStringLiteral("run_BRV.raw"))));
    }

  private:
    std::unique_ptr<AppTestScope> scope;
};

BREVANTO_DIALOG_TEST_MAIN(OpenFormatInputTest)
#include "open_format_input_test.moc"
