// The browse record at the limits of its fields, BroFileOpen's side of the call, and the two
// file dialogs that the seams stand in for elsewhere.

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QtTest>
#include <cstring>
#include <memory>

#include "app/browse_record.h"
#include "app/list_file_dialog.h"
#include "app/open_format_inputs.h"
#include "app/raw_file_browse_dialog.h"
#include "app_test_support.h"

namespace {

BrowseRecord Filled(char byte) {
    BrowseRecord record;
    std::memset(&record, byte, sizeof record);
    return record;
}

bool SameBytes(const BrowseRecord& a, const BrowseRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

class BrowseRecordTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { scope = std::make_unique<AppTestScope>(); }
    void cleanup() {
        scope.reset();
        VerifyNoTopLevelWindows();
    }

    // directory holds 259 bytes, name 255 and extension 269, each with its zero byte; one
    // more in any of them refuses the whole path and leaves the record as it was.
    void fieldsAtTheirLimits_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("fits");
        const QString dir259 = QLatin1Char('/') + QString(257, u'd') + QLatin1Char('/');
        const QString dir260 = QLatin1Char('/') + QString(258, u'd') + QLatin1Char('/');
        QTest::newRow("all at their limits")
            << dir259 << QString(255, u'n') << QString(269, u'e') << true;
        QTest::newRow("directory one over") << dir260 << "s01"
                                            << "raw" << false;
        QTest::newRow("name one over") << "/d/" << QString(256, u'n') << "raw" << false;
        QTest::newRow("extension one over") << "/d/"
                                            << "s01" << QString(270, u'e') << false;
        QTest::newRow("root directory") << "/"
                                        << "s01"
                                        << "raw" << true;
        QTest::newRow("no extension") << "/d/"
                                      << "s01"
                                      << "" << true;
        QTest::newRow("dotted name") << "/d/"
                                     << "a.b"
                                     << "RAW" << true;
        // Bytes count, not characters: two bytes per letter here.
        QTest::newRow("multi-byte name at its limit") << "/d/" << QString(127, QChar(0x00E9)) + "x"
                                                      << "raw" << true;
        QTest::newRow("multi-byte name one over")
            << "/d/" << QString(128, QChar(0x00E9)) << "raw" << false;
    }
    void fieldsAtTheirLimits() {
        QFETCH(QString, directory);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(bool, fits);
        const QString path = directory + name + (extension.isEmpty() ? "" : "." + extension);
        BrowseRecord record = Filled('\x7f');
        const BrowseRecord before = record;
        QCOMPARE(FillBrowseRecord(path, record), fits);
        if (!fits) {
            QVERIFY(SameBytes(record, before));
            return;
        }
        QCOMPARE(QString::fromUtf8(FieldText(record.directory, sizeof record.directory)),
                 directory);
        QCOMPARE(QString::fromUtf8(FieldText(record.name, sizeof record.name)), name);
        QCOMPARE(QString::fromUtf8(FieldText(record.extension, sizeof record.extension)),
                 extension);
        QCOMPARE(record.reserved[0], std::uint8_t{0x7f});
        QCOMPARE(record.reserved[1], std::uint8_t{0x7f});
    }

    // A field without its zero byte reads to the end of its span, never past it.
    void fieldTextStopsAtTheSpan() {
        BrowseRecord record = Filled('x');
        QCOMPARE(FieldText(record.name, sizeof record.name), std::string(256, 'x'));
        QVERIFY(!CopyToField(std::string(256, 'y'), record.name, sizeof record.name));
        QCOMPARE(FieldText(record.name, sizeof record.name), std::string(256, 'x'));
        QVERIFY(CopyToField(std::string(255, 'y'), record.name, sizeof record.name));
        QCOMPARE(FieldText(record.name, sizeof record.name), std::string(255, 'y'));
        QCOMPARE(record.extension[0], 'x');
    }

