// The whole program against the simulated instrument over a pseudo-terminal: the real
// window with its real serial link, driven by key presses and mouse clicks, and the
// instrument's own view of its configuration (`show`) as the judge.

#include "e2e_steps.h"
#include "sim_process.h"
#include "window_operator.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using qv::RequestCode;

namespace {

// Settings that differ from both the window's initial fields and the instrument's
// defaults, so every field a read fills visibly changes.
const QStringList kDistinctSettings = {
    "set address 42", "set baud 1",    "set parity 1", "set variable 1", "set ma4 3.5",
    "set ma20 19.5",  "set pz1 12",    "set pz2 105",  "set ad1urv 200", "set ad1lrv -10",
    "set ad1start 1", "set ad2urv 80", "set ad2lrv 5", "set ad2start 2",
};
// The parameter answer to those settings as the receive view shows it.
const QString kDistinctAnswerHead = "STQ:042\nMR485B:1,1\nDAV:1,03.50,19.50\nPA1:012\nPA2:105\n";
const QString kDistinctAnswerTail = "AD01:200.0,-10.0,001.0\nAD02:080.0,005.0,002.0\n";
// What the window's fields hold at start, key by key.
const QMap<QString, QString> kInitialFields = {
    {"address", "000"}, {"baud", "3"},  {"parity", "0"}, {"variable", "0"}, {"ma4", ""},
    {"ma20", ""},       {"pz1", "000"}, {"pz2", "000"},  {"ad1urv", ""},    {"ad1lrv", ""},
    {"ad1start", ""},   {"ad2urv", ""}, {"ad2lrv", ""},  {"ad2start", ""},
};
const QStringList kFirstHalfKeys = {"address", "baud", "parity", "variable",
                                    "ma4",     "ma20", "pz1",    "pz2"};

QMap<QString, QString> withOverrides(QMap<QString, QString> values, const QStringList& pairs)
{
    for (const QString& pair : pairs)
        values.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return values;
}

} // namespace

class PseudoTerminalTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openAndCommunicationTest();
    void readParametersFillsEveryField_data();
    void readParametersFillsEveryField();
    void setButtonWritesToInstrument_data();
    void setButtonWritesToInstrument();
    void readingsFillLabelsAndAddress_data();
    void readingsFillLabelsAndAddress();
    void disturbedParameterAnswer_data();
    void disturbedParameterAnswer();
    void badIndexReportsAndStopsFilling();
    void lostLineClosesWindowAndReopens_data();
    void lostLineClosesWindowAndReopens();
    void linkNameOpensTheNewLineAfterDrop();

private:
    qv::SerialLink& link() { return m_operator->window().link(); }
    bool applyAll(const QStringList& commands) { return ::applyAll(*m_sim, commands); }
    bool readParametersMatchesInstrument()
    {
        return ::readParametersMatchesInstrument(*m_operator, *m_sim);
    }
    void saveScreenshotWhenAsked();

    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<WindowOperator> m_operator;
};

void PseudoTerminalTest::init()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->address().startsWith("/dev/"), qPrintable(m_sim->address()));
    m_operator = std::make_unique<WindowOperator>();
    QVERIFY(m_operator->open(m_sim->address()));
    // Let the expiry the settle timer makes at start pass.
    QTRY_VERIFY(!link().isSettleTimerArmed());
}

// Any error report a test did not take for itself was not expected.
void PseudoTerminalTest::cleanup()
{
    const QStringList unexpected = m_operator ? m_operator->takeReports() : QStringList{};
    m_operator.reset();
    QVERIFY(!m_sim || m_sim->stop());
    m_sim.reset();
    QCOMPARE(unexpected, QStringList{});
}

// QV_E2E_SCREENSHOT=path saves the window as it stands, for the documentation; run
// readParametersFillsEveryField with it set to $PWD/docs/window-after-read.png.
void PseudoTerminalTest::saveScreenshotWhenAsked()
{
    const QString path = qEnvironmentVariable("QV_E2E_SCREENSHOT");
    if (!path.isEmpty())
        QVERIFY2(m_operator->window().grab().save(path), qPrintable(path));
}

void PseudoTerminalTest::openAndCommunicationTest()
{
    QCOMPARE(m_operator->shown("Button10"), QString("Close"));
    QVERIFY(m_operator->control<QPushButton>("Button14")->isEnabled());

    m_operator->click("Button14");
    QCOMPARE(m_operator->shown("discomm"), QString("PPPPPP#VAR#"));
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Memo8"), QString("QV418K-TR SIM V1.0\n"),
                              kAnswerTimeoutMs);
    QTRY_COMPARE(link().requestCode(), RequestCode::rcIdle);

    m_operator->click("Button10");
    QCOMPARE(m_operator->shown("Button10"), QString("Open"));
    QVERIFY(!m_operator->control<QPushButton>("Button14")->isEnabled());
    QVERIFY(!m_operator->window().PortOpen());
}

