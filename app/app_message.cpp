#include "app/app_message.h"

#include <QApplication>
#include <QTimer>
#include <utility>

namespace {

AppMessageHandler& CurrentHandler() {
    static AppMessageHandler handler;
    return handler;
}

QWidget* DefaultOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

}  // namespace

std::unique_ptr<QMessageBox> MakeAppMessageBox(const AppMessage& message, QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(message.icon, message.caption, message.text,
                                             QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("appMessageBox"));
    box->setWindowModality(Qt::ApplicationModal);
    if (!message.detailedText.isEmpty()) {
        box->setDetailedText(message.detailedText);
    }
    // The one button answers Return and Escape alike.
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

void ShowAppMessage(const AppMessage& message, QWidget* owner) {
    const std::unique_ptr<QMessageBox> box =
        MakeAppMessageBox(message, owner != nullptr ? owner : DefaultOwner());
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

AppMessageHandler SetAppMessageHandler(AppMessageHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}
