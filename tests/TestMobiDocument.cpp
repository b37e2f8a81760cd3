#include <QtTest>
class TestMobiDocument : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestMobiDocument)
#include "TestMobiDocument.moc"
