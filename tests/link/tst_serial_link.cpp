#include "link_constants.h"
#include "link_event_log.h"
#include "pty_pair.h"
#include "serial_link.h"

#include <QDir>
#include <QSerialPort>
#include <QTemporaryFile>
#include <QTest>

#include <ctime>
#include <memory>
#include <termios.h>

using qv::RequestCode;
using qv::SerialLink;
using Kind = LinkEventLog::Kind;

namespace {

// Generous: the machine may be busy building while the tests run.
constexpr int kWaitMs = 5000;

const QByteArray kQueryFrame = "PPPPPP#CHEACK1#";

// Bytes of every value, NUL included, repeating with a period (251) that does not
// divide the chunk size, so a misplaced chunk boundary shows in the content.
QByteArray bytePattern(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

qint64 processCpuMs()
{
    return qint64(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void settleTimerIsArmedAtConstructionAndExpiresOnce();
    void openReportsBeforeReturning();
    void lineIsSetTo9600Baud8N1WithoutFlowControl();
    void framesArriveByteExact_data();
    void framesArriveByteExact();
    void queuedFramesArriveWholeAndInOrder();
    void sendWhileClosedSendsNothing_data();
    void sendWhileClosedSendsNothing();
    void emptyFrameIsRefused();
    void staleInputIsPurgedOnOpen();
    void chunkIsDeliveredWhole_data();
    void chunkIsDeliveredWhole();
    void burstWithShortGapsIsOneChunk();
    void bytesAreReportedBeforeTheirChunk();
    void chunksWhileSettlingAreAppended();
    void chunkAfterExpiryStartsAfresh();
    void longBurstIsCutEvery2048Bytes();
    void latestReplyKeepsNewest64KiB();
    void openFailure_data();
    void openFailure();
    void portLockedByAnotherProgramFails();
    void deviceLossIsReportedOnceAndLeavesLinkIdle();
    void reopenAfterLossWorks();
    void closeAndOpenKeepRequestReplyAndTimer();

private:
    void openPty();
    void waitUntilSettled();

    QTemporaryFile m_regularFile;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LinkEventLog> m_log;
};

void TestSerialLink::initTestCase()
{
    QVERIFY(m_regularFile.open());
    m_regularFile.write("not a serial port");
    m_regularFile.flush();
}

void TestSerialLink::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY2(m_pty->isValid(), "openpty failed");
    m_link = std::make_unique<SerialLink>();
    m_log = std::make_unique<LinkEventLog>(*m_link);
}

void TestSerialLink::cleanup()
{
    m_log.reset();
    m_link.reset();
    m_pty.reset();
}

void TestSerialLink::openPty()
{
    m_link->open(m_pty->slavePath());
    QVERIFY2(m_link->isOpen(), qPrintable(m_pty->slavePath()));
}

// Lets the expiry of an earlier arming (the one at construction included) pass, so a
// test starts with Timer6 disarmed.
void TestSerialLink::waitUntilSettled()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_link->isSettleTimerArmed(), kWaitMs);
}

void TestSerialLink::settleTimerIsArmedAtConstructionAndExpiresOnce()
{
    QVERIFY(m_link->isSettleTimerArmed());
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 1, kWaitMs);
    QVERIFY(m_log->nth(Kind::Settled, 0).atMs >= 190);
    QVERIFY(!m_link->isSettleTimerArmed());
    QTest::qWait(400);
    QCOMPARE(m_log->count(Kind::Settled), 1);
    QCOMPARE(m_link->requestCode(), RequestCode::rcIdle);
    QVERIFY(m_link->latestReply().isEmpty());
}

void TestSerialLink::openReportsBeforeReturning()
{
    m_link->open(m_pty->slavePath());
    QCOMPARE(m_log->count(Kind::Opened), 1);
    QCOMPARE(m_log->count(Kind::OpenFailed), 0);
    QVERIFY(m_link->isOpen());
}

// The pty master sees the slave's terminal settings, as the instrument's line would.
void TestSerialLink::lineIsSetTo9600Baud8N1WithoutFlowControl()
{
    openPty();
    termios line{};
    QCOMPARE(::tcgetattr(m_pty->masterHandle(), &line), 0);
    QCOMPARE(cfgetospeed(&line), speed_t(B9600));
    QCOMPARE(cfgetispeed(&line), speed_t(B9600));
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & PARENB, tcflag_t(0));
    QCOMPARE(line.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(line.c_cflag & CRTSCTS, tcflag_t(0));
    QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));
}

