#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "dialog_test_support.h"

class CFilterDlg;
class QTreeWidget;

// Helpers for driving the main dialog as a user would, on the offscreen platform.

// One test's surroundings: a fresh profile file (the real one, in a configuration folder of
// the test's own through XDG_CONFIG_HOME), the program's messages captured, and every seam back
// to the real thing at the end. Begin in init(), End in cleanup(), which also fails the test
// when a window outlived it.
class AppTestScope {
  public:
    AppTestScope();
    ~AppTestScope();
    AppTestScope(const AppTestScope&) = delete;
    AppTestScope& operator=(const AppTestScope&) = delete;

    const QTemporaryDir& Folder() const { return folder; }
    QString PathIn(const QString& name) const { return folder.filePath(name); }
    MessageCapture& Messages() { return capture; }

  private:
    QTemporaryDir folder;
    MessageCapture capture;
    QByteArray previousConfigHome;
    bool hadConfigHome;
};

// The main dialog's widgets by the names a test uses.
QTreeWidget* InputList(QWidget& dialog);
QStringList ListTexts(QWidget& dialog);
QString SuffixText(QWidget& dialog);
// The items' paths as the run gets them.
std::vector<std::string> NativeInputPaths(CFilterDlg& dialog);

// Shows the dialog without a modal loop, so that clicks run their handlers at once.
void ShowAndWait(CFilterDlg& dialog);

// Drags `urls` onto the dialog and drops them, as a file manager would, and lets the dialog
// handle the drop.
void DropUrls(QWidget& dialog, const QList<QUrl>& urls);
void DropPaths(QWidget& dialog, const QStringList& paths);

// Edit... -> Add... -> the six fields -> OK -> OK.
void AddRuleThroughDialogs(QWidget& dialog, const QStringList& fields);

// A small synthetic acquisition at `path` with `functions` functions; fails the test on error.
void MakeAcquisition(const QString& path, unsigned functions);

// Whether `path` is a complete raw data file that the library opens.
bool OpensAsRawFile(const QString& path);

// Samples the progress dialog each time the running batch lets events through.
struct ProgressSample {
    QString caption;
    QString currentFile;
    int minimum;
    int maximum;
    int value;
    bool hasParent;
    bool modal;
    bool waitCursor;
};

class ProgressSampler {
  public:
    ProgressSampler();
    const QList<ProgressSample>& Samples() const { return samples; }
    // The files in the order the progress dialog named them, each once.
    QStringList FilesShown() const;

  private:
    void Sample();
    QTimer timer;
    QList<ProgressSample> samples;
};
