#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <functional>

#include "dialog_framework/message_box.h"

class QApplication;
class QDialog;
class QLineEdit;
class QTreeWidget;
class QWidget;

// Helpers that let a test drive the dialogs as a user would, on the offscreen platform.

// Runs `body` from a zero-delay timer, that is inside the next modal exec(), with the active
// modal dialog, made the active window first. A body that leaves the dialog open fails the test and
// the dialog is closed, so that a broken test cannot hang.
void WhileModal(std::function<void(QDialog& dialog)> body);

// What a message box would have shown.
struct ShownMessage {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QString detailedText;
    bool hasOwner;
    bool modal;  // to the whole program
    QMessageBox::StandardButtons buttons;
};

// Takes the place of every message box for its lifetime and records each one instead.
class MessageCapture {
  public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const QList<ShownMessage>& Messages() const { return messages; }
    QStringList Texts() const;
    void Clear() { messages.clear(); }

  private:
    QList<ShownMessage> messages;
    MessageBoxHandler previous;
};

// Clears the edit with Ctrl+A and Backspace, then types `text` key by key (so the edit's
// validator sees every key).
void TypeInto(QLineEdit* edit, const QString& text);

// Clicks a row of a list where the user would: the centre of the row's first cell.
void ClickRow(QTreeWidget* list, int row);

// Clicks a push button of `dialog` found by objectName.
void ClickButton(QWidget& dialog, const QString& objectName);

// For a test fixture's cleanup(): fails when a window outlived its test.
void VerifyNoTopLevelWindows();

// Before QApplication: the offscreen platform unless another one is asked for.
void SetUpDialogTestEnvironment();

#define BREVANTO_DIALOG_TEST_MAIN(TestClass)    \
    int main(int argc, char** argv) {           \
        SetUpDialogTestEnvironment();           \
        QApplication app(argc, argv);           \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
