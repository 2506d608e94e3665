#include "dialogs/message_box.h"

#include <QMessageBox>
#include <QTimer>
#include <utility>

namespace {

MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

void ShowWarningMessage(QWidget* parent, const QString& text) {
    // The program's name as its main dialog spells it, not the executable's.
    const MessageBoxRequest request{parent, QStringLiteral("Brevanto"), text};
    if (CurrentHandler()) {
        CurrentHandler()(request);
        return;
    }
    QMessageBox box(QMessageBox::Warning, request.caption, request.text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("warningMessageBox"));
    // A window manager may leave a new window unfocused behind the one in use; the box is
    // what the user has to answer now.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();
}
