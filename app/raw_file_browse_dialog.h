#pragma once

#include <QFileDialog>

// Our browse dialog for one raw data file, which is a directory whose name ends in ".raw".
// It shows folders only; choosing an ordinary folder opens it, choosing a raw data file ends
// the dialog.
class RawFileBrowseDialog : public QFileDialog {
    Q_OBJECT

  public:
    RawFileBrowseDialog(QWidget* parent, const QString& title, const QString& startDirectory);

    // The chosen raw data file, once the dialog has ended with Accepted.
    QString ChosenPath() const;

    void accept() override;
};

// Runs the dialog modally over the active window; the chosen path, or empty when cancelled.
QString ChooseRawFile(const QString& startDirectory, const QString& title);
