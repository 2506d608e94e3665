#include "app/raw_file_browse_dialog.h"

#include <QApplication>
#include <QFileInfo>

#include "app/input_paths.h"

RawFileBrowseDialog::RawFileBrowseDialog(QWidget* parent, const QString& title,
                                         const QString& startDirectory)
    : QFileDialog(parent, title, startDirectory) {
    setObjectName(QStringLiteral("rawFileBrowseDialog"));
    // Qt's own dialog, so that accept() below decides what may be chosen.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setOption(QFileDialog::ReadOnly);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::Directory);
}

QString RawFileBrowseDialog::ChosenPath() const {
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void RawFileBrowseDialog::accept() {
    const QFileInfo chosen(ChosenPath());
    if (!chosen.isDir()) {
        return;
    }
    if (!HasRawExtension(chosen.fileName())) {
        setDirectory(chosen.absoluteFilePath());
        return;
    }
    QFileDialog::accept();
}

QString ChooseRawFile(const QString& startDirectory, const QString& title) {
    RawFileBrowseDialog dialog(QApplication::activeWindow(), title, startDirectory);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.ChosenPath();
}
