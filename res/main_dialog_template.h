#pragma once

#include "res/dialog_template.h"
#include "res/resource_ids.h"

// Template 102, "Brevanto": the main dialog with the parameters button, the input list and
// the output suffix. The input list allows several selected rows and keeps insertion order.
inline constexpr ControlTemplate kMainDialogControls[] = {
    {ControlKind::GroupBox, IDC_STATIC, nullptr, "Parameters", 5, 5, 300, 30, kNoStyle},
    {ControlKind::Label, IDC_STATIC, nullptr,
     "Click on this button to view and edit the processing parameters.", 10, 17, 225, 10, kGroup},
    {ControlKind::PushButton, IDC_EDIT_PARAMETERS, "IDC_EDIT_PARAMETERS", "Edit...", 240, 15, 60,
     15, kTabStop},
    {ControlKind::GroupBox, IDC_INPUT_GROUP, "IDC_INPUT_GROUP", "Input Files", 5, 45, 300, 150,
     kNoStyle},
    {ControlKind::ListView, IDC_INPUT_LIST, "IDC_INPUT_LIST", "", 10, 55, 290, 115,
     kBorder | kTabStop | kReport | kNoColumnHeader | kAlignLeft},
    {ControlKind::Label, IDC_STATIC, nullptr,
     "Press the left Control key while clicking the Add button to select a list file.", 10, 175,
     210, 15, kGroup},
    {ControlKind::PushButton, IDC_ADD, "IDC_ADD", "Add...", 225, 175, 35, 15, kTabStop},
    {ControlKind::PushButton, IDC_REMOVE, "IDC_REMOVE", "Remove", 265, 175, 35, 15, kTabStop},
    {ControlKind::GroupBox, IDC_SUFFIX_GROUP, "IDC_SUFFIX_GROUP", "Output File Suffix", 5, 205, 175,
     30, kNoStyle},
    {ControlKind::Edit, IDC_SUFFIX, "IDC_SUFFIX", "", 10, 215, 165, 15,
     kBorder | kAutoHScroll | kTabStop},
    {ControlKind::PushButton, IDC_PROCESS, "IDC_PROCESS", "Process", 195, 215, 50, 14,
     kTabStop | kDefaultButton},
    {ControlKind::PushButton, IDCANCEL, "IDCANCEL", "Finish", 251, 215, 50, 14, kTabStop},
};

inline constexpr DialogTemplate kMainDialogTemplate = {
    IDD_MAIN,
    "Brevanto",
    311,
    239,
    kDialogVisible | kDialogAppWindow | kDialogAcceptFiles,
    kMainDialogControls,
};
