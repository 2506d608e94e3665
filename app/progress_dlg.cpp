#include "app/progress_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "app/input_paths.h"
#include "res/progress_dialog_template.h"
#include "res/template_builder.h"

namespace {

void LetItPaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

CProgressDlg::CProgressDlg() : QDialog(nullptr) {
    const TemplateControls controls = BuildDialogFromTemplate(*this, kProgressDialogTemplate);
    setObjectName(QStringLiteral("progressDialog"));
    currentFile = controls.Get<QLabel>(IDC_CURRENT_FILE);
    bar = controls.Get<QProgressBar>(IDC_PROGRESS_BAR);
    // A long path stays on its one line, cut at the right edge.
    currentFile->setWordWrap(false);
    setModal(false);
}

// Neither Escape nor a close request ends the dialog; only the run does.
void CProgressDlg::reject() {}

void CProgressDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

ProgressDialogProgress::ProgressDialogProgress() = default;

ProgressDialogProgress::~ProgressDialogProgress() {
    Hide();
}

void ProgressDialogProgress::Show() {
    if (!waitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursor = true;
    }
    if (!dialog) {
        dialog = std::make_unique<CProgressDlg>();
    }
    dialog->show();
    LetItPaint();
}

void ProgressDialogProgress::SetCurrentFile(const std::string& path) {
    if (dialog) {
        dialog->CurrentFile()->setText(FromNativePath(path));
        LetItPaint();
    }
}

void ProgressDialogProgress::SetRange(std::uint16_t functionCount) {
    if (dialog) {
        // A bar from 0 to 0 would be Qt's busy indicator; an input without functions shows
        // an empty bar instead.
        dialog->Bar()->setRange(0, functionCount == 0 ? 1 : int{functionCount});
        dialog->Bar()->setValue(0);
        LetItPaint();
    }
}

void ProgressDialogProgress::Step() {
    if (dialog) {
        QProgressBar* bar = dialog->Bar();
        bar->setValue(std::min(bar->value() + 1, bar->maximum()));
        LetItPaint();
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
