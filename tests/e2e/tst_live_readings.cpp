// Live Readings against the simulated instrument over a pseudo-terminal: the real window
// and its link, polling Real-Time Data while the operator works the form. Every frame,
// chunk and settle on the link is logged, and the log is the judge of "nothing
// interleaves": after any frame, the next one goes out only once the first one's answer
// has settled.

#include "e2e_steps.h"
#include "error_report.h"
#include "file_chooser.h"
#include "form_extras.h"
#include "live_poller.h"
#include "live_readings_window.h"
#include "sim_process.h"
#include "window_operator.h"

#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <utility>

using namespace std::chrono_literals;

namespace {

const QByteArray kPollFrame = "PPPPPP#STATUS#";
// Readings pinned on the simulator, so every answer is known.
const QStringList kPinnedReadings = {"set a01 12.345", "set a02 042.50", "set a03 -07.25"};

// What the link did, in order.
class LineLog : public QObject
{
public:
    enum class Kind { Frame, Chunk, Settle };
    struct Event
    {
        Kind kind;
        QByteArray bytes;
        qint64 atMs;
    };

    explicit LineLog(qv::SerialLink& link)
    {
        m_clock.start();
        connect(&link, &qv::SerialLink::frameSent, this,
                [this](const QByteArray& frame) { record(Kind::Frame, frame); });
        connect(&link, &qv::SerialLink::chunkReceived, this,
                [this](const QByteArray& chunk, const QByteArray&) { record(Kind::Chunk, chunk); });
        connect(&link, &qv::SerialLink::settleTimerExpired, this,
                [this] { record(Kind::Settle, {}); });
    }

    QList<QByteArray> frames() const
    {
        QList<QByteArray> frames;
        for (const Event& event : m_events) {
            if (event.kind == Kind::Frame)
                frames.append(event.bytes);
        }
        return frames;
    }

    // Empty when every frame after the first went out only after the previous frame's
    // answer had arrived and settled, or after the poller's wait for an answer that never
    // began; otherwise the events around the first one that did not, for the message.
    QString interleaving() const
    {
        bool answered = true; // a chunk, then a settle, since the last frame
        bool chunkSeen = false;
        qint64 frameAtMs = 0;
        for (qsizetype i = 0; i < m_events.size(); ++i) {
            const Event& event = m_events[i];
            if (event.kind == Kind::Frame) {
                const bool givenUp =
                    !chunkSeen && event.atMs - frameAtMs >= qv::LivePoller::kAnswerWait.count();
                if (!answered && !givenUp)
                    return describe(i);
                answered = false;
                chunkSeen = false;
                frameAtMs = event.atMs;
            } else if (event.kind == Kind::Chunk) {
                chunkSeen = true;
            } else if (chunkSeen) {
                answered = true;
            }
        }
        return {};
    }

    // Everything that came after the first frame `frame` and before the next frame.
    QByteArray answerTo(const QByteArray& frame) const
    {
        QByteArray answer;
        bool after = false;
        for (const Event& event : m_events) {
            if (event.kind == Kind::Frame && after)
                break;
            if (event.kind == Kind::Frame && event.bytes == frame)
                after = true;
            else if (event.kind == Kind::Chunk && after)
                answer += event.bytes;
        }
        return answer;
    }

    qint64 lastFrameAtMs() const
    {
        for (qsizetype i = m_events.size() - 1; i >= 0; --i) {
            if (m_events[i].kind == Kind::Frame)
                return m_events[i].atMs;
        }
        return -1;
    }
    qint64 nowMs() const { return m_clock.elapsed(); }

private:
    void record(Kind kind, const QByteArray& bytes)
    {
        m_events.append({kind, bytes, m_clock.elapsed()});
    }

    QString describe(qsizetype at) const
    {
        QStringList lines;
        for (qsizetype i = std::max<qsizetype>(0, at - 6); i <= at; ++i) {
            const Event& e = m_events[i];
            const char* kind = e.kind == Kind::Frame   ? "frame"
                               : e.kind == Kind::Chunk ? "chunk"
                                                       : "settle";
            lines.append(QStringLiteral("%1 ms %2 %3")
                             .arg(e.atMs)
                             .arg(kind, QString::fromLatin1(e.bytes.toPercentEncoding("#:,."))));
        }
        return lines.join('\n');
    }

    QElapsedTimer m_clock;
    QList<Event> m_events;
};

} // namespace

class LiveReadingsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void readingsArriveAtTheInterval_data();
    void readingsArriveAtTheInterval();
    void setPressedWhileLiveGoesOutWithItsOwnAnswer_data();
    void setPressedWhileLiveGoesOutWithItsOwnAnswer();
    void unansweredCommandsDoNotStallPolling_data();
    void unansweredCommandsDoNotStallPolling();
    void lostPortStopsPolling();
    void closedPortStopsPollingAndResumeStartsAgain();
    void pausedWindowSendsNothing();
    void historyKeepsOnlyItsSpan();
    void exportWritesEveryReadingAsCsv();

private:
    qv::SerialLink& link() { return m_operator->window().link(); }
    qv::LiveReadingsWindow& openLive();
    qsizetype readingCount() { return m_live->history().readings().size(); }
    bool awaitReadings(qsizetype count, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return readingCount() >= count; }, timeoutMs);
    }

    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<WindowOperator> m_operator;
    std::unique_ptr<LineLog> m_log;
    qv::LiveReadingsWindow* m_live = nullptr;
};

void LiveReadingsTest::init()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->address().startsWith("/dev/"), qPrintable(m_sim->address()));
    QVERIFY(applyAll(*m_sim, kPinnedReadings));
    m_operator = std::make_unique<WindowOperator>();
    QVERIFY(m_operator->open(m_sim->address()));
    QTRY_VERIFY(!link().isSettleTimerArmed());
    m_log = std::make_unique<LineLog>(link());
    m_live = nullptr;
}

void LiveReadingsTest::cleanup()
{
    const QStringList unexpected = m_operator ? m_operator->takeReports() : QStringList{};
    const QString interleaving = m_log ? m_log->interleaving() : QString();
    m_log.reset();
    m_operator.reset();
    QVERIFY(!m_sim || m_sim->stop());
    m_sim.reset();
    setFileChooser({});
    QCOMPARE(unexpected, QStringList{});
    QVERIFY2(interleaving.isEmpty(),
             qPrintable("a frame went out before the answer settled:\n" + interleaving));
}

qv::LiveReadingsWindow& LiveReadingsTest::openLive()
{
    m_operator->window().extras().showLiveReadings();
    m_live = m_operator->window().extras().liveReadings();
    return *m_live;
}

void LiveReadingsTest::readingsArriveAtTheInterval_data()
{
    QTest::addColumn<double>("seconds");
    QTest::newRow("the shortest interval, 0.5 s") << 0.5;
    QTest::newRow("the default interval, 1 s") << 1.0;
}

// Each reading comes from its own poll, sent as the button sends it, no faster than the
// interval; the form's labels show what the live window shows.
void LiveReadingsTest::readingsArriveAtTheInterval()
{
    QFETCH(double, seconds);
    qv::LiveReadingsWindow& live = openLive();
    live.findChild<QDoubleSpinBox*>("intervalBox")->setValue(seconds);
    QVERIFY(awaitReadings(4));

    const auto& readings = live.history().readings();
    for (size_t i = 1; i < readings.size(); ++i) {
        const auto gap = readings[i].time - readings[i - 1].time;
        QVERIFY2(gap >= std::chrono::milliseconds(qint64(seconds * 1000 * 0.9)),
                 qPrintable(
                     QString("reading %1 came %2 ms after the one before")
                         .arg(i)
                         .arg(std::chrono::duration_cast<std::chrono::milliseconds>(gap).count())));
    }
    const qv::Reading& last = readings.back();
    QCOMPARE(QString::fromStdString(last.utodv), QString("12.345"));
    QCOMPARE(QString::fromStdString(last.ad01), QString("042.50"));
    QCOMPARE(QString::fromStdString(last.ad02), QString("-07.25"));
    QCOMPARE(live.findChild<QLabel*>("ad02Value")->text(), QString("-07.25"));
    QCOMPARE(m_operator->shown("AD3XS"), QString("-07.25"));
    QCOMPARE(m_operator->shown("discomm"), QString::fromLatin1(kPollFrame));
    for (const QByteArray& frame : m_log->frames())
        QCOMPARE(frame, kPollFrame);
}

