#include "dialogs/parameters_dlg.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeWidget>

#include "dialogs/add_parameter_dlg.h"
#include "dialogs/parameter_row.h"
#include "dialogs/sorted_list_insert.h"
#include "params/mass_range.h"
#include "params/mass_range_list.h"
#include "res/parameters_dialog_template.h"

namespace {

constexpr int kColumnCount = 5;

ParameterRowTexts TextsOfRow(const QTreeWidgetItem& item) {
    ParameterRowTexts texts;
    for (int column = 0; column < kColumnCount; ++column) {
        texts[static_cast<std::size_t>(column)] = item.text(column);
    }
    return texts;
}

}  // namespace

CParametersDlg::CParametersDlg(QWidget* parent, params::CMassRangeList* list)
    : TemplateDialog(parent, kParametersDialogTemplate),
      parameterList(Controls().Get<QTreeWidget>(IDC_PARAMETER_LIST)),
      massRangeList(list),
      removeButton(Controls().Get<QPushButton>(IDC_REMOVE_PARAMETER)) {
    connect(Controls().Get<QPushButton>(IDC_ADD_PARAMETER), &QPushButton::clicked, this,
            &CParametersDlg::OnAddParameter);
    connect(removeButton, &QPushButton::clicked, this, &CParametersDlg::OnRemoveParameter);
    parameterList->viewport()->installEventFilter(this);
    // Keyboard selection changes keep Remove up to date too, not only clicks and buttons.
    connect(parameterList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CParametersDlg::UpdateRemoveButton);
}

void CParametersDlg::DoDataExchange(DataExchange&) {
    UpdateRemoveButton();
}

bool CParametersDlg::OnInitDialog() {
    parameterList->setHeaderLabels({QStringLiteral("Function"), QStringLiteral("Mass Range"),
                                    QStringLiteral("Mass Defect"), QStringLiteral("Window Above"),
                                    QStringLiteral("Window Below")});
    parameterList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The rows come later, so no scroll bar narrows the client area yet.
    const int columnWidth = parameterList->viewport()->width() / kColumnCount;
    for (int column = 0; column < kColumnCount; ++column) {
        parameterList->setColumnWidth(column, columnWidth);
    }
    if (massRangeList != nullptr) {
        const std::int32_t count = massRangeList->GetCount();
        for (std::int32_t index = 0; index < count; ++index) {
            params::CMassRange rule;
            if (massRangeList->GetEntry(index, rule)) {
                InsertRow(rule);
            }
        }
    }
    UpdateData(false);
    return true;
}

void CParametersDlg::OnOK() {
    UpdateData(true);
    if (massRangeList != nullptr) {
        massRangeList->RemoveAll();
        const int count = parameterList->topLevelItemCount();
        for (int row = 0; row < count; ++row) {
            massRangeList->AddEntry(
                RuleFromRowTexts(TextsOfRow(*parameterList->topLevelItem(row))));
        }
    }
    accept();
}

bool CParametersDlg::eventFilter(QObject* watched, QEvent* event) {
    // The view selects on the press, so on the release the selection is already the new one.
    if (watched == parameterList->viewport() && event->type() == QEvent::MouseButtonRelease) {
        OnClickParameterList();
    }
    return TemplateDialog::eventFilter(watched, event);
}

void CParametersDlg::OnAddParameter() {
    params::CMassRange rule;
    const QList<QTreeWidgetItem*> selected = parameterList->selectedItems();
    if (!selected.isEmpty()) {
        rule = RuleFromRowTexts(TextsOfRow(*selected.front()));
    }
    CAddParameterDlg dialog(this, &rule);
    if (dialog.DoModal() == IDOK) {
        InsertRow(rule);
        UpdateData(true);
    }
}

void CParametersDlg::OnRemoveParameter() {
    const QList<QTreeWidgetItem*> selected = parameterList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    delete selected.front();
    // The view would select the row that moves up into the gap; no row is selected after a
    // removal.
    parameterList->clearSelection();
    UpdateData(false);
}

void CParametersDlg::OnClickParameterList() {
    UpdateData(true);
}

void CParametersDlg::UpdateRemoveButton() {
    removeButton->setEnabled(parameterList->topLevelItemCount() > 0 &&
                             !parameterList->selectedItems().isEmpty());
}

void CParametersDlg::InsertRow(const params::CMassRange& rule) {
    const ParameterRowTexts texts = RowTextsOf(rule);
    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    for (int column = 0; column < kColumnCount; ++column) {
        item->setText(column, texts[static_cast<std::size_t>(column)]);
    }
    InsertSorted(*parameterList, item);
}
