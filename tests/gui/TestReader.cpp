#include <QtTest>
class TestReader : public QObject { Q_OBJECT };
QTEST_MAIN(TestReader)
#include "TestReader.moc"
