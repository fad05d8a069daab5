// Answers written by the far end of a pseudo-terminal: what the receive view shows,
// which fields the settled answer fills, and what is awaited afterwards.

#include "window_harness.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using qv::RequestCode;

Q_DECLARE_METATYPE(qv::RequestCode)

namespace {

// A parameter answer naming every configuration field, in an order of its own.
const QByteArray kParameterAnswer = "AD02:200.0,010.0,005.0#PA2:047#STQ:007#MR485B:4,2#"
                                    "DAV:1,04.00,20.00#PA1:105#AD01:100.0,000.0,004.0#";

// The receive view ends a line at CR LF.
QString shownInView(const QByteArray& answer)
{
    return QString::fromLatin1(answer).replace("\r\n", "\n");
}

} // namespace

class ReplyDispatchTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void receiveViewShowsReply_data();
    void receiveViewShowsReply();
    void pendingRequestAfterAnswer_data();
    void pendingRequestAfterAnswer();
    void parameterAnswerFillsEveryFieldAfterSettling();
    void answerSplitByPauseLandsWhole();
    void badIndexStopsFillingAndKeepsParametersPending();
    void indexWithoutItemClearsSelectionAndText();
    void statusAnswerFillsReadingsAndAddress();
    void commandWhileAnswerSettles_data();
    void commandWhileAnswerSettles();
    void uncutBytesBelongToTheEarlierAnswer();
    void writeAbandonsUnansweredQuery();
    void oneChunkOfSixtyBytesIsShownAndDispatchedOnce();
    void readingsAreShownAsPlainText();

private:
    QString text(const char* name) const;
    int selected(const char* name) const { return combo(name)->currentIndex(); }
    QComboBox* combo(const char* name) const { return m_harness->control<QComboBox>(name); }
    qv::SerialLink& link() { return m_harness->window().link(); }
    // Writes an answer and waits until the settle timer has acted on it.
    bool answer(const QByteArray& bytes);
    void expectFullParameterFill();

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<WindowHarness> m_harness;
};

void ReplyDispatchTest::init()
{
    m_pty = std::make_unique<PtyPair>();
    m_harness = std::make_unique<WindowHarness>();
    QVERIFY(m_harness->openOn(*m_pty));
    // The settle timer is armed when the window is created; let that first expiry pass.
    QTRY_VERIFY(!link().isSettleTimerArmed());
}

void ReplyDispatchTest::cleanup()
{
    m_harness.reset();
    m_pty.reset();
}

QString ReplyDispatchTest::text(const char* name) const
{
    return m_harness->window().findChild<QWidget*>(name)->property("text").toString();
}

bool ReplyDispatchTest::answer(const QByteArray& bytes)
{
    QSignalSpy settled(&link(), &qv::SerialLink::settleTimerExpired);
    return m_pty->write(bytes) && settled.wait(2000);
}

void ReplyDispatchTest::expectFullParameterFill()
{
    QCOMPARE(text("Station"), QString("007"));
    QCOMPARE(selected("MR485BT"), 4);
    QCOMPARE(combo("MR485BT")->currentText(), QString("19200"));
    QCOMPARE(selected("MR485JN"), 2);
    QCOMPARE(combo("MR485JN")->currentText(), QString("Even"));
    QCOMPARE(selected("ComboBox1"), 1);
    QCOMPARE(combo("ComboBox1")->currentText(), QString("1 AD2"));
    QCOMPARE(text("DAVL"), QString("04.00"));
    QCOMPARE(text("DAVH"), QString("20.00"));
    QCOMPARE(text("Edit1"), QString("105"));
    QCOMPARE(text("Edit2"), QString("047"));
    QCOMPARE(text("AD1H"), QString("100.0"));
    QCOMPARE(text("AD1L"), QString("000.0"));
    QCOMPARE(text("AD1LD"), QString("004.0"));
    QCOMPARE(text("AD2H"), QString("200.0"));
    QCOMPARE(text("AD2L"), QString("010.0"));
    QCOMPARE(text("AD2LD"), QString("005.0"));
}

void ReplyDispatchTest::receiveViewShowsReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines");
    const auto row = [](const char* sentence, const QByteArray& reply, const QString& shown,
                        int lines) { QTest::newRow(sentence) << reply << shown << lines; };
    row("text up to the first NUL", QByteArray("AB\0CD", 5), "AB", 1);
    row("CR LF, CR and LF each end a line", "L1\r\nL2\rL3\nL4", "L1\nL2\nL3\nL4", 4);
    row("one character per byte",
        "25\xB0"
        "C",
        "25\u00B0C", 1);
}

