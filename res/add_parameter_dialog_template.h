#pragma once

#include "res/dialog_template.h"
#include "res/resource_ids.h"

// Template 132, "Add Parameters": the six values of one rule. The mass-defect edit is the only
// edit that takes any characters; the others take digits only.
inline constexpr unsigned kNumberEditStyles = kBorder | kTabStop | kDigitsOnly | kRightAligned;

inline constexpr ControlTemplate kAddParameterDialogControls[] = {
    {ControlKind::Label, IDC_STATIC, nullptr, "Function:", 5, 20, 30, 8, kNoStyle},
    {ControlKind::Edit, IDC_FUNCTION, nullptr, "", 55, 18, 20, 12, kNumberEditStyles},
    {ControlKind::Label, IDC_STATIC, nullptr, "Mass Range (Da):", 95, 5, 58, 8, kNoStyle},
    {ControlKind::Label, IDC_STATIC, nullptr, "Low:", 110, 20, 16, 8, kNoStyle},
    {ControlKind::Edit, IDC_LOW_MASS, nullptr, "", 130, 18, 25, 12, kNumberEditStyles},
    {ControlKind::Label, IDC_STATIC, nullptr, "High:", 175, 20, 18, 8, kNoStyle},
    {ControlKind::Edit, IDC_HIGH_MASS, nullptr, "", 195, 18, 25, 12, kNumberEditStyles},
    {ControlKind::Label, IDC_STATIC, nullptr, "Mass Defect:", 5, 60, 43, 8, kNoStyle},
    {ControlKind::Edit, IDC_MASS_DEFECT, nullptr, "", 55, 58, 30, 12,
     kBorder | kTabStop | kRightAligned},
    {ControlKind::Label, IDC_STATIC, nullptr, "Mass Window (mDa):", 95, 45, 68, 8, kNoStyle},
    {ControlKind::Label, IDC_STATIC, nullptr, "Above:", 105, 60, 24, 8, kNoStyle},
    {ControlKind::Edit, IDC_WINDOW_ABOVE, nullptr, "", 131, 58, 25, 12, kNumberEditStyles},
    {ControlKind::Label, IDC_STATIC, nullptr, "Below:", 171, 61, 22, 8, kNoStyle},
    {ControlKind::Edit, IDC_WINDOW_BELOW, nullptr, "", 195, 58, 25, 12, kNumberEditStyles},
    {ControlKind::PushButton, IDOK, "IDOK", "OK", 115, 80, 50, 14, kTabStop | kDefaultButton},
    {ControlKind::PushButton, IDCANCEL, "IDCANCEL", "Cancel", 170, 80, 50, 14, kTabStop},
};

inline constexpr DialogTemplate kAddParameterDialogTemplate = {
    IDD_ADD_PARAMETER, "Add Parameters", 227, 101, kDialogNoStyle, kAddParameterDialogControls,
};
