#pragma once

#include <cstdint>

#include "dialog_framework/template_dialog.h"

namespace params {
class CMassRange;
}  // namespace params
class QLineEdit;

// "Add Parameters" (template 132): the six values of one rule. It fills the rule it was given
// only when closed with OK and every field is valid; Cancel and Escape leave it untouched.
// Fields are checked one by one in the order below, and the first refused field alone is
// reported; no check relates two fields (low mass may exceed high mass).
class CAddParameterDlg : public TemplateDialog {
    Q_OBJECT

  public:
    // `ruleToFill` may be null; it is not owned and must outlive the dialog.
    CAddParameterDlg(QWidget* parent, params::CMassRange* ruleToFill);

  protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    std::int32_t function = 1;      // 1022, 0 to 1000
    std::uint32_t lowMass = 0;      // 1009, 0 to 150000
    std::uint32_t highMass = 0;     // 1012, 0 to 150000
    double massDefect = 0.0;        // 1018, any number
    std::uint32_t windowAbove = 0;  // 1010, 0 to 150000
    std::uint32_t windowBelow = 0;  // 1011, 0 to 150000
    params::CMassRange* rule;

    QLineEdit* functionEdit;
    QLineEdit* lowMassEdit;
    QLineEdit* highMassEdit;
    QLineEdit* massDefectEdit;
    QLineEdit* windowAboveEdit;
    QLineEdit* windowBelowEdit;
};