void ReplyDispatchTest::receiveViewShowsReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    auto* view = m_harness->control<QPlainTextEdit>("Memo8");
    view->setPlainText("earlier answer");
    QSignalSpy chunks(&link(), &qv::SerialLink::chunkReceived);
    QVERIFY(m_pty->write(reply));
    QVERIFY(chunks.wait(2000));
    QCOMPARE(view->toPlainText(), shown);
    QCOMPARE(view->blockCount(), lines);
    QCOMPARE(link().latestReply(), reply);
}

void ReplyDispatchTest::pendingRequestAfterAnswer_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<RequestCode>("pendingAfter");
    QTest::addColumn<QByteArray>("latestAfter");
    QTest::addColumn<QString>("report");

    const auto row = [](const char* sentence, const QStringList& buttons, const QByteArray& reply,
                        RequestCode pendingAfter, const QByteArray& latestAfter,
                        const QString& report) {
        QTest::newRow(sentence) << buttons << reply << pendingAfter << latestAfter << report;
    };
    const RequestCode idle = RequestCode::rcIdle;
    row("a link test answer is only shown; the reply stays", {"Button14"}, "VAR OK", idle, "VAR OK",
        "");
    row("a real-time answer returns to idle; the reply stays", {"Button124"}, "A01:012.50", idle,
        "A01:012.50", "");
    row("an output value answer returns to idle; the reply stays", {"Button3"}, "A01:4.0", idle,
        "A01:4.0", "");
    row("a complete parameter answer returns to idle and empties the reply", {"Button32"},
        "STQ:005", idle, "", "");
    row("a parameter answer without any tag still completes", {"Button32"}, "no tags here", idle,
        "", "");
    row("a parameter answer with a bad index stays pending and keeps the reply", {"Button32"},
        "MR485B:x,0", RequestCode::rcParameterRead, "MR485B:x,0",
        "'x' is not a valid integer value.");
    row("data with nothing pending changes nothing", {}, "STQ:005", idle, "STQ:005", "");
    row("a write's answer after an unanswered Read Parameters is not taken as the parameters",
        {"Button32", "Button4"}, "STQ:005", idle, "STQ:005", "");
    row("the newest query decides how the answer is read", {"Button32", "Button124"}, "STQ:005",
        idle, "STQ:005", "");
}

void ReplyDispatchTest::pendingRequestAfterAnswer()
{
    QFETCH(QStringList, buttons);
    QFETCH(QByteArray, reply);
    QFETCH(RequestCode, pendingAfter);
    QFETCH(QByteArray, latestAfter);
    QFETCH(QString, report);
    for (const QString& button : buttons)
        m_harness->click(qPrintable(button));
    m_pty->takeReceived();
    QVERIFY(answer(reply));
    QCOMPARE(link().requestCode(), pendingAfter);
    QCOMPARE(link().latestReply(), latestAfter);
    QCOMPARE(m_harness->reportTexts(), report.isEmpty() ? QStringList() : QStringList{report});
}

// The answer is acted on about 200 ms after its first chunk, not before.
void ReplyDispatchTest::parameterAnswerFillsEveryFieldAfterSettling()
{
    m_harness->click("Button32");
    QElapsedTimer sinceFirstChunk;
    QString stationAtFirstChunk;
    connect(&link(), &qv::SerialLink::chunkReceived, this, [&] {
        if (!sinceFirstChunk.isValid()) {
            sinceFirstChunk.start();
            stationAtFirstChunk = text("Station");
        }
    });
    qint64 settledAfter = -1;
    connect(&link(), &qv::SerialLink::settleTimerExpired, this,
            [&] { settledAfter = sinceFirstChunk.elapsed(); });

    QVERIFY(answer(kParameterAnswer));
    QCOMPARE(stationAtFirstChunk, QString("000"));
    QVERIFY2(settledAfter >= 150 && settledAfter <= 600, qPrintable(QString::number(settledAfter)));
    expectFullParameterFill();
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
    QVERIFY(m_harness->reports.isEmpty());
}

void ReplyDispatchTest::answerSplitByPauseLandsWhole()
{
    m_harness->click("Button32");
    QSignalSpy chunks(&link(), &qv::SerialLink::chunkReceived);
    QSignalSpy settled(&link(), &qv::SerialLink::settleTimerExpired);
    const qsizetype half = kParameterAnswer.size() / 2;
    QVERIFY(m_pty->write(kParameterAnswer.left(half)));
    QTest::qWait(150);
    QVERIFY(m_pty->write(kParameterAnswer.mid(half)));
    QVERIFY(settled.wait(2000));
    QVERIFY2(chunks.size() >= 2, "the pause should have split the answer into two chunks");
    expectFullParameterFill();
    QCOMPARE(settled.size(), 1);
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
}