void PseudoTerminalTest::readParametersFillsEveryField_data()
{
    QTest::addColumn<QStringList>("settings");
    const auto row = [](const char* sentence, const QStringList& settings) {
        QTest::newRow(sentence) << settings;
    };
    row("the instrument's own settings are shown as they stand", {});
    row("an address and RS-485 settings changed on the instrument are read",
        {"set address 247", "set baud 4", "set parity 2"});
    row("output settings changed on the instrument are read",
        {"set variable 1", "set ma4 -1.5", "set ma20 99.99"});
    row("fine-tuning and both ranges changed on the instrument are read",
        {"set pz1 150", "set pz2 999", "set ad1urv 999.9", "set ad1lrv -99.9", "set ad1start 12.5",
         "set ad2urv 200", "set ad2lrv 10", "set ad2start 5"});
}

void PseudoTerminalTest::readParametersFillsEveryField()
{
    QFETCH(QStringList, settings);
    QVERIFY(applyAll(settings));
    const QMap<QString, QString> config = m_sim->config();

    m_operator->click("Button32");
    QCOMPARE(m_operator->shown("discomm"), QString("PPPPPP#CHEACK1#"));
    QTRY_COMPARE_WITH_TIMEOUT(parameterLine(m_operator->parameters()), parameterLine(config),
                              kAnswerTimeoutMs);
    QCOMPARE(m_operator->shown("Memo8"), parameterAnswerView(config));
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
    if (settings.isEmpty())
        saveScreenshotWhenAsked();
}

void PseudoTerminalTest::setButtonWritesToInstrument_data()
{
    QTest::addColumn<QStringList>("picks");  // list=item, picked with the arrow keys
    QTest::addColumn<QStringList>("typing"); // field=text, typed over the field
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("sendView");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("changes"); // key=value in `show`
    const auto row = [](const char* sentence, const QStringList& picks, const QStringList& typing,
                        const QString& button, const QString& sendView, const QString& reply,
                        const QStringList& changes) {
        QTest::newRow(sentence) << picks << typing << button << sendView << reply << changes;
    };
    row("the MODBUS address typed as 42 is written as 042", {}, {"Station=42"}, "Button4",
        "TARVEN#ST:042#", "OK\n", {"address=042"});
    // The RS-485 write leaves the send view showing the read before it.
    row("baud rate 19200 and parity Even are written by index", {"MR485BT=19200", "MR485JN=Even"},
        {}, "Button188", "PPPPPP#CHEACK1#", "OK\n", {"baud=4", "parity=2"});
    row("the output on AD2 from 02.50 to 18.75 is written", {"ComboBox1=1 AD2"},
        {"DAVL=02.50", "DAVH=18.75"}, "Button52", "TARVEN#DAV:1,02.50,18.75#", "OK\n",
        {"variable=1", "ma4=02.50", "ma20=18.75"});
    row("the AD1 range is written as typed", {}, {"AD1H=120.5", "AD1L=-10.0", "AD1LD=2.5"},
        "AD1SET", "TARVEN#AD01:120.5,-10.0,2.5#", "OK\n",
        {"ad1urv=120.5", "ad1lrv=-10.0", "ad1start=002.5"});
    row("the AD2 range typed without padding is stored in the instrument's form", {},
        {"AD2H=80", "AD2L=5", "AD2LD=1.5"}, "AD2SET", "TARVEN#AD02:80,5,1.5#", "OK\n",
        {"ad2urv=080.0", "ad2lrv=005.0", "ad2start=001.5"});
    row("the AD1 fine-tuning 150 is written", {}, {"Edit1=150"}, "Button1", "TARVEN#PZ1:150#",
        "OK\n", {"pz1=150"});
    row("the AD2 fine-tuning 7 is written as 007", {}, {"Edit2=7"}, "Button2", "TARVEN#PZ2:007#",
        "OK\n", {"pz2=007"});
    row("an address beyond 247 is refused by the instrument and nothing changes", {},
        {"Station=300"}, "Button4", "TARVEN#ST:300#", "ERR\n", {});
}