void TestSerialLink::framesArriveByteExact_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("the parameter query arrives as sent") << kQueryFrame;
    QTest::newRow("a range write arrives as sent") << QByteArray("TARVEN#AD01:100.0,000.0,004.0#");
    QTest::newRow("a single byte arrives as sent") << QByteArray("#");
}

void TestSerialLink::framesArriveByteExact()
{
    QFETCH(QByteArray, frame);
    openPty();
    QVERIFY(m_link->send(frame));
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((received += m_pty->takeReceived(), received.size()), frame.size(),
                              kWaitMs);
    QCOMPARE(received, frame);
    QTest::qWait(50);
    QCOMPARE(m_pty->takeReceived(), QByteArray()); // no terminator or echo follows
}

void TestSerialLink::queuedFramesArriveWholeAndInOrder()
{
    openPty();
    const QByteArray second = "STCAVE#STC?:#";
    QVERIFY(m_link->send(kQueryFrame));
    QVERIFY(m_link->send(second));
    QByteArray received;
    const qsizetype expected = kQueryFrame.size() + second.size();
    QTRY_COMPARE_WITH_TIMEOUT((received += m_pty->takeReceived(), received.size()), expected,
                              kWaitMs);
    QCOMPARE(received, kQueryFrame + second);
}

void TestSerialLink::sendWhileClosedSendsNothing_data()
{
    QTest::addColumn<bool>("openFirst");
    QTest::addColumn<bool>("failOpenFirst");
    QTest::newRow("before the port was ever opened") << false << false;
    QTest::newRow("after the port was opened and closed") << true << false;
    QTest::newRow("after an open that failed") << false << true;
}

void TestSerialLink::sendWhileClosedSendsNothing()
{
    QFETCH(bool, openFirst);
    QFETCH(bool, failOpenFirst);
    if (openFirst) {
        openPty();
        m_link->close();
        QVERIFY(!m_link->isOpen());
    }
    if (failOpenFirst)
        m_link->open(QStringLiteral("/dev/null"));

    QVERIFY(!m_link->send(kQueryFrame));
    QTest::qWait(100);
    QCOMPARE(m_pty->takeReceived(), QByteArray());
}

void TestSerialLink::emptyFrameIsRefused()
{
    openPty();
    QVERIFY(!m_link->send(QByteArray()));
    QTest::qWait(100);
    QCOMPARE(m_pty->takeReceived(), QByteArray());
    QVERIFY(m_link->isOpen());
}

// Bytes the instrument sent before the port was opened are not a reply to anything.
void TestSerialLink::staleInputIsPurgedOnOpen()
{
    m_pty->write("stale bytes from before the open");
    openPty();
    QTest::qWait(300);
    QCOMPARE(m_log->count(Kind::Chunk), 0);
    m_pty->write("fresh");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QCOMPARE(m_log->chunks().first(), QByteArray("fresh"));
}

void TestSerialLink::chunkIsDeliveredWhole_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("a 60-byte status answer arrives as one chunk")
        << QByteArray("STC0:001,A01:012.34,A02:056.78,A03:009.99,END#").leftJustified(60, '.');
    QTest::newRow("'AB', NUL, 'CD' keeps all five bytes") << QByteArray("AB\0CD", 5);
    QTest::newRow("every byte value from 0 to 255 passes unchanged")
        << bytePattern(251) + "\xfb\xfc\xfd\xfe\xff";
    QTest::newRow("1500 bytes arrive whole, not cut at 1001") << bytePattern(1500);
}

void TestSerialLink::chunkIsDeliveredWhole()
{
    QFETCH(QByteArray, answer);
    openPty();
    m_pty->write(answer);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QTest::qWait(200);
    QCOMPARE(m_log->count(Kind::Chunk), 1);
    QCOMPARE(m_log->chunks().first(), answer);
    QCOMPARE(m_link->latestReply().size(), answer.size());
}

void TestSerialLink::burstWithShortGapsIsOneChunk()
{
    openPty();
    m_pty->write("STQ:001,");
    QTest::qWait(30);
    m_pty->write("DAV:004.0,020.0,");
    QTest::qWait(30);
    m_pty->write("PA1:000#");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QTest::qWait(200);
    QCOMPARE(m_log->chunks(), QList<QByteArray>{"STQ:001,DAV:004.0,020.0,PA1:000#"});
}

// Each byte is reported once, in order, as it comes: before the chunk that holds it.
void TestSerialLink::bytesAreReportedBeforeTheirChunk()
{
    openPty();
    QByteArray reported;
    int chunksWhenLastReported = -1;
    connect(m_link.get(), &SerialLink::bytesReceived, this, [&](const QByteArray& bytes) {
        reported += bytes;
        chunksWhenLastReported = m_log->count(Kind::Chunk);
    });
    const QByteArray answer = bytePattern(600);
    m_pty->write(answer.left(200));
    QTest::qWait(30);
    m_pty->write(answer.mid(200));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QCOMPARE(reported, answer);
    QCOMPARE(chunksWhenLastReported, 0);
    QCOMPARE(m_log->chunks(), QList<QByteArray>{answer});
}

