// brevanto: the main dialog of the batch filter. The program takes no command-line arguments;
// Qt is not shown them either.

#include <QApplication>

#include "app/app_icon.h"
#include "app/filter_app.h"

namespace {

CFilterApp theApp;

}  // namespace

int main(int /*argc*/, char** argv) {
    int argumentCount = 1;
    char* arguments[] = {argv[0], nullptr};
    QApplication application(argumentCount, arguments);
    // The application name stays the one Qt takes from the executable: the profile is named
    // after it.
    QGuiApplication::setDesktopFileName(QStringLiteral("brevanto"));
    QApplication::setWindowIcon(LoadAppIcon());
    theApp.InitInstance();
    return 0;
}