// The operator reads first, edits, presses the group's "Set", and reads again.
void PseudoTerminalTest::setButtonWritesToInstrument()
{
    QFETCH(QStringList, picks);
    QFETCH(QStringList, typing);
    QFETCH(QString, button);
    QFETCH(QString, sendView);
    QFETCH(QString, reply);
    QFETCH(QStringList, changes);
    QVERIFY(readParametersMatchesInstrument());
    const QMap<QString, QString> before = m_sim->config();

    for (const QString& pick : picks)
        QVERIFY(m_operator->pick(qPrintable(pick.section('=', 0, 0)), pick.section('=', 1)));
    for (const QString& entry : typing)
        m_operator->retype(qPrintable(entry.section('=', 0, 0)), entry.section('=', 1));
    m_operator->click(qPrintable(button));
    QCOMPARE(m_operator->shown("discomm"), sendView);
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Memo8"), reply, kAnswerTimeoutMs);
    // The operator reads once the write's answer has settled.
    QTRY_VERIFY(!link().isSettleTimerArmed());

    QCOMPARE(parameterLine(m_sim->config()), parameterLine(withOverrides(before, changes)));
    QVERIFY(readParametersMatchesInstrument());
}

void PseudoTerminalTest::readingsFillLabelsAndAddress_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("fault");
    QTest::newRow("Real-Time Data fills the readings and the address") << "Button124"
                                                                       << "PPPPPP#STATUS#"
                                                                       << "";
    QTest::newRow("Output Value fills the readings and the address") << "Button3"
                                                                     << "PPPPPP#AA#"
                                                                     << "";
    // The pause comes before "A03:", with 12 bytes after it: both chunks settle together.
    QTest::newRow("Real-Time Data paused for 150 ms in the middle lands whole") << "Button124"
                                                                                << "PPPPPP#STATUS#"
                                                                                << "split 150";
}

void PseudoTerminalTest::readingsFillLabelsAndAddress()
{
    QFETCH(QString, button);
    QFETCH(QString, frame);
    QFETCH(QString, fault);
    QVERIFY(applyAll({"set address 123", "set a01 7.5", "set a02 -12.34", "set a03 99.99"}));
    const QMap<QString, QString> config = m_sim->config();
    QCOMPARE(config["a01"], QString("07.500"));
    QVERIFY(fault.isEmpty() || m_sim->apply(fault));

    m_operator->click(qPrintable(button));
    QCOMPARE(m_operator->shown("discomm"), frame);
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("AD3XS"), config["a03"], kAnswerTimeoutMs);
    QCOMPARE(m_operator->shown("AD1XS"), config["a01"]);
    QCOMPARE(m_operator->shown("AD2XS"), config["a02"]);
    QCOMPARE(m_operator->shown("Station"), QString("123"));
    QCOMPARE(m_operator->shown("Memo8"), QString("STC1:123A01:07.500A02:-12.34A03:099.99\n"));
    QCOMPARE(link().requestCode(), RequestCode::rcIdle);
}

void PseudoTerminalTest::disturbedParameterAnswer_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("receiveView"); // pattern for the whole view once all has come
    QTest::addColumn<QStringList>("filled");  // keys the read fills, the rest keep their text
    QTest::addColumn<RequestCode>("pending");
    const auto row = [](const char* sentence, const QString& fault, const QString& receiveView,
                        const QStringList& filled, RequestCode pending) {
        QTest::newRow(sentence) << fault << receiveView << filled << pending;
    };
    const QString whole = QRegularExpression::escape(kDistinctAnswerHead + kDistinctAnswerTail);
    QStringList every;
    for (const ParameterField& setting : kParameterFields)
        every.append(setting.key);

    // An answer lands whole while its last chunk comes within the settle time of its first:
    // the pause plus the 48 bytes after it (50 ms at 9600 baud) must stay under 200 ms.
    row("a pause of 120 ms lands as one answer", "split 120", whole, every, RequestCode::rcIdle);
    // The settle time runs from the first chunk: the second half arrives after it.
    row("a pause of 300 ms fills the first half; the second is shown, not read", "split 300",
        QRegularExpression::escape(kDistinctAnswerTail), kFirstHalfKeys, RequestCode::rcIdle);
    row("a NUL cuts the answer where it stands, in the fields and in the view", "nul",
        QRegularExpression::escape(kDistinctAnswerHead), kFirstHalfKeys, RequestCode::rcIdle);
    row("garbage without tags changes no field", "garbage", "[^:#]{100,}", {}, RequestCode::rcIdle);
    row("no answer changes nothing and leaves the read pending", "silence", "", {},
        RequestCode::rcParameterRead);
    // A chunk ends at 2048 bytes; the settle time runs out before the tags arrive.
    row("an answer behind 2500 bytes of filler is shown but not read", "long", "(?s).+" + whole, {},
        RequestCode::rcIdle);
}

