#include "dialog_test_support.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <utility>

void WhileModal(std::function<void(QDialog& dialog)> body) {
    QTimer::singleShot(0, [body = std::move(body)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QFAIL("no modal dialog is open");
        }
        // As on a desktop, the dialog that opens is the active window, so focus changes
        // reach its widgets (and the default button follows the focus).
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog)) {
            dialog->reject();
            QFAIL("the dialog did not become active");
        }
        body(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
            QFAIL("the test left the dialog open");
        }
    });
}

MessageCapture::MessageCapture()
    : previous(SetMessageBoxHandler([this](QMessageBox& box) {
          messages.append({box.icon(), box.windowTitle(), box.text(), box.detailedText(),
                           box.parent() != nullptr, box.windowModality() == Qt::ApplicationModal,
                           box.standardButtons()});
      })) {}

MessageCapture::~MessageCapture() {
    SetMessageBoxHandler(std::move(previous));
}

QStringList MessageCapture::Texts() const {
    QStringList texts;
    for (const ShownMessage& message : messages) {
        texts.append(message.text);
    }
    return texts;
}

void TypeInto(QLineEdit* edit, const QString& text) {
    QVERIFY(edit != nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void ClickRow(QTreeWidget* list, int row) {
    QVERIFY(list != nullptr);
    const QModelIndex index = list->model()->index(row, 0);
    QVERIFY2(index.isValid(), qPrintable(QStringLiteral("no row %1").arg(row)));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(index).center());
}

void ClickButton(QWidget& dialog, const QString& objectName) {
    auto* button = dialog.findChild<QPushButton*>(objectName);
    QVERIFY2(button != nullptr, qPrintable(objectName));
    QTest::mouseClick(button, Qt::LeftButton);
}

void VerifyNoTopLevelWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QStringList names;
    for (const QWidget* window : windows) {
        names.append(QString::fromLatin1(window->metaObject()->className()) + QLatin1Char(' ') +
                     window->windowTitle());
    }
    QVERIFY2(windows.isEmpty(),
             qPrintable(QStringLiteral("windows left open: ") + names.join(QStringLiteral(", "))));
}

void SetUpDialogTestEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}
