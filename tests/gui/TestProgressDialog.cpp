#include "ProgressDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void percent_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("expected");
        QTest::newRow("total zero") << 5 << 0 << 0;
        QTest::newRow("negative total") << 5 << -3 << 0;
        QTest::newRow("truncated") << 2 << 3 << 66;
        QTest::newRow("done") << 7 << 7 << 100;
        QTest::newRow("large counts") << 30000000 << 40000000 << 75;
    }
    void percent()
    {
        QFETCH(int, value);
        QFETCH(int, total);
        QFETCH(int, expected);
        QCOMPARE(ProgressDialog::percent(value, total), expected);

        ProgressDialog dialog;
        dialog.setProgressChanged(value, total);
        dialog.setMessage("3 of 7 is being added. x.epub");
        dialog.onUpdateView();
        QCOMPARE(dialog.findChild<QProgressBar*>("progressBar")->value(), expected);
        QCOMPARE(dialog.findChild<QLabel*>("labelProgressMessage")->text(),
                 QString("3 of 7 is being added. x.epub"));
    }

    void workerStateShowsAndHides()
    {
        QMainWindow window;
        window.setGeometry(100, 100, 800, 600);
        window.show();
        auto* dialog = new ProgressDialog(&window);
        QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(dialog->isModal());
        dialog->setMessage("stale");
        dialog->setProgressChanged(9, 10);

        dialog->workerStateChanged(WorkerPreparing);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->message(), QString());
        QCOMPARE(dialog->findChild<QProgressBar*>("progressBar")->value(), 0);
        QCOMPARE(dialog->geometry().center(), window.frameGeometry().center());

        // The timer carries stored progress into the bar while shown.
        dialog->setProgressChanged(1, 4);
        QTRY_COMPARE(dialog->findChild<QProgressBar*>("progressBar")->value(), 25);

        dialog->workerStateChanged(WorkerProcessing);
        QVERIFY(dialog->isVisible());
        dialog->workerStateChanged(WorkerIdle);
        QVERIFY(!dialog->isVisible());
    }

    void cancelAndCloseEmitCanceled()
    {
        ProgressDialog dialog;
        QSignalSpy canceled(&dialog, &ProgressDialog::canceled);
        dialog.workerStateChanged(WorkerPreparing);
        QVERIFY(dialog.isVisible());

        auto* button = dialog.findChild<QPushButton*>("buttonCancel");
        QCOMPARE(button->text(), QString("CANCEL"));
        button->click();
        QCOMPARE(canceled.count(), 1);
        QVERIFY(dialog.isVisible());

        dialog.close();
        QCOMPARE(canceled.count(), 2);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(canceled.count(), 3);
        // Up until the worker says it stopped.
        QVERIFY(dialog.isVisible());
        dialog.workerStateChanged(WorkerIdle);
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestProgressDialog)
#include "TestProgressDialog.moc"
