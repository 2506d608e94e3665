#include "dialog_framework/message_box.h"

#include <QApplication>
#include <QTimer>
#include <utility>

namespace {

MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

QWidget* DefaultOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const MessageBoxRequest& request, QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(request.icon, request.caption, request.text,
                                             QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("messageBox"));
    box->setWindowModality(Qt::ApplicationModal);
    if (!request.detailedText.isEmpty()) {
        box->setDetailedText(request.detailedText);
    }
    // The one button answers Return and Escape alike.
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

void ShowMessageBox(const MessageBoxRequest& request, QWidget* owner) {
    const std::unique_ptr<QMessageBox> box =
        MakeMessageBox(request, owner != nullptr ? owner : DefaultOwner());
    if (CurrentHandler()) {
        CurrentHandler()(*box);
        return;
    }
    // Asked once the box is mapped: a window manager may otherwise leave a new window without
    // the focus.
    QMessageBox* shown = box.get();
    QTimer::singleShot(0, shown, [shown] {
        shown->raise();
        shown->activateWindow();
    });
    shown->exec();
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}
