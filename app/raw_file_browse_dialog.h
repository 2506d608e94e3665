#pragma once

#include <QFileDialog>
#include <QFileIconProvider>
#include <QString>

class QAbstractItemView;

// Shows raw data files, which are directories, as files: a file's icon and the type "Raw Data
// File"; other folders stay folders.
class RawFileIconProvider : public QFileIconProvider {
  public:
    QIcon icon(const QFileInfo& info) const override;
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QString type(const QFileInfo& info) const override;
};

// Our browse dialog for one input: a raw data file, which is a directory whose name ends in
// ".raw", or a file (mzML, mzXML, gzipped or not, or anything the user picks under "All
// files"). Its file types are BrowseNameFilters(), raw data files first. A raw data file is
// picked as a file is: a double-click, Return or Choose on it ends the dialog. An ordinary
// folder opens on a double-click, Return or Choose. Its labels speak of files, not of
// directories.
// Holds the icon provider of the dialog below. As a base class before QFileDialog it is made
// before the dialog's file model and goes after it, which the model needs.
struct RawFileIcons {
    RawFileIconProvider icons;
};

// Without Q_OBJECT: the meta-object system wants QObject as the first base.
class RawFileBrowseDialog : private RawFileIcons, public QFileDialog {
  public:
    RawFileBrowseDialog(QWidget* parent, const QString& title, const QString& startDirectory);

    // The chosen raw data file or file, once the dialog has ended with Accepted.
    QString ChosenPath() const;

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Ends the dialog with `path` when it is a raw data file or a file; false otherwise.
    bool Pick(const QString& path);
    QString PathAt(QAbstractItemView* view, const QModelIndex& index) const;

    QString picked;
};

// Runs the dialog modally over the active window; the chosen path, or empty when cancelled.
QString ChooseRawFile(const QString& startDirectory, const QString& title);
