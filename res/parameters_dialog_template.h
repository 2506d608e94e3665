#pragma once

#include "res/dialog_template.h"
#include "res/resource_ids.h"

// Template 130, "Edit Parameters": the rules as a five-column list with Add... and Remove.
inline constexpr ControlTemplate kParametersDialogControls[] = {
    {ControlKind::PushButton, IDC_ADD_PARAMETER, nullptr, "Add...", 225, 5, 35, 14, kTabStop},
    {ControlKind::PushButton, IDC_REMOVE_PARAMETER, nullptr, "Remove", 265, 5, 35, 14, kTabStop},
    {ControlKind::ListView, IDC_PARAMETER_LIST, nullptr, "", 5, 25, 295, 175,
     kBorder | kTabStop | kReport | kSingleSelection | kSortAscending | kNoSortHeader},
    {ControlKind::PushButton, IDOK, "IDOK", "OK", 190, 210, 50, 14, kTabStop | kDefaultButton},
    {ControlKind::PushButton, IDCANCEL, "IDCANCEL", "Cancel", 246, 210, 50, 14, kTabStop},
};

inline constexpr DialogTemplate kParametersDialogTemplate = {
    IDD_PARAMETERS, "Edit Parameters", 307, 231, kDialogNoStyle, kParametersDialogControls,
};
