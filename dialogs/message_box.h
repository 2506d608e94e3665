#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every warning the dialogs show goes through ShowWarningMessage, so that a test can take the
// place of the message box and record what would have been shown.
struct MessageBoxRequest {
    QWidget* parent;
    QString caption;
    QString text;
};

using MessageBoxHandler = std::function<void(const MessageBoxRequest&)>;

// Installs `handler` instead of the real message box (an empty handler restores it) and returns
// the handler it replaces.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// A warning box with an OK button under the caption "Brevanto", in front of `parent`'s window
// and modal to the program, so that nothing behind it takes the keys that answer it.
void ShowWarningMessage(QWidget* parent, const QString& text);
