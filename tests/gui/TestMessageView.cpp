#include "MessagePassword.h"
#include "MessageView.h"
#include "WindowBar.h"
#include "util/TestHome.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestMessageView : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
        MessagePassword::clearAnswers();
    }

    void closingTheBoxGivesItsRole_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << "ok" << int(QDialogButtonBox::AcceptRole) << 0;
        QTest::newRow("CANCEL") << "cancel" << int(QDialogButtonBox::RejectRole) << 0;
        QTest::newRow("title bar close") << "close" << int(QDialogButtonBox::RejectRole) << 1;
        QTest::newRow("Escape") << "escape" << int(QDialogButtonBox::RejectRole) << 1;
    }

    void closingTheBoxGivesItsRole()
    {
        QFETCH(QString, how);
        QFETCH(int, role);
        QFETCH(int, result);

        MessageView box("Delete bookmark", "Are you sure you want to delete this bookmark?");
        auto* cancel = new QPushButton("CANCEL");
        cancel->setObjectName("buttonCancel");
        box.addButton(cancel, QDialogButtonBox::RejectRole);
        // Escape must not be mistaken for the reject button having been clicked.
        cancel->setDefault(true);

        QTimer::singleShot(0, &box, [&] {
            QVERIFY(box.isVisible());
            if (how == "ok")
                box.findChild<QPushButton*>("buttonOk")->click();
            else if (how == "cancel")
                cancel->click();
            else if (how == "close")
                box.findChild<QPushButton*>("windowClose")->click();
            else
                QTest::keyClick(&box, Qt::Key_Escape);
        });
        QCOMPARE(box.exec(), result);
        QCOMPARE(box.clickedRole(), role);
        QVERIFY(!box.isVisible());
    }

    void dialogBarShowsOnlyCaptionAndClose()
    {
        MessageView box("Failed to open file", "text");
        box.show();
        QCOMPARE(box.findChild<QLabel*>("windowBarLabel")->text(), QString("Failed to open file"));
        QVERIFY(box.findChild<QPushButton*>("windowClose")->isVisible());
        QVERIFY(!box.findChild<QPushButton*>("windowMinimize")->isVisible());
        QVERIFY(!box.findChild<QPushButton*>("windowMaximize")->isVisible());
        QVERIFY(box.findChild<QFrame*>("messageBox")->minimumSize() == QSize(450, 190));
        QScopedPointer<MessageView> compact(MessageView::createCompact("t", "x", nullptr));
        QVERIFY(compact->findChild<QFrame*>("messageBox")->minimumSize() == QSize(426, 173));
    }

    void opensCentredOnTheParentsWindow()
    {
        QWidget window;
        window.setGeometry(120, 90, 700, 500);
        auto* child = new QWidget(&window);
        child->setGeometry(10, 10, 40, 30); // a small widget in a corner
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        MessageView box("Title", "A message long enough to wrap onto a second line in the box.", child);
        box.show();
        const QPoint boxCentre = box.frameGeometry().center();
        const QPoint windowCentre = window.geometry().center();
        QVERIFY2(qAbs(boxCentre.x() - windowCentre.x()) <= 1 && qAbs(boxCentre.y() - windowCentre.y()) <= 1,
                 qPrintable(QString("%1,%2 vs %3,%4")
                                .arg(boxCentre.x())
                                .arg(boxCentre.y())
                                .arg(windowCentre.x())
                                .arg(windowCentre.y())));
    }

    void followsTheMouseWhileDragged()
    {
        MessageView box("Title", "Text");
        box.move(50, 50);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint press(30, 25);
        QTest::mousePress(&box, Qt::LeftButton, Qt::NoModifier, press);
        QMouseEvent move(QEvent::MouseMove, QPointF(press), QPointF(400, 300), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&box, &move);
        QCOMPARE(box.pos(), QPoint(400, 300) - press);

        QTest::mouseRelease(&box, Qt::LeftButton, Qt::NoModifier, press);
        QMouseEvent after(QEvent::MouseMove, QPointF(press), QPointF(10, 10), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&box, &after);
        QCOMPARE(box.pos(), QPoint(400, 300) - press);
    }

    void scriptedAnswersAreUsedInOrder()
    {
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        MessageView::setNextAnswer(MessageView::CloseAnswer);
        MessageView first("One", "first");
        QCOMPARE(first.exec(), 0);
        QCOMPARE(first.clickedRole(), int(QDialogButtonBox::AcceptRole));
        MessageView second("Two", "second");
        QCOMPARE(second.exec(), 1);
        QCOMPARE(second.clickedRole(), int(QDialogButtonBox::RejectRole));
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].title, QString("Two"));
        QCOMPARE(shown[1].text, QString("second"));
    }

    void passwordIsReturnedAsTyped_data()
    {
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << true << 1;
        QTest::newRow("closed") << false << 0;
    }

    void passwordIsReturnedAsTyped()
    {
        QFETCH(bool, pressOk);
        QFETCH(int, result);
        MessagePassword prompt;
        QTimer::singleShot(0, &prompt, [&] {
            auto* edit = prompt.findChild<QLineEdit*>();
            QVERIFY(edit);
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            QTest::keyClicks(edit, QString(" s3cr3t|"));
            if (pressOk)
                prompt.findChild<QPushButton*>("buttonOk")->click();
            else
                prompt.findChild<QPushButton*>("windowClose")->click();
        });
        QCOMPARE(prompt.exec(), result);
        QCOMPARE(prompt.password(), QString(" s3cr3t|"));
    }

    void scriptedPassword()
    {
        MessagePassword::setNextAnswer(true, "pw");
        MessagePassword prompt;
        QCOMPARE(prompt.exec(), 1);
        QCOMPARE(prompt.password(), QString("pw"));
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestMessageView)
#include "TestMessageView.moc"
