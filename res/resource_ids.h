#pragma once

// Identifiers of the dialog templates, the icon and the controls. Control identifiers are
// unique within one template only: 1012 is the "Edit..." button of the main dialog and the
// high-mass edit of the add-parameter dialog.

// Templates and icon.
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_APPICON = 128;
inline constexpr int IDD_PARAMETERS = 130;
inline constexpr int IDD_PROGRESS = 131;
inline constexpr int IDD_ADD_PARAMETER = 132;

// Buttons that end a modal dialog, and the results of DoModal.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Controls without an identifier of their own (labels, frames).
inline constexpr int IDC_STATIC = -1;

// Main dialog (102).
inline constexpr int IDC_ADD = 1000;
inline constexpr int IDC_INPUT_LIST = 1001;
inline constexpr int IDC_SUFFIX = 1002;
inline constexpr int IDC_REMOVE = 1003;
inline constexpr int IDC_INPUT_GROUP = 1004;
inline constexpr int IDC_SUFFIX_GROUP = 1005;
inline constexpr int IDC_PROCESS = 1006;
inline constexpr int IDC_EDIT_PARAMETERS = 1012;

// Progress dialog (131).
inline constexpr int IDC_CURRENT_FILE = 1007;
inline constexpr int IDC_PROGRESS_BAR = 1008;

// Parameters dialog (130).
inline constexpr int IDC_PARAMETER_LIST = 1015;
inline constexpr int IDC_ADD_PARAMETER = 1016;
inline constexpr int IDC_REMOVE_PARAMETER = 1017;

// Add-parameter dialog (132).
inline constexpr int IDC_LOW_MASS = 1009;
inline constexpr int IDC_WINDOW_ABOVE = 1010;
inline constexpr int IDC_WINDOW_BELOW = 1011;
inline constexpr int IDC_HIGH_MASS = 1012;
inline constexpr int IDC_MASS_DEFECT = 1018;
inline constexpr int IDC_FUNCTION = 1022;
