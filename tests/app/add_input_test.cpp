// "Add...": the browse dialog, or with the left Control key a list file, both starting in the
// last directory of the profile, which each successful choice updates.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>
#include <memory>

#include "app/browse_record.h"
#include "app/filter_dlg.h"
#include "app/left_control_key.h"
#include "app/list_file_dialog.h"
#include "app/profile.h"
#include "app_test_support.h"

namespace {

// What the file dialogs were asked, and the answers they give.
struct DialogLog {
    QStringList browseStarts;
    QStringList browseTitles;
    QStringList listFileInitials;
    QList<QWidget*> listFileParents;
};

void AnswerBrowse(DialogLog& log, const QString& answer) {
    SetRawFileChooser([&log, answer](const QString& start, const QString& title) {
        log.browseStarts.append(start);
        log.browseTitles.append(title);
        return answer;
    });
}

void AnswerListFile(DialogLog& log, const QString& answer) {
    SetListFileChooser([&log, answer](QWidget* parent, const QString& initial) {
        log.listFileParents.append(parent);
        log.listFileInitials.append(initial);
        return answer;
    });
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace

class AddInputTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { scope = std::make_unique<AppTestScope>(); }
    void cleanup() {
        scope.reset();
        VerifyNoTopLevelWindows();
    }

    // Without the key the browse dialog opens; with only the right one it still does.
    void addWithoutLeftControlBrowses() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        AnswerBrowse(log, QStringLiteral("/data/run 7/s01.raw"));
        AnswerListFile(log, QString());
        SetLeftControlProbe([] { return false; });
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(log.browseTitles, QStringList{"Select Input Raw File"});
        QCOMPARE(log.browseStarts, QStringList{DefaultLastDirectory()});
        QVERIFY(log.listFileInitials.isEmpty());
        QCOMPARE(ListTexts(dialog), QStringList{"/data/run 7/s01.raw"});
        QCOMPARE(ReadLastDirectory(), QStringLiteral("/data/run 7/"));
    }

