// The one message box of every dialog: what it shows, whom it belongs to, that it is modal to
// the program, and that OK, Return and Escape answer it. A field refused by a data exchange is
// reported through it as a "Brevanto" warning over the field's dialog.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cstdint>
#include <memory>

#include "dialog_framework/data_exchange.h"
#include "dialog_framework/message_box.h"
#include "dialog_test_support.h"

Q_DECLARE_METATYPE(QMessageBox::Icon)

class MessageBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { VerifyNoTopLevelWindows(); }

    void builtBoxShowsTheRequest_data() {
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("details");
        QTest::newRow("field warning") << QMessageBox::Warning << "Brevanto"
                                       << "Please enter a number."
                                       << "";
        QTest::newRow("problem") << QMessageBox::Warning << "Problem"
                                 << "Please add one or more files to the input files list."
                                 << "";
        QTest::newRow("finished") << QMessageBox::Information << "Finished"
                                  << "All files have been processed successfully."
                                  << "";
        QTest::newRow("failed, with details") << QMessageBox::Critical << "Finished"
                                              << "There was an error during processing."
                                              << "/d/a.raw: opening: no such file";
    }
    void builtBoxShowsTheRequest() {
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QString, details);
        QDialog owner;
        const std::unique_ptr<QMessageBox> box =
            MakeMessageBox({icon, caption, text, details}, &owner);
        QCOMPARE(box->icon(), icon);
        QCOMPARE(box->windowTitle(), caption);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->detailedText(), details);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->parentWidget(), static_cast<QWidget*>(&owner));
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        // Return and Escape both land on the one button.
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
        QCOMPARE(box->escapeButton(), static_cast<QAbstractButton*>(box->button(QMessageBox::Ok)));
    }

    // Without an owner the box goes over the window in use, the modal dialog first.
    void withoutOwnerTheBoxGoesOverTheActiveDialog() {
        MessageCapture messages;
        QWidget* owner = nullptr;
        const MessageBoxHandler capture = SetMessageBoxHandler({});
        SetMessageBoxHandler([&](QMessageBox& box) {
            owner = box.parentWidget();
            capture(box);
        });
        QDialog dialog;
        WhileModal([&](QDialog& shown) {
            ShowMessageBox({QMessageBox::Warning, QStringLiteral("Problem"), QStringLiteral("text"),
                            QString()});
            shown.accept();
        });
        dialog.exec();
        SetMessageBoxHandler(capture);
        QCOMPARE(owner, static_cast<QWidget*>(&dialog));
        QCOMPARE(messages.Messages().size(), qsizetype{1});
        QVERIFY(messages.Messages().front().hasOwner);
        QVERIFY(messages.Messages().front().modal);
    }

    // A real box: in front of its owner, the active modal window of the program, and gone on
    // OK, Return or Escape, with nothing behind it reached by the key.
    void realBoxIsAnsweredByOkReturnOrEscape_data() {
        QTest::addColumn<int>("key");  // 0: a click on OK
        QTest::newRow("OK") << 0;
        QTest::newRow("Return") << int{Qt::Key_Return};
        QTest::newRow("Escape") << int{Qt::Key_Escape};
    }
    void realBoxIsAnsweredByOkReturnOrEscape() {
        QFETCH(int, key);
        QDialog dialog;
        bool ownerAccepted = false;
        auto* ok = new QPushButton(QStringLiteral("Behind"), &dialog);
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, &dialog, [&] { ownerAccepted = true; });
        QWidget* boxOwner = nullptr;
        QString shownText;
        bool stillOpen = false;
        WhileModal([&](QDialog& shown) {
            WhileModal([&](QDialog& boxDialog) {
                auto* box = qobject_cast<QMessageBox*>(&boxDialog);
                QVERIFY(box != nullptr);
                boxOwner = box->parentWidget();
                shownText = box->text();
                if (key == 0) {
                    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                } else {
                    QTest::keyClick(box, static_cast<Qt::Key>(key));
                }
                stillOpen = box->isVisible();
            });
            ShowMessageBox({QMessageBox::Information, QStringLiteral("Finished"),
                            QStringLiteral("done"), QString()},
                           &shown);
            shown.reject();
        });
        dialog.exec();
        QCOMPARE(boxOwner, static_cast<QWidget*>(&dialog));
        QCOMPARE(shownText, QStringLiteral("done"));
        QVERIFY(!stillOpen);
        QVERIFY(!ownerAccepted);
    }

    // A refused field: one "Brevanto" warning over the field's dialog, then the focus on the
    // field with its text selected.
    void refusedFieldIsABrevantoWarningOverItsDialog() {
        MessageCapture messages;
        QDialog dialog;
        auto* edit = new QLineEdit(QStringLiteral("x1"), &dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QWidget* owner = nullptr;
        const MessageBoxHandler capture = SetMessageBoxHandler({});
        SetMessageBoxHandler([&](QMessageBox& box) {
            owner = box.parentWidget();
            capture(box);
        });
        DataExchange dx(true);
        std::int32_t value = 7;
        ExchangeInt(dx, edit, value, 0, 10);
        SetMessageBoxHandler(capture);
        QVERIFY(dx.Failed());
        QCOMPARE(value, 7);
        QCOMPARE(owner, static_cast<QWidget*>(&dialog));
        QCOMPARE(messages.Messages().size(), qsizetype{1});
        const ShownMessage& shown = messages.Messages().front();
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QCOMPARE(shown.caption, QStringLiteral("Brevanto"));
        QCOMPARE(shown.text, QStringLiteral("Please enter an integer."));
        QVERIFY(shown.detailedText.isEmpty());
        QVERIFY(shown.modal);
        QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(edit->selectedText(), QStringLiteral("x1"));
        dialog.hide();
    }
};

BREVANTO_DIALOG_TEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
