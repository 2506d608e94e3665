#pragma once

#include "dialog_framework/template_dialog.h"

namespace params {
class CMassRange;
class CMassRangeList;
}  // namespace params
class QPushButton;
class QTreeWidget;

// "Edit Parameters" (template 130): the rules of a CMassRangeList as a five-column list in
// ascending order of their "Function" text. While the dialog is open the rows are the only
// copy of the rules; the list is read once when the dialog opens and rebuilt whole, in display
// order, when it closes with OK. Cancel and Escape leave the list as it was.
class CParametersDlg : public TemplateDialog {
    Q_OBJECT

  public:
    // `list` may be null; it is not owned and must outlive the dialog.
    CParametersDlg(QWidget* parent, params::CMassRangeList* list);

  protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Add...: a new rule starting from the selected row, or from the defaults.
    void OnAddParameter();
    // Remove: deletes the selected row.
    void OnRemoveParameter();
    // A click anywhere in the list.
    void OnClickParameterList();
    // Remove is enabled exactly when a row is selected.
    void UpdateRemoveButton();
    void InsertRow(const params::CMassRange& rule);

    QTreeWidget* parameterList;  // 1015
    params::CMassRangeList* massRangeList;
    QPushButton* removeButton;  // 1017
};
