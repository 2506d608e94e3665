#include "app/progress_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "app/input_paths.h"
#include "res/progress_dialog_template.h"
#include "res/template_builder.h"

namespace {

// How long Show waits for the window manager to map the dialog. A desktop maps a window in
// milliseconds; without a manager answering, the run goes on unseen rather than hang.
constexpr int kMapWaitMilliseconds = 3000;

void LetEventsThrough() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

CProgressDlg::CProgressDlg(QWidget* owner) : QDialog(owner) {
    const TemplateControls controls = BuildDialogFromTemplate(*this, kProgressDialogTemplate);
    setObjectName(QStringLiteral("progressDialog"));
    currentFile = controls.Get<QLabel>(IDC_CURRENT_FILE);
    bar = controls.Get<QProgressBar>(IDC_PROGRESS_BAR);
    // A long path stays on its one line, cut at the right edge.
    currentFile->setWordWrap(false);
    setWindowModality(Qt::ApplicationModal);
}

// Neither Escape nor a close request ends the dialog; only the run does.
void CProgressDlg::reject() {}

void CProgressDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

ProgressDialogProgress::ProgressDialogProgress(QWidget* ownerWindow) : owner(ownerWindow) {}

ProgressDialogProgress::~ProgressDialogProgress() {
    Hide();
}

void ProgressDialogProgress::Show() {
    if (!waitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursor = true;
    }
    if (!dialog) {
        dialog = std::make_unique<CProgressDlg>(owner);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    // The first frame is painted once the window is on the screen; the run would otherwise
    // start before it is and show an empty frame until its first step.
    QElapsedTimer waited;
    waited.start();
    QTimer wakeUp;  // bounds each wait below when no event comes
    wakeUp.start(20);
    while (dialog->windowHandle() != nullptr && !dialog->windowHandle()->isExposed() &&
           waited.elapsed() < kMapWaitMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
    Paint();
}

void ProgressDialogProgress::Paint() {
    if (dialog) {
        dialog->repaint();
    }
    LetEventsThrough();
}

void ProgressDialogProgress::SetCurrentFile(const std::string& path) {
    if (dialog) {
        dialog->CurrentFile()->setText(FromNativePath(path));
        Paint();
    }
}

void ProgressDialogProgress::SetRange(std::uint16_t functionCount) {
    if (dialog) {
        // A bar from 0 to 0 would be Qt's busy indicator; an input without functions shows
        // an empty bar instead.
        dialog->Bar()->setRange(0, functionCount == 0 ? 1 : int{functionCount});
        dialog->Bar()->setValue(0);
        Paint();
    }
}

void ProgressDialogProgress::Step() {
    if (dialog) {
        QProgressBar* bar = dialog->Bar();
        bar->setValue(std::min(bar->value() + 1, bar->maximum()));
        Paint();
    }
}

void ProgressDialogProgress::Hide() {
    if (dialog) {
        dialog->hide();
        dialog.reset();
    }
    if (waitCursor) {
        QApplication::restoreOverrideCursor();
        waitCursor = false;
    }
}