// An answer split by a pause longer than the chunk gap: the second part comes while
// Timer6 runs from the first, so the reply handed on at the expiry holds both.
void TestSerialLink::chunksWhileSettlingAreAppended()
{
    waitUntilSettled();
    openPty();
    m_log->clear();
    m_pty->write("STQ:001,");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QVERIFY(m_link->isSettleTimerArmed());
    // The first chunk ended after 100 ms of silence, so this is a burst of its own.
    m_pty->write("DAV:004.0#");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 2, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 1, kWaitMs);
    QTest::qWait(300);
    QCOMPARE(m_log->count(Kind::Settled), 1);

    const auto& first = m_log->nth(Kind::Chunk, 0);
    const auto& second = m_log->nth(Kind::Chunk, 1);
    const auto& settled = m_log->nth(Kind::Settled, 0);
    QCOMPARE(first.latestReply, QByteArray("STQ:001,"));
    QCOMPARE(second.chunk, QByteArray("DAV:004.0#"));
    QCOMPARE(second.latestReply, QByteArray("STQ:001,DAV:004.0#"));
    QCOMPARE(m_link->latestReply(), QByteArray("STQ:001,DAV:004.0#"));
    // Not restarted by the second chunk: it runs 200 ms from the first, so at least the
    // 100 ms gap that ended the first chunk has already run off.
    QVERIFY2(second.settleRemainingMs >= 0 && second.settleRemainingMs < 150,
             qPrintable(QString::number(second.settleRemainingMs)));
    QVERIFY2(settled.atMs >= second.atMs, "expired before the second chunk");
    const qint64 settleMs = settled.atMs - first.atMs;
    QVERIFY2(settleMs >= 190 && settleMs < 1000, qPrintable(QString::number(settleMs)));
    QVERIFY(!m_link->isSettleTimerArmed());
}

void TestSerialLink::chunkAfterExpiryStartsAfresh()
{
    waitUntilSettled();
    openPty();
    m_log->clear();
    m_pty->write("first answer");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 1, kWaitMs);
    QCOMPARE(m_link->latestReply(), QByteArray("first answer"));

    m_pty->write("second");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 2, kWaitMs);
    QCOMPARE(m_link->latestReply(), QByteArray("second"));
    QCOMPARE(m_log->nth(Kind::Chunk, 1).latestReply, QByteArray("second"));
    QVERIFY(m_link->isSettleTimerArmed());
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 2, kWaitMs);
}

void TestSerialLink::longBurstIsCutEvery2048Bytes()
{
    openPty();
    const QByteArray burst = bytePattern(5000);
    m_pty->write(burst);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->chunkBytes(), burst.size(), kWaitMs);
    QTest::qWait(200);
    const QList<QByteArray> chunks = m_log->chunks();
    QList<qsizetype> sizes;
    for (const QByteArray& chunk : chunks)
        sizes.append(chunk.size());
    QCOMPARE(sizes, (QList<qsizetype>{2048, 2048, 904}));
    QCOMPARE(chunks.join(), burst);
}

// A flood longer than the bound within one settle period. On a machine too slow to
// deliver it before Timer6 expires the reply restarts legitimately; that attempt is
// repeated rather than counted.
void TestSerialLink::latestReplyKeepsNewest64KiB()
{
    openPty();
    const QByteArray flood = bytePattern(qv::kLatestReplyLimit + 5000);
    for (int attempt = 0; attempt < 3; ++attempt) {
        waitUntilSettled();
        m_log->clear();
        m_pty->write(flood);
        QTRY_COMPARE_WITH_TIMEOUT(m_log->chunkBytes(), flood.size(), kWaitMs);
        const qint64 lastChunkAt = m_log->nth(Kind::Chunk, m_log->count(Kind::Chunk) - 1).atMs;
        if (m_log->count(Kind::Settled) > 0 && m_log->nth(Kind::Settled, 0).atMs < lastChunkAt)
            continue;
        QCOMPARE(m_link->latestReply().size(), qv::kLatestReplyLimit);
        QCOMPARE(m_link->latestReply(), flood.right(qv::kLatestReplyLimit));
        return;
    }
    QFAIL("Timer6 expired during every flood; the machine is too slow for this test");
}