    void broFileOpenCall_data() {
        QTest::addColumn<int>("zero");
        QTest::addColumn<bool>("withOptions");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("start");
        QTest::newRow("chosen") << 0 << true << "/data/s01.raw/" << 1 << "/start/here/";
        QTest::newRow("cancelled") << 0 << true << "" << 0 << "/start/here/";
        QTest::newRow("no options: home") << 0 << false << "/data/s01.raw" << 1 << QDir::homePath();
        QTest::newRow("first argument not 0") << 1 << true << "/data/s01.raw" << 0 << "";
    }
    void broFileOpenCall() {
        QFETCH(int, zero);
        QFETCH(bool, withOptions);
        QFETCH(QString, answer);
        QFETCH(int, result);
        QFETCH(QString, start);
        QStringList starts;
        QStringList titles;
        SetRawFileChooser([&](const QString& from, const QString& title) {
            starts.append(from);
            titles.append(title);
            return answer;
        });
        BrowseRecord record{};
        QVERIFY(CopyToField("/start/here/", record.directory, sizeof record.directory));
        const BrowseRecord before = record;
        const std::uint32_t options = kBrowseStartInDirectory;
        QCOMPARE(BroFileOpen(zero, &record, withOptions ? &options : nullptr, "Pick"), result);
        QCOMPARE(starts, start.isEmpty() ? QStringList() : QStringList{start});
        if (!start.isEmpty()) {
            QCOMPARE(titles, QStringList{"Pick"});
        }
        if (result == 0) {
            QVERIFY(SameBytes(record, before));
            return;
        }
        QCOMPARE(FieldText(record.directory, sizeof record.directory), std::string("/data/"));
        QCOMPARE(FieldText(record.name, sizeof record.name), std::string("s01"));
        QCOMPARE(FieldText(record.extension, sizeof record.extension), std::string("raw"));
    }

    void broFileOpenWithoutRecord() {
        SetRawFileChooser([](const QString&, const QString&) { return QStringLiteral("/a.raw"); });
        QCOMPARE(BroFileOpen(0, nullptr, nullptr, "Pick"), 0);
    }

    // Our browse dialog: an ordinary folder opens, a raw data file ends it. It offers raw data
    // files first, then the open formats, then all files.
    void browseDialogChoosesRawDataFilesOnly() {
        QVERIFY(QDir(scope->Folder().path()).mkpath(QStringLiteral("plain/s01.RAW")));
        RawFileBrowseDialog dialog(nullptr, QStringLiteral("Select Input Raw File"),
                                   scope->Folder().path());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Input Raw File"));
        QCOMPARE(dialog.nameFilters(), BrowseNameFilters());
        QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Raw data files (*.raw)"));
        QCOMPARE(BrowseNameFilters().last(), QStringLiteral("All files (*)"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        const QString plain = scope->PathIn(QStringLiteral("plain"));
        name->setText(plain);
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(QDir(dialog.directory()).absolutePath(), QDir(plain).absolutePath());

        const QString raw = scope->PathIn(QStringLiteral("plain/s01.RAW"));
        name->setText(raw);
        dialog.accept();
        QCOMPARE(dialog.result(), int{QDialog::Accepted});
        QCOMPARE(QDir(dialog.ChosenPath()).absolutePath(), QDir(raw).absolutePath());
    }

    // Each file type shows the folders and the files of its kind, in any letter case; a file
    // of any kind is picked as a file, a raw data file as one too, and a folder opens.
    void browseDialogFileTypes_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QStringList>("shown");
        const bool openFormats = BrowseNameFilters().size() == 3;
        QTest::newRow("raw data files") << 0 << QStringList{"folder", "s01.RAW"};
        if (openFormats) {
            QTest::newRow("open formats") << 1 << QStringList{"a.mzML",     "b.MZXML", "c.mzml.GZ",
                                                              "d.mzXML.gz", "folder",  "s01.RAW"};
        }
        QTest::newRow("all files")
            << (openFormats ? 2 : 1)
            << QStringList{"a.mzML",     "b.MZXML", "c.mzml.GZ", "d.mzXML.gz",
                           "e.mzML.bak", "folder",  "notes.txt", "s01.RAW"};
    }
    void browseDialogFileTypes() {
        QFETCH(int, filter);
        QFETCH(QStringList, shown);
        QDir folder(scope->Folder().path());
        QVERIFY(folder.mkpath(QStringLiteral("s01.RAW")));
        QVERIFY(folder.mkpath(QStringLiteral("folder")));
        for (const char* name :
             {"a.mzML", "b.MZXML", "c.mzml.GZ", "d.mzXML.gz", "e.mzML.bak", "notes.txt"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        RawFileBrowseDialog dialog(nullptr, QStringLiteral("Select Input Raw File"), folder.path());
        dialog.selectNameFilter(BrowseNameFilters().at(filter));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view != nullptr);
        const auto listed = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row) {
                const QModelIndex index = view->model()->index(row, 0, root);
                if (view->model()->flags(index) & Qt::ItemIsEnabled) {
                    names.append(index.data().toString());
                }
            }
            names.sort(Qt::CaseInsensitive);
            return names;
        };
        QTRY_COMPARE(listed(), shown);

        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(folder.filePath(QStringLiteral("folder")));
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(QDir(dialog.directory()).absolutePath(),
                 QDir(folder.filePath(QStringLiteral("folder"))).absolutePath());
        const QString picked = folder.filePath(shown.first() == "a.mzML" ? "c.mzml.GZ" : "s01.RAW");
        name->setText(picked);
        dialog.accept();
        QCOMPARE(dialog.result(), int{QDialog::Accepted});
        QCOMPARE(dialog.ChosenPath(), QFileInfo(picked).absoluteFilePath());
    }

