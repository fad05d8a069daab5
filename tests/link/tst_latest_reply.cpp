#include "latest_reply.h"

#include <QTest>

class TestLatestReply : public QObject
{
    Q_OBJECT
private slots:
    void appendKeepsNewestBytes_data();
    void appendKeepsNewestBytes();
};

void TestLatestReply::appendKeepsNewestBytes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("a chunk is appended to an empty reply")
        << QByteArray() << QByteArray("STQ:") << 8 << QByteArray("STQ:");
    QTest::newRow("a chunk is appended after the earlier ones")
        << QByteArray("STQ:") << QByteArray("001") << 8 << QByteArray("STQ:001");
    QTest::newRow("filling the limit exactly drops nothing")
        << QByteArray("1234") << QByteArray("5678") << 8 << QByteArray("12345678");
    QTest::newRow("one byte over the limit drops the oldest byte")
        << QByteArray("12345678") << QByteArray("9") << 8 << QByteArray("23456789");
    QTest::newRow("a chunk larger than the limit keeps its own last bytes")
        << QByteArray("abc") << QByteArray("0123456789") << 8 << QByteArray("23456789");
    QTest::newRow("NUL bytes count like any other byte")
        << QByteArray("AB\0CD", 5) << QByteArray("\0\0\0\0", 4) << 8
        << QByteArray("AB\0CD\0\0\0\0", 9).right(8);
}

void TestLatestReply::appendKeepsNewestBytes()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, chunk);
    QFETCH(int, limit);
    QFETCH(QByteArray, expected);

    qv::appendWithinLimit(reply, chunk, limit);
    QCOMPARE(reply, expected);
}

QTEST_GUILESS_MAIN(TestLatestReply)
#include "tst_latest_reply.moc"
