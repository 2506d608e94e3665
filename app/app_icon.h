#pragma once

#include <QIcon>

// The application icon (resource IDR_APPICON): a stick spectrum crossed by a mass-defect
// window, at 32 x 32 and 16 x 16.
QIcon LoadAppIcon();
