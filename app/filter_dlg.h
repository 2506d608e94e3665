#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>
#include <string>
#include <vector>

#include "app/left_control_key.h"
#include "dialog_framework/template_dialog.h"
#include "params/mass_range_list.h"

class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QHelpEvent;
class QTreeWidget;

// The main dialog (template 102, "Brevanto"): the input list, the output suffix and the one
// CMassRangeList of the program. Edit... opens the parameters dialog, Add... and drops add
// input paths at the top of the list, Remove takes the topmost selected one out, and Process
// runs the batch over the list from top to bottom (raw data files, mzML and mzXML files, each
// processed as CFilterJob decides) and reports the outcome in one message.
// Finish, Escape and the window's close request all end it as Cancel.
//
// While a run is in progress, or one of its messages waits for an answer, it starts no second
// run and takes no drop, Add..., Edit... or Remove: the progress dialog and the message boxes
// are modal, and the handlers check it once more, since the run lets window events through.
class CFilterDlg : public TemplateDialog {
    Q_OBJECT

  public:
    explicit CFilterDlg(QWidget* parent = nullptr);
    ~CFilterDlg() override;

    // The items' paths from top to bottom, byte for byte as they go to the run.
    std::vector<std::string> InputPaths() const;

  protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnAdd();
    void OnRemove();
    void OnProcess();
    void OnEditParameters();
    void OnDropFiles(const QList<QUrl>& urls);
    // The tip of the item under a help event: its full text, cut to the tip buffer.
    bool OnGetInfoTip(QHelpEvent* event);

    // Add... with the left Control key: the lines of a list file.
    void AddFromListFile(const QString& lastDirectory);
    // Add... otherwise: one raw data file or open-format file from the browse dialog.
    void AddFromBrowseDialog(const QString& lastDirectory);
    // New paths go to the top, so the newest is processed first. The item keeps the path's
    // bytes for the run; its text is only for showing.
    void InsertAtTop(const std::string& nativePath);
    // A run is in progress or a window of the program is modal over this one.
    bool Busy() const;
    // A drop is handled once it has ended, so the source is not kept waiting while its
    // warnings are answered.
    void HandleDroppedFiles();

    QTreeWidget* inputList;  // 1001
    QString suffix;          // 1002
    QIcon icon;
    params::CMassRangeList massRanges;
    ControlKeyTracker controlKeys;
    bool running = false;      // a batch run is inside OnProcess
    QList<QUrl> droppedFiles;  // dropped, not yet handled
};
