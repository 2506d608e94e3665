#include "app/app_message.h"

#include <QEventLoop>
#include <utility>

namespace {

AppMessageHandler& CurrentHandler() {
    static AppMessageHandler handler;
    return handler;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeAppMessageBox(const AppMessage& message) {
    auto box = std::make_unique<QMessageBox>(message.icon, message.caption, message.text,
                                             QMessageBox::Ok, nullptr);
    box->setObjectName(QStringLiteral("appMessageBox"));
    if (!message.detailedText.isEmpty()) {
        box->setDetailedText(message.detailedText);
    }
    return box;
}

void ShowAppMessage(const AppMessage& message) {
    const std::unique_ptr<QMessageBox> box = MakeAppMessageBox(message);
    if (CurrentHandler()) {
        CurrentHandler()(*box);
        return;
    }
    // exec() would make the box modal to the whole program. Without an owner it blocks
    // nothing: the main dialog stays usable while the box waits for its OK.
    box->setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(box.get(), &QMessageBox::finished, &loop, &QEventLoop::quit);
    box->show();
    box->raise();
    box->activateWindow();
    loop.exec(QEventLoop::DialogExec);
}

AppMessageHandler SetAppMessageHandler(AppMessageHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}