void TestSerialLink::openFailure_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("message");

    const QString errorOpening = QStringLiteral("Error opening serial port");
    const QString notComm = QStringLiteral("File handle is not a comm handle ");
    QTest::newRow("a device path that does not exist") << "/dev/ttyNOSUCHPORT" << errorOpening;
    QTest::newRow("a bare name not found in /dev") << "ttyNOSUCHPORT" << errorOpening;
    QTest::newRow("COM99, whose ttyS98 does not exist") << "COM99" << errorOpening;
    QTest::newRow("an empty name") << "" << errorOpening;
    QTest::newRow("/dev/null, a device but no terminal") << "/dev/null" << notComm;
    QTest::newRow("a regular file") << m_regularFile.fileName() << notComm;
    QTest::newRow("a directory") << QDir::tempPath() << notComm;
}

// The link stays closed, and the next open tries again.
void TestSerialLink::openFailure()
{
    QFETCH(QString, portName);
    QFETCH(QString, message);

    m_link->open(portName);
    QCOMPARE(m_log->count(Kind::OpenFailed), 1);
    QCOMPARE(m_log->nth(Kind::OpenFailed, 0).message, message);
    QCOMPARE(m_log->count(Kind::Opened), 0);
    QVERIFY(!m_link->isOpen());
    QVERIFY(!m_link->send(kQueryFrame));

    openPty();
    QCOMPARE(m_log->count(Kind::Opened), 1);
    QCOMPARE(m_log->count(Kind::OpenFailed), 1);
}

void TestSerialLink::portLockedByAnotherProgramFails()
{
    QSerialPort other;
    other.setPortName(m_pty->slavePath());
    QVERIFY(other.open(QIODevice::ReadWrite));

    m_link->open(m_pty->slavePath());
    QCOMPARE(m_log->count(Kind::OpenFailed), 1);
    QCOMPARE(m_log->nth(Kind::OpenFailed, 0).message, QStringLiteral("Error opening serial port"));
    QVERIFY(!m_link->isOpen());

    other.close();
    openPty();
}

// Qt 6.4 reports the hang-up as an endless stream of ReadError with the port still
// open; the link must close once, report once, and then leave the event loop idle.
void TestSerialLink::deviceLossIsReportedOnceAndLeavesLinkIdle()
{
    openPty();
    auto* comm1 = m_link->findChild<QSerialPort*>(QStringLiteral("Comm1"));
    QVERIFY(comm1 != nullptr);
    int portErrors = 0;
    connect(comm1, &QSerialPort::errorOccurred, this, [&portErrors] { ++portErrors; });

    m_pty->closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    QVERIFY(!m_link->isOpen());
    QVERIFY(!comm1->isOpen());
    const QString message = m_log->nth(Kind::Lost, 0).message;
    const QString prefix = QStringLiteral("Connection to %1 lost: ").arg(m_pty->slavePath());
    QVERIFY2(message.startsWith(prefix) && message.size() > prefix.size(), qPrintable(message));

    portErrors = 0;
    const qint64 cpuBefore = processCpuMs();
    QTest::qWait(300);
    const qint64 cpuSpent = processCpuMs() - cpuBefore;
    QCOMPARE(m_log->count(Kind::Lost), 1);
    QCOMPARE(portErrors, 0);
    QVERIFY2(cpuSpent < 100, qPrintable(QStringLiteral("%1 ms of CPU while idle").arg(cpuSpent)));
    QVERIFY(!m_link->send(kQueryFrame));
}

void TestSerialLink::reopenAfterLossWorks()
{
    openPty();
    m_pty->closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);

    m_pty = std::make_unique<PtyPair>();
    openPty();
    QCOMPARE(m_log->count(Kind::Opened), 2);
    QVERIFY(m_link->send(kQueryFrame));
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((received += m_pty->takeReceived(), received), kQueryFrame, kWaitMs);
    m_pty->write("answer");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QCOMPARE(m_log->chunks().first(), QByteArray("answer"));
}

void TestSerialLink::closeAndOpenKeepRequestReplyAndTimer()
{
    waitUntilSettled();
    openPty();
    m_link->setRequestCode(RequestCode::rcParameterRead);
    m_pty->write("STQ:001");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QVERIFY(m_link->isSettleTimerArmed());

    m_link->close();
    QVERIFY(!m_link->isOpen());
    QVERIFY(m_link->isSettleTimerArmed());
    openPty();
    QCOMPARE(m_link->requestCode(), RequestCode::rcParameterRead);
    QCOMPARE(m_link->latestReply(), QByteArray("STQ:001"));
    QVERIFY(m_link->isSettleTimerArmed());
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 1, kWaitMs);
    QCOMPARE(m_link->requestCode(), RequestCode::rcParameterRead);
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_serial_link.moc"
