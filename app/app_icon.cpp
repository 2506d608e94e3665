#include "app/app_icon.h"

// The resources sit in a static library, where nothing else would pull them in.
static void InitIconResources() {
    Q_INIT_RESOURCE(brevanto);
}

QIcon LoadAppIcon() {
    InitIconResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/brevanto/brevanto-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/brevanto/brevanto-16.png"), QSize(16, 16));
    return icon;
}
