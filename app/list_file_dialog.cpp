#include "app/list_file_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <utility>

namespace {

ListFileChooser& CurrentChooser() {
    static ListFileChooser chooser;
    return chooser;
}

}  // namespace

ListFileDialog::ListFileDialog(QWidget* parent, const QString& initialFile) : QFileDialog(parent) {
    setObjectName(QStringLiteral("listFileDialog"));
    // The caption the system's open dialog has when it is given none.
    setWindowTitle(QStringLiteral("Open"));
    // Qt's own dialog, so that accept() below can insist on an existing folder.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(QStringLiteral("Text Files (*.txt)"));
    setDefaultSuffix(QStringLiteral("txt"));
    // The initial name is a pattern, which the filter already applies: only its folder is used.
    const QFileInfo initial(initialFile);
    if (initial.dir().exists()) {
        setDirectory(initial.absolutePath());
    }
}

QString ListFileDialog::ChosenPath() const {
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void ListFileDialog::accept() {
    const QFileInfo chosen(ChosenPath());
    if (!chosen.isDir() && !chosen.dir().exists()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The folder does not exist:\n%1")
                                 .arg(QDir::toNativeSeparators(chosen.absolutePath())));
        return;
    }
    QFileDialog::accept();
}

QString ChooseListFile(QWidget* parent, const QString& initialFile) {
    if (CurrentChooser()) {
        return CurrentChooser()(parent, initialFile);
    }
    ListFileDialog dialog(parent, initialFile);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.ChosenPath();
}

ListFileChooser SetListFileChooser(ListFileChooser chooser) {
    return std::exchange(CurrentChooser(), std::move(chooser));
}
