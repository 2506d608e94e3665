#pragma once

#include <QDialog>
#include <memory>

#include "processing/run_progress.h"

class QCloseEvent;
class QLabel;
class QProgressBar;

// The progress dialog of a batch run (template 131), with the current input in its text and
// a bar from 0 to the range the run sets for that input: its function count for a raw data
// file, a hundred steps for an mzML or mzXML file. It has no buttons and cannot be closed; it
// goes when the run ends.
//
// The original was modeless and without a parent. Under an X11 window manager such a window
// may open, or drop, behind the dialog the user just clicked, and the dialog behind it would
// still take clicks, keys and drops during the run. Here it belongs to the main dialog (the
// manager keeps it in front of it) and is modal to the program while it shows, so nothing can
// start a second run, add inputs or edit the rules until the run ends.
class CProgressDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CProgressDlg(QWidget* owner = nullptr);

    QLabel* CurrentFile() const { return currentFile; }
    QProgressBar* Bar() const { return bar; }

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* currentFile;  // 1007
    QProgressBar* bar;    // 1008
};

// A run's progress shown in a CProgressDlg over `owner`, which exists from Show to Hide, with
// the wait cursor over the program. The run never returns to the event loop: Show waits
// (briefly, and never for user input) until the window is on the screen, and each update
// paints the dialog at once and lets pending events other than user input through, so the
// user sees it move but cannot act on the program until the run ends.
class ProgressDialogProgress final : public processing::RunProgress {
  public:
    explicit ProgressDialogProgress(QWidget* owner = nullptr);
    ~ProgressDialogProgress() override;
    ProgressDialogProgress(const ProgressDialogProgress&) = delete;
    ProgressDialogProgress& operator=(const ProgressDialogProgress&) = delete;

    void Show() override;
    void SetCurrentFile(const std::string& path) override;
    void SetRange(std::uint16_t functionCount) override;
    void Step() override;
    void Hide() override;

  private:
    void Paint();

    QWidget* owner;
    std::unique_ptr<CProgressDlg> dialog;
    bool waitCursor = false;
};