// A fresh read afterwards fills every field: the disturbance leaves nothing behind.
void PseudoTerminalTest::disturbedParameterAnswer()
{
    QFETCH(QString, fault);
    QFETCH(QString, receiveView);
    QFETCH(QStringList, filled);
    QFETCH(RequestCode, pending);
    QVERIFY(applyAll(kDistinctSettings));
    const QMap<QString, QString> config = m_sim->config();
    QMap<QString, QString> expected = kInitialFields;
    for (const QString& key : filled)
        expected.insert(key, config[key]);
    QVERIFY(m_sim->apply(fault));

    m_operator->click("Button32");
    const QRegularExpression view(QRegularExpression::anchoredPattern(receiveView));
    QTRY_VERIFY_WITH_TIMEOUT(view.match(m_operator->shown("Memo8")).hasMatch(), 8000);
    QTRY_VERIFY(!link().isSettleTimerArmed());
    QTest::qWait(600);
    QCOMPARE(parameterLine(m_operator->parameters()), parameterLine(expected));
    QVERIFY(view.match(m_operator->shown("Memo8")).hasMatch());
    QCOMPARE(link().requestCode(), pending);

    QVERIFY(readParametersMatchesInstrument());
}

// The instrument sends a letter where the baud-rate digit belongs.
void PseudoTerminalTest::badIndexReportsAndStopsFilling()
{
    QVERIFY(applyAll(kDistinctSettings));
    QVERIFY(m_sim->apply("badindex"));

    m_operator->click("Button32");
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->reports(),
                              QStringList{"'x' is not a valid integer value."}, kAnswerTimeoutMs);
    // The address comes before the bad digit; the RS-485 boxes and all after them do not.
    QCOMPARE(parameterLine(m_operator->parameters()),
             parameterLine(withOverrides(kInitialFields, {"address=042"})));
    QCOMPARE(link().requestCode(), RequestCode::rcParameterRead);
    m_operator->takeReports();

    QVERIFY(readParametersMatchesInstrument());
}

void PseudoTerminalTest::lostLineClosesWindowAndReopens_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("button"); // pressed after the command, when not empty
    QTest::newRow("the line goes away while idle") << "drop"
                                                   << "";
    QTest::newRow("the line goes away instead of an answer") << "drop next"
                                                             << "Button32";
}

// As an unplugged adapter: the window closes and says so once; the operator types the
// new line's name and carries on.
void PseudoTerminalTest::lostLineClosesWindowAndReopens()
{
    QFETCH(QString, command);
    QFETCH(QString, button);
    const QString oldAddress = m_sim->address();
    QVERIFY(m_sim->apply(command));
    if (!button.isEmpty())
        m_operator->click(qPrintable(button));

    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Button10"), QString("Open"), kAnswerTimeoutMs);
    QVERIFY(!m_operator->control<QPushButton>("Button14")->isEnabled());
    QVERIFY(!m_operator->window().PortOpen());
    QTest::qWait(300);
    QCOMPARE(m_operator->takeReports(),
             QStringList{"Connection to " + oldAddress + " lost: Device hung up."});

    if (command == "drop next")
        QVERIFY(m_sim->awaitNewLine());
    QVERIFY(m_sim->address().startsWith("/dev/"));
    QVERIFY(m_operator->open(m_sim->address()));
    QVERIFY(m_operator->control<QPushButton>("Button14")->isEnabled());
    QVERIFY(readParametersMatchesInstrument());
}

// The start script gives the simulator a fixed name that follows its line: after a drop
// the operator presses "Open" again with the name still in the box.
void PseudoTerminalTest::linkNameOpensTheNewLineAfterDrop()
{
    m_operator->click("Button10");
    const QTemporaryDir folder;
    const QString name = folder.filePath("qv418k-sim");
    m_sim = std::make_unique<SimProcess>(QStringList{"--link", name});
    QVERIFY(m_sim->isRunning());
    QVERIFY(m_operator->open(name));

    QVERIFY(m_sim->apply("drop"));
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Button10"), QString("Open"), kAnswerTimeoutMs);
    QTest::qWait(300);
    QCOMPARE(m_operator->takeReports(),
             QStringList{"Connection to " + name + " lost: Device hung up."});

    QCOMPARE(m_operator->shown("SPREALCOM"), name);
    m_operator->click("Button10");
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Button10"), QString("Close"), kAnswerTimeoutMs);
    QVERIFY(readParametersMatchesInstrument());
    QVERIFY(m_sim->stop()); // while its folder is still there
}

QTEST_MAIN(PseudoTerminalTest)
#include "tst_pseudo_terminal.moc"
