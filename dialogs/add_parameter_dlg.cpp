#include "dialogs/add_parameter_dlg.h"

#include <QLineEdit>

#include "dialog_framework/data_exchange.h"
#include "params/mass_range.h"
#include "res/add_parameter_dialog_template.h"

namespace {

constexpr std::int32_t kMaxFunction = 1000;
constexpr std::uint32_t kMaxMassOrWindow = 150000;

}  // namespace

CAddParameterDlg::CAddParameterDlg(QWidget* parent, params::CMassRange* ruleToFill)
    : TemplateDialog(parent, kAddParameterDialogTemplate),
      rule(ruleToFill),
      functionEdit(Controls().Get<QLineEdit>(IDC_FUNCTION)),
      lowMassEdit(Controls().Get<QLineEdit>(IDC_LOW_MASS)),
      highMassEdit(Controls().Get<QLineEdit>(IDC_HIGH_MASS)),
      massDefectEdit(Controls().Get<QLineEdit>(IDC_MASS_DEFECT)),
      windowAboveEdit(Controls().Get<QLineEdit>(IDC_WINDOW_ABOVE)),
      windowBelowEdit(Controls().Get<QLineEdit>(IDC_WINDOW_BELOW)) {}

void CAddParameterDlg::DoDataExchange(DataExchange& dx) {
    ExchangeInt(dx, functionEdit, function, 0, kMaxFunction);
    ExchangeUInt(dx, lowMassEdit, lowMass, 0, kMaxMassOrWindow);
    ExchangeUInt(dx, highMassEdit, highMass, 0, kMaxMassOrWindow);
    ExchangeDouble(dx, massDefectEdit, massDefect);
    ExchangeUInt(dx, windowAboveEdit, windowAbove, 0, kMaxMassOrWindow);
    ExchangeUInt(dx, windowBelowEdit, windowBelow, 0, kMaxMassOrWindow);
}

bool CAddParameterDlg::OnInitDialog() {
    if (rule != nullptr) {
        function = rule->GetFunction();
        lowMass = rule->GetLowMass();
        highMass = rule->GetHighMass();
        massDefect = rule->GetMassDefect();
        windowAbove = rule->GetWindowAbove();
        windowBelow = rule->GetWindowBelow();
    }
    UpdateData(false);
    return true;
}

void CAddParameterDlg::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    if (rule != nullptr) {
        rule->SetFunction(function);
        rule->SetLowMass(lowMass);
        rule->SetHighMass(highMass);
        rule->SetMassDefect(massDefect);
        rule->SetWindowAbove(windowAbove);
        rule->SetWindowBelow(windowBelow);
    }
    accept();
}
