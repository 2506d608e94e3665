#pragma once

#include "res/dialog_template.h"
#include "res/resource_ids.h"

// Template 131: the modeless progress dialog of a batch run. It is created hidden and has no
// buttons; the run replaces the "Static" text before the first file.
inline constexpr ControlTemplate kProgressDialogControls[] = {
    {ControlKind::Label, IDC_CURRENT_FILE, nullptr, "Static", 5, 5, 290, 10, kNoStyle},
    {ControlKind::ProgressBar, IDC_PROGRESS_BAR, nullptr, "", 5, 20, 295, 10, kBorder},
};

inline constexpr DialogTemplate kProgressDialogTemplate = {
    IDD_PROGRESS,
    "Processing files, please wait...",
    307,
    36,
    kDialogNoStyle,
    kProgressDialogControls,
};