// The operator writes a range while live readings run: the write goes out between two
// polls, its answer is its own, the instrument takes it, and the readings go on.
void LiveReadingsTest::setPressedWhileLiveGoesOutWithItsOwnAnswer_data()
{
    QTest::addColumn<QString>("fault"); // on the write's answer
    QTest::addColumn<int>("minimumLength");
    QTest::newRow("a short answer") << "" << 4;
    // 2500 bytes of filler first: about 2.6 s on the line, in two chunks, the first of
    // them settling while the rest still comes.
    QTest::newRow("an answer that takes longer than the settle time and the answer wait")
        << "long" << 2504;
}

void LiveReadingsTest::setPressedWhileLiveGoesOutWithItsOwnAnswer()
{
    QFETCH(QString, fault);
    QFETCH(int, minimumLength);
    qv::LiveReadingsWindow& live = openLive();
    live.findChild<QDoubleSpinBox*>("intervalBox")->setValue(0.5);
    QVERIFY(awaitReadings(2));
    m_operator->retype("AD1H", "120.5");
    m_operator->retype("AD1L", "-01.0");
    m_operator->retype("AD1LD", "003.0");

    // Pressed just after a poll's answer has settled, so the next poll falls due while
    // the write's answer is still on its way and has to wait for it.
    const QByteArray writeFrame = "TARVEN#AD01:120.5,-01.0,003.0#";
    bool pressed = false;
    const auto connection = connect(&live.poller(), &qv::LivePoller::readingTaken, this, [&] {
        if (std::exchange(pressed, true))
            return;
        if (!fault.isEmpty())
            QVERIFY(m_sim->apply(fault));
        QTimer::singleShot(0, this, [&] { m_operator->click("AD1SET"); });
    });
    QTRY_VERIFY(m_log->frames().contains(writeFrame));
    disconnect(connection);
    QCOMPARE(m_operator->shown("discomm"), QString::fromLatin1(writeFrame));
    QVERIFY(awaitReadings(readingCount() + 3));

    const QByteArray answer = m_log->answerTo(writeFrame);
    QVERIFY2(answer.endsWith("OK\r\n") && answer.size() >= minimumLength, answer.right(40));
    const QMap<QString, QString> config = m_sim->config();
    QCOMPARE(config["ad1urv"], QString("120.5"));
    QCOMPARE(config["ad1lrv"], QString("-01.0"));
    QCOMPARE(config["ad1start"], QString("003.0"));
    QCOMPARE(m_log->frames().count(writeFrame), 1);
}

void LiveReadingsTest::unansweredCommandsDoNotStallPolling_data()
{
    QTest::addColumn<QString>("button"); // pressed by the operator; none: a poll goes unanswered
    QTest::newRow("a poll goes unanswered") << "";
    QTest::newRow("the operator's Read Parameters goes unanswered") << "Button32";
}

// The link has no time-out and keeps a query pending for ever; polling waits a while for
// the answer, then carries on, and the next poll's answer is read as usual.
void LiveReadingsTest::unansweredCommandsDoNotStallPolling()
{
    QFETCH(QString, button);
    qv::LiveReadingsWindow& live = openLive();
    QVERIFY(awaitReadings(1));
    QVERIFY(m_sim->apply("silence"));
    if (!button.isEmpty()) {
        QTRY_VERIFY(!link().isSettleTimerArmed() &&
                    link().requestCode() == qv::RequestCode::rcIdle);
        m_operator->click(qPrintable(button));
    }
    const qsizetype before = readingCount();
    QVERIFY(awaitReadings(before + 2, 15000));
    QVERIFY(live.isPolling());
    QCOMPARE(QString::fromStdString(live.history().readings().back().ad01), QString("042.50"));
}

// The adapter goes away: polling stops at once, the window says why, and nothing more is
// sent once the line is back. The form reports the loss in a modal box, whose event loop
// runs on while the operator reads it (played here by a wait in the report).
void LiveReadingsTest::lostPortStopsPolling()
{
    qv::LiveReadingsWindow& live = openLive();
    QVERIFY(awaitReadings(1));
    QStringList reports;
    setErrorReportSink([&](const QString&, const QString& text) {
        reports.append(text);
        QTest::qWait(1500);
    });
    QVERIFY(m_sim->apply("drop"));
    QTRY_COMPARE_WITH_TIMEOUT(reports.size(), 1, kAnswerTimeoutMs);
    QVERIFY(!live.isPolling());
    QVERIFY2(live.findChild<QLabel*>("statusLabel")->text().contains("lost"),
             qPrintable(live.findChild<QLabel*>("statusLabel")->text()));
    QCOMPARE(live.findChild<QPushButton*>("pauseButton")->text(), QString("Resume"));
    QTest::qWait(300);
    QCOMPARE(reports.size(), 1);

    const qsizetype frames = m_log->frames().size();
    QVERIFY(m_operator->open(m_sim->address()));
    QTest::qWait(2500);
    QCOMPARE(m_log->frames().size(), frames);
}

