#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "app/app_message.h"
#include "app/filter_dlg.h"
#include "app/input_paths.h"
#include "app/message_texts.h"

void CFilterDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CFilterDlg::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        return;
    }
    event->acceptProposedAction();
    OnDropFiles(event->mimeData()->urls());
}

void CFilterDlg::OnDropFiles(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        // Only local files have a path; anything else is passed over without a message.
        if (!url.isLocalFile()) {
            continue;
        }
        QString path = url.toLocalFile();
        // A raw data file is a directory, which some file managers drop with a final "/".
        while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
            path.chop(1);
        }
        if (path.isEmpty()) {
            continue;
        }
        if (HasRawExtension(path)) {
            InsertAtTop(path);
        } else {
            ShowAppMessage(ProblemMessage(message_texts::kNotRawFile));
        }
    }
}
