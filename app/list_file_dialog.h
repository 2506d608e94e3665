#pragma once

#include <QFileDialog>
#include <QString>
#include <functional>

// The open dialog for a text list file of input paths: filter "Text Files (*.txt)", default
// suffix "txt". A name of a file that does not exist may be confirmed (reading it then adds
// nothing), but its folder must exist.
class ListFileDialog : public QFileDialog {
    Q_OBJECT

  public:
    // `initialFile` is a directory followed by a name pattern, e.g. "/home/u/*.txt".
    ListFileDialog(QWidget* parent, const QString& initialFile);

    // The chosen file, once the dialog has ended with Accepted.
    QString ChosenPath() const;

    void accept() override;
};

// Runs the dialog modally; the chosen file's full path, or empty when cancelled. Tests install
// their own chooser with SetListFileChooser.
QString ChooseListFile(QWidget* parent, const QString& initialFile);

using ListFileChooser = std::function<QString(QWidget* parent, const QString& initialFile)>;
ListFileChooser SetListFileChooser(ListFileChooser chooser);
