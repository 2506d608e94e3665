#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// Every message box of the program goes through here, whichever dialog asks: a caption, a
// text, an optional detailed text and an OK button only.
//
// The original platform showed such boxes without an owner window and left the dialog behind
// usable meanwhile. Under an X11 window manager a box without an owner opens wherever the
// manager likes (often behind the dialog in use), and Return or Escape reach the dialog behind
// it. So a box here belongs to the window it is shown over: the manager keeps it in front of
// that window, it takes the keyboard focus, and it is modal to the whole program until answered
// by OK, Return or Escape. Nothing behind it (Process above all) reacts meanwhile.
struct MessageBoxRequest {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QString detailedText;  // shown behind "Show Details..."; empty for none
};

// The box as it would be shown over `owner` (which may be null): OK only, modal to the
// program.
std::unique_ptr<QMessageBox> MakeMessageBox(const MessageBoxRequest& request, QWidget* owner);

// Shows the box over `owner` and waits for its answer, or hands it to the handler installed
// for tests. With no owner given, the box goes over the program's active window.
void ShowMessageBox(const MessageBoxRequest& request, QWidget* owner = nullptr);

// Installs `handler` in place of exec() (an empty handler restores it) and returns the one it
// replaces. The handler gets the fully built box, owner included.
using MessageBoxHandler = std::function<void(QMessageBox& box)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