    // The browse dialog's path is not checked for ".raw", and each new one goes on top; the
    // next click starts where the last one ended.
    void browsedPathsGoOnTop() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        SetLeftControlProbe([] { return false; });
        AnswerBrowse(log, QStringLiteral("/a/one.raw"));
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        AnswerBrowse(log, QStringLiteral("/b/c/two.dat"));
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(ListTexts(dialog), (QStringList{"/b/c/two.dat", "/a/one.raw"}));
        QCOMPARE(log.browseStarts, (QStringList{DefaultLastDirectory(), "/a/"}));
        QCOMPARE(ReadLastDirectory(), QStringLiteral("/b/c/"));
    }

    // A cancelled dialog adds nothing and leaves the profile alone.
    void cancelledDialogsChangeNothing_data() {
        QTest::addColumn<bool>("leftControl");
        QTest::newRow("browse") << false;
        QTest::newRow("list file") << true;
    }
    void cancelledDialogsChangeNothing() {
        QFETCH(bool, leftControl);
        WriteLastDirectory(QStringLiteral("/kept/"));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        AnswerBrowse(log, QString());
        AnswerListFile(log, QString());
        SetLeftControlProbe([leftControl] { return leftControl; });
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(log.browseStarts.size() + log.listFileInitials.size(), qsizetype{1});
        QVERIFY(ListTexts(dialog).isEmpty());
        QCOMPARE(ReadLastDirectory(), QStringLiteral("/kept/"));
    }

    // A list file adds its lines as written, in reverse file order above the items already
    // there, whatever its line ends. A relative line names a file beside the list file (the
    // original platform's file dialog made the list's folder the current directory): it is
    // taken relative to that folder, shown here as "%F/".
    void listFileLinesGoOnTopReversed_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("list");
        const QStringList withEmpty{"%F/B", "", "%F/A", "/old.raw"};
        QTest::newRow("LF") << QByteArray("A\n\nB\n") << withEmpty;
        QTest::newRow("CR LF") << QByteArray("A\r\n\r\nB\r\n") << withEmpty;
        QTest::newRow("no final line end") << QByteArray("A\n\nB") << withEmpty;
        QTest::newRow("blanks kept as written")
            << QByteArray(" A \r\nC:\\x\\y.raw\n")
            << QStringList{"%F/C:\\x\\y.raw", "%F/ A ", "/old.raw"};
        QTest::newRow("only a line end") << QByteArray("\n") << QStringList{"", "/old.raw"};
        QTest::newRow("empty file") << QByteArray() << QStringList{"/old.raw"};
        QTest::newRow("absolute lines as written")
            << QByteArray("/d/a.raw\n/e/../b.raw\n")
            << QStringList{"/e/../b.raw", "/d/a.raw", "/old.raw"};
        QTest::newRow("relative lines with folders")
            << QByteArray("sub/a.raw\n../b.raw\n./c.raw\n")
            << QStringList{"%F/./c.raw", "%F/../b.raw", "%F/sub/a.raw", "/old.raw"};
    }
    void listFileLinesGoOnTopReversed() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, list);
        list.replaceInStrings(QStringLiteral("%F"), scope->Folder().path());
        const QString file = scope->PathIn(QStringLiteral("batch.txt"));
        WriteFile(file, content);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {"/old.raw"});
        DialogLog log;
        AnswerListFile(log, file);
        AnswerBrowse(log, QString());
        SetLeftControlProbe([] { return true; });
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(ListTexts(dialog), list);
        QVERIFY(log.browseStarts.isEmpty());
        QCOMPARE(log.listFileParents, QList<QWidget*>{&dialog});
        QCOMPARE(log.listFileInitials, QStringList{DefaultLastDirectory() + "*.txt"});
        QCOMPARE(ReadLastDirectory(), scope->Folder().path() + QLatin1Char('/'));
    }

    // Regression: list lines went through a QString, which turned bytes that are no UTF-8
    // into replacement characters; the run got another path than the file named.
    void listFileLinesKeepTheirBytes() {
        const QString file = scope->PathIn(QStringLiteral("bytes.txt"));
        WriteFile(file, QByteArray("/d/caf\xe9.raw\nna\xefve.raw\n"));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        AnswerListFile(log, file);
        SetLeftControlProbe([] { return true; });
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        const std::string folder = QFile::encodeName(scope->Folder().path()).toStdString();
        QCOMPARE(NativeInputPaths(dialog),
                 (std::vector<std::string>{folder + "/na\xefve.raw", "/d/caf\xe9.raw"}));
    }

    // The dialog lets a name of a missing file through; reading it adds nothing, says nothing
    // and keeps the last directory.
    void missingListFileAddsNothing() {
        WriteLastDirectory(QStringLiteral("/kept/"));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        AnswerListFile(log, scope->PathIn(QStringLiteral("typed.txt")));
        SetLeftControlProbe([] { return true; });
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QVERIFY(ListTexts(dialog).isEmpty());
        QVERIFY(scope->Messages().Messages().isEmpty());
        QCOMPARE(ReadLastDirectory(), QStringLiteral("/kept/"));
    }

    // The last directory lives in the profile file, read anew on every click: a value written
    // there between two clicks is where the next dialog starts.
    void lastDirectoryIsReadAnewFromTheProfile() {
        // The real profile location, which follows XDG_CONFIG_HOME to this test's own folder.
        QCOMPARE(ProfileFilePath(),
                 scope->PathIn(QCoreApplication::applicationName() + QStringLiteral(".ini")));
        QCOMPARE(ReadLastDirectory(), DefaultLastDirectory());
        QVERIFY(DefaultLastDirectory().endsWith(QLatin1Char('/')));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        SetLeftControlProbe([] { return false; });
        AnswerBrowse(log, QString());
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        WriteFile(ProfileFilePath(),
                  "[Application%20Data]\nLast%20Used%20Directory=/from/another/start/\n");
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(log.browseStarts, (QStringList{DefaultLastDirectory(), "/from/another/start/"}));

        WriteLastDirectory(QStringLiteral("/written/"));
        QSettings settings(ProfileFilePath(), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("Application Data/Last Used Directory")).toString(),
                 QStringLiteral("/written/"));
    }

    // A stored directory too long for the browse record starts the dialog in the home folder.
    void tooLongLastDirectoryStartsAtHome() {
        WriteLastDirectory(QLatin1Char('/') + QString(259, u'd') + QLatin1Char('/'));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        SetLeftControlProbe([] { return false; });
        AnswerBrowse(log, QString());
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(log.browseStarts, QStringList{QDir::homePath()});
    }

    // A browsed path that does not fit the record is refused with a message, not cut.
    void browsedPathTooLongIsRefused() {
        WriteLastDirectory(QStringLiteral("/kept/"));
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        SetLeftControlProbe([] { return false; });
        const QString tooLong = QStringLiteral("/data/") + QString(256, u'n') + ".raw";
        AnswerBrowse(log, tooLong);
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QVERIFY(ListTexts(dialog).isEmpty());
        QCOMPARE(scope->Messages().Messages().size(), qsizetype{1});
        QVERIFY(scope->Messages().Messages().first().text.contains(tooLong));
        QCOMPARE(ReadLastDirectory(), QStringLiteral("/kept/"));
    }

    // Add... refreshes the suffix from its edit box, as every handler that reads the controls.
    void addReadsTheSuffixBack() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        SetLeftControlProbe([] { return false; });
        AnswerBrowse(log, QString());
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("IDC_SUFFIX")), "_X");
        ClickButton(dialog, QStringLiteral("IDC_ADD"));
        QCOMPARE(SuffixText(dialog), QStringLiteral("_X"));
    }

    // On a platform that cannot tell the two Control keys apart (here offscreen), a click
    // with Control held opens the list-file dialog, and a plain click the browse dialog.
    void controlClickOpensTheListFileDialog() {
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DialogLog log;
        AnswerBrowse(log, QString());
        AnswerListFile(log, QString());
        auto* add = dialog.findChild<QPushButton*>(QStringLiteral("IDC_ADD"));
        QTest::mouseClick(add, Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(log.listFileInitials.size(), qsizetype{1});
        QCOMPARE(log.browseStarts.size(), qsizetype{0});
        QTest::mouseClick(add, Qt::LeftButton, Qt::NoModifier);
        QCOMPARE(log.listFileInitials.size(), qsizetype{1});
        QCOMPARE(log.browseStarts.size(), qsizetype{1});
    }

  private:
    std::unique_ptr<AppTestScope> scope;
};

BREVANTO_DIALOG_TEST_MAIN(AddInputTest)
#include "add_input_test.moc"