    // A chosen file comes back through the browse record whole: with its extensions, without
    // one, or with a name that ends in a dot.
    void browsedFilesSurviveTheRecord_data() {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("mzML") << "/d/a.mzML";
        QTest::newRow("gzipped mzXML") << "/d/run.2.mzXML.gz";
        QTest::newRow("no extension") << "/d/acquisition";
        QTest::newRow("name ending in a dot") << "/d/odd.";
        QTest::newRow("raw data file with its separator") << "/d/s01.raw/";
    }
    void browsedFilesSurviveTheRecord() {
        QFETCH(QString, chosen);
        SetRawFileChooser([chosen](const QString&, const QString&) { return chosen; });
        BrowseRecord record{};
        QCOMPARE(BroFileOpen(0, &record, nullptr, "Select Input Raw File"), 1);
        QString expected = chosen;
        if (expected.endsWith(QLatin1Char('/'))) {
            expected.chop(1);
        }
        QCOMPARE(QString::fromStdString(JoinBrowseRecord(record)), expected);
    }

    // The list-file dialog: its filter, default suffix and folder, a name of a file that does
    // not exist confirmed, a folder that does not exist refused.
    void listFileDialogSettings() {
        const QString folder = scope->Folder().path();
        ListFileDialog dialog(nullptr, folder + QStringLiteral("/*.txt"));
        QCOMPARE(dialog.nameFilters(), QStringList{"Text Files (*.txt)"});
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("txt"));
        QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(QDir(dialog.directory()).absolutePath(), QDir(folder).absolutePath());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        // A missing folder: a warning over the dialog, which stays open.
        bool warned = false;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                warned = box->text().contains(QStringLiteral("/no/such/folder"));
                box->accept();
            }
        });
        name->setText(QStringLiteral("/no/such/folder/list.txt"));
        dialog.accept();
        QVERIFY(warned);
        QVERIFY(dialog.isVisible());

        name->setText(QStringLiteral("new list"));
        dialog.accept();
        QCOMPARE(dialog.result(), int{QDialog::Accepted});
        QCOMPARE(dialog.ChosenPath(), QDir(folder).filePath(QStringLiteral("new list.txt")));
    }

  private:
    std::unique_ptr<AppTestScope> scope;
};

BREVANTO_DIALOG_TEST_MAIN(BrowseRecordTest)
#include "browse_record_test.moc"
