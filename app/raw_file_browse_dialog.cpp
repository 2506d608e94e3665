#include "app/raw_file_browse_dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/input_paths.h"
#include "app/open_format_inputs.h"

namespace {

bool IsRawDataFile(const QFileInfo& info) {
    return info.isDir() && HasRawExtension(info.fileName());
}

// What the dialog ends with: a raw data file, or a file of any other kind (the run decides
// what it is).
bool IsPickable(const QFileInfo& info) {
    return IsRawDataFile(info) || (info.exists() && !info.isDir());
}

}  // namespace

QIcon RawFileIconProvider::icon(const QFileInfo& info) const {
    return IsRawDataFile(info) ? QFileIconProvider::icon(QAbstractFileIconProvider::File)
                               : QFileIconProvider::icon(info);
}

QString RawFileIconProvider::type(const QFileInfo& info) const {
    return IsRawDataFile(info) ? QStringLiteral("Raw Data File") : QFileIconProvider::type(info);
}

RawFileBrowseDialog::RawFileBrowseDialog(QWidget* parent, const QString& title,
                                         const QString& startDirectory)
    : QFileDialog(parent, title, startDirectory) {
    setObjectName(QStringLiteral("rawFileBrowseDialog"));
    // Qt's own dialog, so that accept() below decides what may be chosen.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ReadOnly);
    setAcceptMode(QFileDialog::AcceptOpen);
    // Files are picked by the dialog itself; a raw data file is a directory, which accept()
    // and the views' double-click and Return below pick as a file.
    setFileMode(QFileDialog::ExistingFile);
    setIconProvider(&icons);
    setNameFilters(BrowseNameFilters());
    setLabelText(QFileDialog::LookIn, QStringLiteral("Look in:"));
    setLabelText(QFileDialog::FileName, QStringLiteral("File name:"));
    setLabelText(QFileDialog::FileType, QStringLiteral("Files of type:"));
    setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    for (const QString& name : {QStringLiteral("listView"), QStringLiteral("treeView")}) {
        if (auto* view = findChild<QAbstractItemView*>(name)) {
            view->installEventFilter(this);
            view->viewport()->installEventFilter(this);
        }
    }
}

QString RawFileBrowseDialog::ChosenPath() const {
    if (!picked.isEmpty()) {
        return picked;
    }
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

bool RawFileBrowseDialog::Pick(const QString& path) {
    const QFileInfo chosen(path);
    if (path.isEmpty() || !IsPickable(chosen)) {
        return false;
    }
    picked = chosen.absoluteFilePath();
    QDialog::accept();
    return true;
}

QString RawFileBrowseDialog::PathAt(QAbstractItemView* view, const QModelIndex& index) const {
    if (!index.isValid()) {
        return QString();
    }
    return view->model()->data(index.siblingAtColumn(0), QFileSystemModel::FilePathRole).toString();
}

bool RawFileBrowseDialog::eventFilter(QObject* watched, QEvent* event) {
    // The views would open a raw data file like any folder on a double-click or Return.
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto* view = qobject_cast<QAbstractItemView*>(watched->parent());
        const auto* click = static_cast<QMouseEvent*>(event);
        if (view != nullptr && click->button() == Qt::LeftButton &&
            Pick(PathAt(view, view->indexAt(click->position().toPoint())))) {
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* view = qobject_cast<QAbstractItemView*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (view != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
            Pick(PathAt(view, view->currentIndex()))) {
            return true;
        }
    }
    return QFileDialog::eventFilter(watched, event);
}

void RawFileBrowseDialog::accept() {
    const QFileInfo chosen(ChosenPath());
    if (!chosen.exists() || Pick(chosen.absoluteFilePath())) {
        return;
    }
    setDirectory(chosen.absoluteFilePath());
}

QString ChooseRawFile(const QString& startDirectory, const QString& title) {
    RawFileBrowseDialog dialog(QApplication::activeWindow(), title, startDirectory);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.ChosenPath();
}
