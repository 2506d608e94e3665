#pragma once

#include <span>

// A dialog template as plain data: the dialog's caption and client size and its controls in
// template order, which is also the tab order. All coordinates are dialog units, turned into
// pixels through the dialog font (dialog_units.h) when the widgets are built
// (template_builder.h).

enum class ControlKind {
    PushButton,
    Edit,
    Label,
    GroupBox,
    ListView,
    ProgressBar,
};

// Style flags of a control; several may be combined.
enum ControlStyle : unsigned {
    kNoStyle = 0,
    kTabStop = 1u << 0,          // reached with the Tab key
    kBorder = 1u << 1,           // drawn with a frame
    kDigitsOnly = 1u << 2,       // edit that takes digits only (it may still be left empty)
    kRightAligned = 1u << 3,     // edit text aligned to the right
    kDefaultButton = 1u << 4,    // push button that Enter presses
    kGroup = 1u << 5,            // starts a group of controls (no effect on the widgets built)
    kAutoHScroll = 1u << 6,      // edit that scrolls its text sideways
    kReport = 1u << 7,           // list view: rows and columns
    kSingleSelection = 1u << 8,  // list view: at most one selected row
    kSortAscending = 1u << 9,    // list view: rows kept in ascending order of their item text,
                                 // by whoever inserts them (dialogs/sorted_list_insert.h)
    kNoSortHeader = 1u << 10,    // list view: column headers ignore clicks
    kNoColumnHeader = 1u << 11,  // list view: no column headers
    kAlignLeft = 1u << 12,       // list view: items aligned to the left
};

// Style flags of the dialog window itself.
enum DialogStyle : unsigned {
    kDialogNoStyle = 0,
    kDialogVisible = 1u << 0,      // shown as soon as it is created
    kDialogAppWindow = 1u << 1,    // has its own taskbar entry
    kDialogAcceptFiles = 1u << 2,  // takes dropped files
};

struct ControlTemplate {
    ControlKind kind;
    int id;            // IDC_STATIC (-1) for controls without an identifier of their own
    const char* name;  // symbolic name, or nullptr when the control has none
    const char* caption;
    int x;
    int y;
    int width;
    int height;
    unsigned styles;  // ControlStyle flags
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width;  // client area, dialog units
    int height;
    unsigned styles;  // DialogStyle flags
    std::span<const ControlTemplate> controls;
};