// Fields before the bad digit are filled, the rest untouched; the next chunk is read
// again as the parameter answer.
void ReplyDispatchTest::badIndexStopsFillingAndKeepsParametersPending()
{
    m_harness->click("Button32");
    QVERIFY(answer("STQ:009#MR485B:x,0#DAV:1,04.00,20.00#"));
    QCOMPARE(m_harness->reportTexts(), QStringList{"'x' is not a valid integer value."});
    QCOMPARE(text("Station"), QString("009"));
    QCOMPARE(selected("MR485BT"), 3);
    QCOMPARE(selected("MR485JN"), 0);
    QCOMPARE(selected("ComboBox1"), 0);
    QCOMPARE(text("DAVL"), QString());
    QCOMPARE(link().requestCode(), RequestCode::rcParameterRead);

    QVERIFY(answer(kParameterAnswer));
    expectFullParameterFill();
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
    QCOMPARE(m_harness->reports.size(), 1);
}

void ReplyDispatchTest::indexWithoutItemClearsSelectionAndText()
{
    // Text the operator left in a box with no selection goes too.
    combo("MR485BT")->setCurrentIndex(-1);
    combo("MR485BT")->setEditText("57600");
    combo("MR485JN")->setCurrentIndex(2);
    m_harness->click("Button32");
    QVERIFY(answer("MR485B:9,0"));
    QCOMPARE(selected("MR485BT"), -1);
    QCOMPARE(combo("MR485BT")->currentText(), QString());
    QCOMPARE(selected("MR485JN"), 0);
    QCOMPARE(combo("MR485JN")->currentText(), QString("None"));
    QVERIFY(m_harness->reports.isEmpty());

    // The cleared box now sends -1 for the baud rate.
    m_pty->takeReceived();
    m_harness->click("Button188");
    QCOMPARE(m_pty->receive(19, 1000), QByteArray("TARVEN#MR485B:-1,0#"));
}

// A status answer is searched beyond a NUL; the receive view stops at it.
void ReplyDispatchTest::statusAnswerFillsReadingsAndAddress()
{
    m_harness->click("Button124");
    const QByteArray status("STC1:042A01:012.50\0A02:-03.00A03:99.999", 39);
    QVERIFY(answer(status));
    QCOMPARE(text("Station"), QString("042"));
    QCOMPARE(text("AD1XS"), QString("012.50"));
    QCOMPARE(text("AD2XS"), QString("-03.00"));
    QCOMPARE(text("AD3XS"), QString("99.999"));
    QCOMPARE(m_harness->control<QPlainTextEdit>("Memo8")->toPlainText(),
             QString("STC1:042A01:012.50"));
    QCOMPARE(link().latestReply(), status);
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
}

// A command pressed while an earlier answer is settling: that answer is acted on at
// once, with the request it was awaited for, and from then on the receive view shows
// only what arrived after the command.
void ReplyDispatchTest::commandWhileAnswerSettles_data()
{
    QTest::addColumn<QString>("firstButton");
    QTest::addColumn<QByteArray>("firstAnswer");
    QTest::addColumn<QString>("secondButton");
    QTest::addColumn<QByteArray>("secondAnswer");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* sentence, const char* first, const QByteArray& firstAnswer,
                        const char* second, const QByteArray& secondAnswer, const char* field,
                        const char* value) {
        QTest::newRow(sentence) << QString(first) << firstAnswer << QString(second) << secondAnswer
                                << QString(field) << QString(value);
    };
    row("a Set during the parameter answer: the parameters still land", "Button32",
        kParameterAnswer, "Button4", "OK\r\n", "AD2H", "200.0");
    row("a Set during the status answer: the readings still land", "Button124",
        "STC1:001A01:011.11A02:022.22A03:033.33", "AD1SET", "OK\r\n", "AD3XS", "033.33");
    row("a Set whose answer holds a tag fills nothing", "Button124", "EARLIER", "Button4",
        "STC1:099A01:044.44", "Station", "000");
    row("a second query gets only its own answer", "Button124", "EARLIER", "Button32",
        kParameterAnswer, "Edit1", "105");
    row("real-time data twice shows the newer readings", "Button124",
        "STC1:001A01:011.11A02:011.11A03:011.11", "Button124",
        "STC1:001A01:022.22A02:022.22A03:022.22", "AD3XS", "022.22");
    row("real-time data then read parameters fills the parameters", "Button124",
        "STC1:001A01:011.11A02:011.11A03:011.11", "Button32", kParameterAnswer, "AD2H", "200.0");
    row("a write's acknowledgement then read parameters fills the parameters", "Button4", "OK\r\n",
        "Button32", kParameterAnswer, "Edit1", "105");
}

