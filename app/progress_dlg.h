#pragma once

#include <QDialog>
#include <memory>

#include "processing/run_progress.h"

class QCloseEvent;
class QLabel;
class QProgressBar;

// The progress dialog of a batch run (template 131): modeless, without a parent, with the
// current input in its text and a bar from 0 to the input's function count. It has no
// buttons and cannot be closed; it goes when the run ends.
class CProgressDlg : public QDialog {
    Q_OBJECT

  public:
    CProgressDlg();

    QLabel* CurrentFile() const { return currentFile; }
    QProgressBar* Bar() const { return bar; }

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* currentFile;  // 1007
    QProgressBar* bar;    // 1008
};

// A run's progress shown in a CProgressDlg, which exists from Show to Hide, with the wait
// cursor over the program. The run never returns to the event loop, so each update lets the
// dialog paint by processing pending events other than user input: the user sees it move but
// cannot act on the program until the run ends.
class ProgressDialogProgress final : public RunProgress {
  public:
    ProgressDialogProgress();
    ~ProgressDialogProgress() override;
    ProgressDialogProgress(const ProgressDialogProgress&) = delete;
    ProgressDialogProgress& operator=(const ProgressDialogProgress&) = delete;

    void Show() override;
    void SetCurrentFile(const std::string& path) override;
    void SetRange(std::uint16_t functionCount) override;
    void Step() override;
    void Hide() override;

  private:
    std::unique_ptr<CProgressDlg> dialog;
    bool waitCursor = false;
};