void LiveReadingsTest::closedPortStopsPollingAndResumeStartsAgain()
{
    qv::LiveReadingsWindow& live = openLive();
    QVERIFY(awaitReadings(1));
    m_operator->click("Button10");
    QVERIFY(!live.isPolling());
    QCOMPARE(live.findChild<QLabel*>("statusLabel")->text(),
             QString("Stopped: the port was closed."));

    auto* resume = live.findChild<QPushButton*>("pauseButton");
    QCOMPARE(resume->text(), QString("Resume"));
    QTest::mouseClick(resume, Qt::LeftButton);
    QVERIFY(!live.isPolling());
    QCOMPARE(live.findChild<QLabel*>("statusLabel")->text(),
             QString("Stopped: the port is not open."));

    QVERIFY(m_operator->open(m_sim->address()));
    const qsizetype before = readingCount();
    QTest::mouseClick(resume, Qt::LeftButton);
    QVERIFY(live.isPolling());
    QVERIFY(awaitReadings(before + 1));
}

void LiveReadingsTest::pausedWindowSendsNothing()
{
    qv::LiveReadingsWindow& live = openLive();
    QVERIFY(awaitReadings(1));
    auto* pause = live.findChild<QPushButton*>("pauseButton");
    QTest::mouseClick(pause, Qt::LeftButton);
    QCOMPARE(pause->text(), QString("Resume"));
    QTRY_VERIFY(!link().isSettleTimerArmed());
    const qsizetype frames = m_log->frames().size();
    QTest::qWait(2500);
    QCOMPARE(m_log->frames().size(), frames);

    live.close();
    QVERIFY(!live.isPolling());
    m_operator->window().extras().showLiveReadings(); // opened again: polls again
    QVERIFY(live.isPolling());
    QVERIFY(awaitReadings(readingCount() + 1));
}

// However long it runs, the window keeps its span of readings and no more (a span of
// 2 s here, in place of the hour the form's window keeps).
void LiveReadingsTest::historyKeepsOnlyItsSpan()
{
    m_live = new qv::LiveReadingsWindow(
        link(), [this] { m_operator->window().requestRealTimeData(); }, &m_operator->window(), 2s);
    m_live->findChild<QDoubleSpinBox*>("intervalBox")->setValue(0.5);
    m_live->showAndStart();
    int seen = 0;
    connect(&m_live->poller(), &qv::LivePoller::readingTaken, this, [&] { ++seen; });
    QVERIFY(QTest::qWaitFor([&] { return seen >= 12; }, 20000));
    const auto& readings = m_live->history().readings();
    QVERIFY2(readings.size() <= 5, qPrintable(QString::number(readings.size())));
    QVERIFY(readings.back().time - readings.front().time <= 2s);
    QVERIFY(m_live->history().capacity() == 5);
}

void LiveReadingsTest::exportWritesEveryReadingAsCsv()
{
    qv::LiveReadingsWindow& live = openLive();
    QVERIFY(awaitReadings(3));
    live.findChild<QPushButton*>("pauseButton")->click();
    const QTemporaryDir folder;
    const QString path = folder.filePath("readings.csv");
    setFileChooser([&](FileChoice choice, const QString&, const QString&) {
        return choice == FileChoice::Save ? path : QString();
    });
    QTest::mouseClick(live.findChild<QPushButton*>("exportButton"), Qt::LeftButton);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.first(), QByteArray("time,address,UTODV,AD01,AD02"));
    QCOMPARE(lines.last(), QByteArray()); // the last row ends its line too
    QCOMPARE(lines.size() - 2, readingCount());
    for (qsizetype i = 1; i < lines.size() - 1; ++i) {
        const QList<QByteArray> fields = lines[i].split(',');
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.mid(1), (QList<QByteArray>{"001", "12.345", "042.50", "-07.25"}));
    }
}

QTEST_MAIN(LiveReadingsTest)
#include "tst_live_readings.moc"
