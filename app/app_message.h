#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

// The program's own message boxes: fixed texts under "Problem" or "Finished", with no owner
// window (so the main dialog stays usable while one shows) and an OK button only.
struct AppMessage {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QString detailedText;  // shown behind "Show Details..."; empty for none
};

// The box as it would be shown: no parent, OK only.
std::unique_ptr<QMessageBox> MakeAppMessageBox(const AppMessage& message);

// Shows the box and waits for its OK, or hands it to the handler installed for tests. Other
// windows of the program stay usable meanwhile.
void ShowAppMessage(const AppMessage& message);

// Installs `handler` in place of exec() (an empty handler restores it) and returns the one it
// replaces. The handler gets the fully built box.
using AppMessageHandler = std::function<void(QMessageBox& box)>;
AppMessageHandler SetAppMessageHandler(AppMessageHandler handler);
