#include "app/filter_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QTreeWidget>

#include "app/app_icon.h"
#include "app/input_paths.h"
#include "app/message_texts.h"
#include "app/open_format_inputs.h"
#include "app/progress_dlg.h"
#include "dialog_framework/data_exchange.h"
#include "dialog_framework/message_box.h"
#include "dialogs/parameters_dlg.h"
#include "processing/filter_job.h"
#include "res/main_dialog_template.h"
#ifdef BREVANTO_HAVE_PLOT
#include "app/plot_window.h"
#endif

CFilterDlg::CFilterDlg(QWidget* parent)
    : TemplateDialog(parent, kMainDialogTemplate),
      inputList(Controls().Get<QTreeWidget>(IDC_INPUT_LIST)),
      suffix(QStringLiteral("_BRV")),
      icon(LoadAppIcon()),
      controlKeys(QGuiApplication::platformName()) {
    setObjectName(QStringLiteral("CFilterDlg"));
    connect(Controls().Get<QPushButton>(IDC_ADD), &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(Controls().Get<QPushButton>(IDC_REMOVE), &QPushButton::clicked, this,
            [this] { OnRemove(); });
    connect(Controls().Get<QPushButton>(IDC_PROCESS), &QPushButton::clicked, this,
            [this] { OnProcess(); });
    connect(Controls().Get<QPushButton>(IDC_EDIT_PARAMETERS), &QPushButton::clicked, this,
            [this] { OnEditParameters(); });
}

CFilterDlg::~CFilterDlg() = default;

void CFilterDlg::DoDataExchange(DataExchange& dx) {
    auto* edit = Controls().Get<QLineEdit>(IDC_SUFFIX);
    if (dx.SaveAndValidate()) {
        suffix = edit->text();
    } else {
        edit->setText(suffix);
    }
}

bool CFilterDlg::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    setWindowIcon(icon);

    // One column without a header, as wide as the list; longer paths are cut at the right
    // edge and shown whole in the item's tip.
    inputList->setColumnCount(1);
    inputList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    inputList->setTextElideMode(Qt::ElideRight);
    inputList->viewport()->installEventFilter(this);
#ifdef BREVANTO_HAVE_PLOT
    InstallPlotMenu(inputList, this, [this] { return massRanges; });
#endif
    return true;
}

bool CFilterDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == inputList->viewport() && event->type() == QEvent::ToolTip) {
        return OnGetInfoTip(static_cast<QHelpEvent*>(event));
    }
    return TemplateDialog::eventFilter(watched, event);
}

bool CFilterDlg::OnGetInfoTip(QHelpEvent* event) {
    const QTreeWidgetItem* item = inputList->itemAt(event->pos());
    if (item == nullptr) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(event->globalPos(), InfoTipText(item->text(0), kInfoTipBufferSize),
                       inputList->viewport(), inputList->visualItemRect(item));
    return true;
}

void CFilterDlg::closeEvent(QCloseEvent* event) {
    // The run lets window events through so that its progress paints; a close request then
    // must not end the dialog under the running handler.
    if (running) {
        event->ignore();
        return;
    }
    TemplateDialog::closeEvent(event);
}

namespace {

// Where an item keeps the bytes of its path.
constexpr int kNativePathRole = Qt::UserRole;

// Set for the life of a run, an exception passing through included.
class RunningFlag {
  public:
    explicit RunningFlag(bool& flag) : running(flag) { running = true; }
    ~RunningFlag() { running = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

  private:
    bool& running;
};

}  // namespace

void CFilterDlg::InsertAtTop(const std::string& nativePath) {
    auto* item = new QTreeWidgetItem(QStringList{FromNativePath(nativePath)});
    item->setData(0, kNativePathRole, QByteArray::fromStdString(nativePath));
    inputList->insertTopLevelItem(0, item);
}

std::vector<std::string> CFilterDlg::InputPaths() const {
    std::vector<std::string> paths;
    for (int row = 0; row < inputList->topLevelItemCount(); ++row) {
        paths.push_back(
            inputList->topLevelItem(row)->data(0, kNativePathRole).toByteArray().toStdString());
    }
    return paths;
}

bool CFilterDlg::Busy() const {
    // The dialog itself is modal while the program runs it.
    const QWidget* modal = QApplication::activeModalWidget();
    return running || (modal != nullptr && modal != this);
}

void CFilterDlg::OnRemove() {
    if (Busy()) {
        return;
    }
    // Each click takes out the topmost selected item only.
    for (int row = 0; row < inputList->topLevelItemCount(); ++row) {
        if (inputList->topLevelItem(row)->isSelected()) {
            delete inputList->takeTopLevelItem(row);
            UpdateData(true);
            return;
        }
    }
}

void CFilterDlg::OnEditParameters() {
    if (Busy()) {
        return;
    }
    CParametersDlg parameters(this, &massRanges);
    parameters.DoModal();
#ifdef BREVANTO_HAVE_PLOT
    RedrawPlotWindows(this, massRanges);
#endif
}

void CFilterDlg::OnProcess() {
    // A second press can only come through while a run or its message is on the screen.
    if (Busy()) {
        return;
    }
    UpdateData(true);
    const int count = inputList->topLevelItemCount();
    if (count <= 0) {
        ShowMessageBox(ProblemMessage(message_texts::kNoInputFiles), this);
        return;
    }
    if (massRanges.GetCount() <= 0) {
        ShowMessageBox(ProblemMessage(message_texts::kNoMassRanges), this);
        return;
    }

    bool succeeded = false;
    processing::RunFailure failure;
    {
        const RunningFlag run(running);
        ProgressDialogProgress progress(this);
        processing::CFilterJob job(&massRanges);
        job.SetFormatRoute(DialogFormatRoute());
        job.SetFileList(JoinNativePaths(InputPaths()));
        job.SetSuffix(ToNativePath(suffix));
        job.SetProgress(&progress);
        succeeded = job.Run();
        failure = job.GetFailure();
    }

    const QString finished = QString::fromLatin1(message_texts::kFinished);
    if (succeeded) {
        ShowMessageBox({QMessageBox::Information, finished,
                        QString::fromLatin1(message_texts::kRunSucceeded), QString()},
                       this);
    } else {
        ShowMessageBox(
            {QMessageBox::Critical, finished, QString::fromLatin1(message_texts::kRunFailed),
             FromNativePath(failure.Describe())},
            this);
    }
    // Drops that arrived while the run was busy.
    HandleDroppedFiles();
}
