#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <utility>

#include "app/filter_dlg.h"
#include "app/input_paths.h"
#include "app/message_texts.h"
#include "app/open_format_inputs.h"
#include "dialog_framework/message_box.h"

void CFilterDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!Busy() && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CFilterDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!Busy() && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CFilterDlg::dropEvent(QDropEvent* event) {
    // The run lets window events through to paint its progress; a drop must not reach the
    // list under it.
    if (Busy() || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const bool handlerPending = !droppedFiles.isEmpty();
    droppedFiles.append(event->mimeData()->urls());
    if (!handlerPending) {
        QMetaObject::invokeMethod(
            this, [this] { HandleDroppedFiles(); }, Qt::QueuedConnection);
    }
}

void CFilterDlg::HandleDroppedFiles() {
    if (running || droppedFiles.isEmpty()) {
        return;
    }
    const QList<QUrl> urls = std::exchange(droppedFiles, {});
    OnDropFiles(urls);
}

void CFilterDlg::OnDropFiles(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        // Only local files have a path; anything else is passed over without a message.
        std::string path = NativePathOfUrl(url);
        // A raw data file is a directory, which some file managers drop with a final "/".
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        if (path.empty()) {
            continue;
        }
        if (HasRawExtension(path) || HasOpenFormatExtension(path)) {
            InsertAtTop(path);
        } else {
            // Each rejected name is answered before the next one is looked at.
            ShowMessageBox(ProblemMessage(message_texts::kNotRawFile), this);
        }
    }
}