void ReplyDispatchTest::commandWhileAnswerSettles()
{
    QFETCH(QString, firstButton);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(QString, secondButton);
    QFETCH(QByteArray, secondAnswer);
    QFETCH(QString, field);
    QFETCH(QString, value);
    auto* view = m_harness->control<QPlainTextEdit>("Memo8");

    QSignalSpy chunks(&link(), &qv::SerialLink::chunkReceived);
    m_harness->click(qPrintable(firstButton));
    QVERIFY(m_pty->write(firstAnswer));
    QVERIFY(chunks.wait(2000));
    QVERIFY(link().isSettleTimerArmed());
    QCOMPARE(view->toPlainText(), shownInView(firstAnswer));

    m_harness->click(qPrintable(secondButton));
    QCOMPARE(view->toPlainText(), QString());
    QVERIFY(answer(secondAnswer));
    QCOMPARE(view->toPlainText(), shownInView(secondAnswer));
    QCOMPARE(text(qPrintable(field)), value);
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
    QVERIFY(m_harness->reports.isEmpty());
}

// Bytes that have arrived but are still being gathered into a chunk when the next
// query goes out are the earlier answer's, not the start of the new one.
void ReplyDispatchTest::uncutBytesBelongToTheEarlierAnswer()
{
    m_harness->click("Button124");
    QVERIFY(m_pty->write("STC1:001A01:011.11A02:011.11A03:011.11"));
    QTest::qWait(40); // received, but the 100 ms gap that ends a chunk has not passed
    m_harness->click("Button124");
    QCOMPARE(text("AD3XS"), QString("011.11"));
    QVERIFY(answer("STC1:001A01:022.22A02:022.22A03:022.22"));
    QCOMPARE(text("AD3XS"), QString("022.22"));
    QCOMPARE(link().latestReply(), QByteArray("STC1:001A01:022.22A02:022.22A03:022.22"));
}

// A query whose answer has not begun when a write goes out is given up: what comes
// after the write is the write's answer and never fills the query's fields.
void ReplyDispatchTest::writeAbandonsUnansweredQuery()
{
    m_harness->click("Button32");
    m_harness->click("Button4");
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
    QVERIFY(answer("STQ:123#PA1:456#"));
    QCOMPARE(text("Station"), QString("000"));
    QCOMPARE(text("Edit1"), QString("000"));
    QVERIFY(m_harness->reports.isEmpty());
}

void ReplyDispatchTest::oneChunkOfSixtyBytesIsShownAndDispatchedOnce()
{
    const QByteArray sixty = "STC1:007A01:012.50A02:-03.00A03:99.999" + QByteArray(22, 'x');
    QCOMPARE(sixty.size(), 60);
    m_harness->click("Button124");
    QSignalSpy chunks(&link(), &qv::SerialLink::chunkReceived);
    QSignalSpy settled(&link(), &qv::SerialLink::settleTimerExpired);
    QElapsedTimer sinceChunk;
    connect(&link(), &qv::SerialLink::chunkReceived, this, [&] { sinceChunk.start(); });
    qint64 settledAfter = -1;
    connect(&link(), &qv::SerialLink::settleTimerExpired, this,
            [&] { settledAfter = sinceChunk.elapsed(); });

    QVERIFY(m_pty->write(sixty));
    QVERIFY(chunks.wait(2000));
    QCOMPARE(chunks.size(), 1);
    QCOMPARE(chunks.first().first().toByteArray(), sixty);
    QCOMPARE(m_harness->control<QPlainTextEdit>("Memo8")->toPlainText(),
             QString::fromLatin1(sixty));
    QVERIFY(settled.wait(2000));
    QTest::qWait(300);
    QCOMPARE(settled.size(), 1);
    QVERIFY2(settledAfter >= 150 && settledAfter <= 600, qPrintable(QString::number(settledAfter)));
    QCOMPARE(text("AD1XS"), QString("012.50"));
}

// A reading is whatever the instrument sent, never markup.
void ReplyDispatchTest::readingsAreShownAsPlainText()
{
    m_harness->click("Button124");
    QVERIFY(answer("A01:<b>12<A02:<i>x</A03:&amp;1"));
    for (const auto& [name, shown] : {std::pair{"AD1XS", "<b>12<"}, std::pair{"AD2XS", "<i>x</"},
                                      std::pair{"AD3XS", "&amp;1"}}) {
        auto* label = m_harness->control<QLabel>(name);
        QCOMPARE(label->text(), QString(shown));
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
}

QTEST_MAIN(ReplyDispatchTest)
#include "tst_reply_dispatch.moc"
