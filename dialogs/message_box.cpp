#include "dialogs/message_box.h"

#include <QGuiApplication>
#include <QMessageBox>
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
    const MessageBoxRequest request{parent, QGuiApplication::applicationDisplayName(), text};
    if (CurrentHandler()) {
        CurrentHandler()(request);
        return;
    }
    QMessageBox box(QMessageBox::Warning, request.caption, request.text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("warningMessageBox"));
    box.exec();
}
