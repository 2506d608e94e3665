#include "app/filter_app.h"

#include "app/filter_dlg.h"

bool CFilterApp::InitInstance() {
    CFilterDlg dialog(nullptr);
    dialog.DoModal();
    return false;
}
