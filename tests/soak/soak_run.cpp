#include "soak_run.h"

#include "error_report.h"
#include "mainform1.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

using qv::RequestCode;

namespace {

struct KindInfo
{
    CycleKind kind;
    const char* name;
    const char* button;
};

constexpr KindInfo kKinds[] = {
    {CycleKind::ReadParameters, "Read Parameters", "Button32"},
    {CycleKind::RealTimeData, "Real-Time Data", "Button124"},
    {CycleKind::OutputValue, "Output Value", "Button3"},
    {CycleKind::CommunicationTest, "Communication Test", "Button14"},
    {CycleKind::SetAddress, "Set address", "Button4"},
    {CycleKind::SetRs485, "Set RS485", "Button188"},
    {CycleKind::SetOutput, "Set output", "Button52"},
    {CycleKind::SetAd1Range, "Set AD1 range", "AD1SET"},
    {CycleKind::SetAd2Range, "Set AD2 range", "AD2SET"},
    {CycleKind::SetFineTuning1, "Set AD1 fine-tuning", "Button1"},
    {CycleKind::SetFineTuning2, "Set AD2 fine-tuning", "Button2"},
};

struct FaultInfo
{
    Fault fault;
    const char* name;
};

// In the order they take turns.
constexpr FaultInfo kFaults[] = {
    {Fault::SplitUnderGap, "split < chunk gap"},
    {Fault::Garbage, "garbage"},
    {Fault::SplitWithinSettle, "split < settle time"},
    {Fault::Silence, "silence"},
    {Fault::BadIndex, "bad baud index"},
    {Fault::SplitPastSettle, "split > settle time"},
    {Fault::Nul, "NUL"},
    {Fault::DropNext, "hang-up"},
    {Fault::Long, "2500-byte filler"},
};

// The window's fields an answer can fill.
const char* const kFieldNames[] = {"Station", "MR485BT", "MR485JN", "ComboBox1", "DAVL",  "DAVH",
                                   "Edit1",   "Edit2",   "AD1H",    "AD1L",      "AD1LD", "AD2H",
                                   "AD2L",    "AD2LD",   "AD1XS",   "AD2XS",     "AD3XS"};

const QByteArray kIdentification = "QV418K-TR SIM V1.0\r\n";
const QByteArray kAcknowledge = "OK\r\n";
constexpr int kFillerBytes = 2500;
// Garbage has the answer's length, but no fewer bytes than this.
constexpr qsizetype kMinGarbageBytes = 16;
constexpr char kBadIndexLetter = 'x';

// Waits far beyond any answer's time (the 2500-byte filler takes under 3 s at 9600 baud).
constexpr int kAnswerTimeoutMs = 10000;
// An answer that does not come: the longest regular one is complete within this.
constexpr int kSilenceWaitMs = 700;
constexpr int kOpenTimeoutMs = 5000;

const KindInfo& infoOf(CycleKind kind)
{
    for (const KindInfo& info : kKinds) {
        if (info.kind == kind)
            return info;
    }
    return kKinds[0];
}

const char* nameOf(Fault fault)
{
    for (const FaultInfo& info : kFaults) {
        if (info.fault == fault)
            return info.name;
    }
    return "none";
}

QStringList kindNames()
{
    QStringList names;
    for (const KindInfo& info : kKinds)
        names.append(QString::fromLatin1(info.name));
    return names;
}

QStringList faultNames()
{
    QStringList names;
    for (const FaultInfo& info : kFaults)
        names.append(QString::fromLatin1(info.name));
    return names;
}

bool isQuery(CycleKind kind)
{
    return kind == CycleKind::ReadParameters || kind == CycleKind::RealTimeData ||
           kind == CycleKind::OutputValue || kind == CycleKind::CommunicationTest;
}

bool isSplit(Fault fault)
{
    return fault == Fault::SplitUnderGap || fault == Fault::SplitWithinSettle ||
           fault == Fault::SplitPastSettle;
}

QString describe(const FieldValue& value)
{
    if (const int* index = std::get_if<int>(&value))
        return QStringLiteral("item %1").arg(*index);
    return QLatin1Char('"') + std::get<QString>(value) + QLatin1Char('"');
}

// A combo box holds its selected index; its text must then be that item's, or empty
// when nothing is selected.
FieldValue readField(const QWidget* widget)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        const int index = combo->currentIndex();
        const QString expectedText = index >= 0 ? combo->itemText(index) : QString();
        if (combo->currentText() != expectedText)
            return QStringLiteral("text %1 beside item %2").arg(combo->currentText()).arg(index);
        return index;
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return QStringLiteral("<no such field>");
}

QString printable(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes) {
        if (c >= ' ' && c <= '~')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return text;
}

} // namespace

SoakRun::SoakRun(const SoakPlan& plan)
    : m_plan(plan), m_random(plan.seed), m_figures(kindNames(), faultNames())
{
    setErrorReportSink([this](const QString&, const QString& text) { m_reports.append(text); });
}

SoakRun::~SoakRun()
{
    setErrorReportSink({});
}

bool SoakRun::start()
{
    m_sim = std::make_unique<SimProcess>(
        QStringList{QStringLiteral("--seed"), QString::number(m_plan.seed)});
    if (!m_sim->isReady()) {
        mismatch(QStringLiteral("the simulator did not announce its line"));
        return false;
    }
    m_window = std::make_unique<Tmainform1>();
    qv::SerialLink& link = m_window->link();
    // After the window's own handlers, so the fields are already filled when these run.
    connect(&link, &qv::SerialLink::chunkReceived, this, &SoakRun::onChunk);
    connect(&link, &qv::SerialLink::settleTimerExpired, this, &SoakRun::onSettleExpiry);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()) || !openLine())
        return false;
    // Readings drift unless pinned; pinned from the start they can be compared exactly.
    pinReadings();
    m_settings = m_sim->show();
    for (const char* name : kFieldNames)
        m_fields.insert(QString::fromLatin1(name),
                        readField(m_window->findChild<QWidget*>(QString::fromLatin1(name))));
    // The timer is armed when the window is made; its first expiry finds nothing pending.
    if (!QTest::qWaitFor([&link] { return !link.isSettleTimerArmed(); }, kOpenTimeoutMs))
        mismatch(QStringLiteral("the settle timer never expired"));
    return true;
}

void SoakRun::runAll()
{
    QElapsedTimer wall;
    wall.start();
    m_figures.warmupCycles = qBound(1, m_plan.cycles / 10, 20);
    for (int index = 0; index < m_plan.cycles; ++index) {
        runCycle(index);
        if (index + 1 == m_figures.warmupCycles)
            m_figures.rssAfterWarmupKiB = residentKiB();
    }
    m_figures.rssAtEndKiB = residentKiB();
    m_figures.wallSeconds = double(wall.elapsed()) / 1000.0;
}

Fault SoakRun::faultFor(int index) const
{
    if (m_plan.faultEvery <= 0 || (index + 1) % m_plan.faultEvery != 0)
        return Fault::None;
    const int turn = (index + 1) / m_plan.faultEvery - 1;
    return kFaults[turn % int(std::size(kFaults))].fault;
}

// Half queries, half writes; among the queries "Read Parameters" comes twice as often,
// since it is the one that reads every write back. A bad baud index exists only in the
// parameter answer.
CycleKind SoakRun::kindFor(Fault fault)
{
    if (fault == Fault::BadIndex)
        return CycleKind::ReadParameters;
    static constexpr CycleKind queries[] = {CycleKind::ReadParameters, CycleKind::ReadParameters,
                                            CycleKind::RealTimeData, CycleKind::OutputValue,
                                            CycleKind::CommunicationTest};
    static constexpr CycleKind writes[] = {CycleKind::SetAddress,    CycleKind::SetRs485,
                                           CycleKind::SetOutput,     CycleKind::SetAd1Range,
                                           CycleKind::SetAd2Range,   CycleKind::SetFineTuning1,
                                           CycleKind::SetFineTuning2};
    if (m_random.bounded(2) == 0)
        return queries[m_random.bounded(int(std::size(queries)))];
    return writes[m_random.bounded(int(std::size(writes)))];
}

void SoakRun::runCycle(int index)
{
    const Fault fault = faultFor(index);
    const CycleKind kind = kindFor(fault);
    const QString cycle = QStringLiteral("cycle %1 (%2, fault: %3)")
                              .arg(index + 1)
                              .arg(QLatin1String(infoOf(kind).name), QLatin1String(nameOf(fault)));
    m_figures.cycles.add(QString::fromLatin1(infoOf(kind).name));
    if (fault != Fault::None)
        m_figures.faults.add(QString::fromLatin1(nameOf(fault)));
    if (!m_received.isEmpty())
        mismatch(cycle + QStringLiteral(": bytes arrived between cycles: ") +
                 printable(m_received));

    const ExpectedAnswer answer =
        armFault(fault, isQuery(kind) ? prepareQuery(kind) : prepareWrite(kind));
    const qsizetype reportsBefore = m_reports.size();
    sendCommand(kind);
    awaitAnswer(fault, answer);

    checkReceivedBytes(cycle, fault, answer);
    applyDispatch(answer);
    compareFields(cycle);
    if (m_window->link().requestCode() != m_pending)
        mismatch(cycle + QStringLiteral(": pending request %1, expected %2")
                             .arg(int(m_window->link().requestCode()))
                             .arg(int(m_pending)));
    compareReports(cycle, reportsBefore);
    compareSettings(cycle);
    // From here on, anything that arrives belongs to no cycle.
    m_received.clear();
}

// Presses the command's button; a query's answer is awaited from then on.
void SoakRun::sendCommand(CycleKind kind)
{
    m_expectedReports.clear();
    m_expectedReportStarts.clear();
    m_received.clear();
    m_latestReply.clear();
    m_dispatched.clear();
    m_wasDispatched = false;
    m_chunks = 0;
    click(infoOf(kind).button);
    if (kind == CycleKind::ReadParameters)
        m_pending = RequestCode::rcParameterRead;
    else if (kind == CycleKind::RealTimeData || kind == CycleKind::OutputValue)
        m_pending = RequestCode::rcStatusRead;
    else if (kind == CycleKind::CommunicationTest)
        m_pending = RequestCode::rcLinkTest;
}

// The readings of a status answer are pinned to fresh values first, so the answer is
// known exactly; the other queries answer from the settings as they stand.
ExpectedAnswer SoakRun::prepareQuery(CycleKind kind)
{
    switch (kind) {
    case CycleKind::ReadParameters:
        return parameterAnswer(m_settings);
    case CycleKind::RealTimeData:
    case CycleKind::OutputValue:
        pinReadings();
        return statusAnswer(m_settings);
    default:
        return plainAnswer(kIdentification);
    }
}

// Types valid values of the instrument's ranges, in the form its answers show them, so
// that a later parameter read must give back exactly what was typed (the address and
// fine-tuning are typed without their leading zeros and read back with them).
ExpectedAnswer SoakRun::prepareWrite(CycleKind kind)
{
    const auto range = [this] { return fixedText(m_random.bounded(-999, 10000), 1, 5); };
    const auto current = [this] { return fixedText(m_random.bounded(-999, 10000), 2, 5); };
    const auto wholeNumber = [this](const char* field, const char* key, int highest) {
        const int value = m_random.bounded(highest + 1);
        typeInto(field, QString::number(value));
        setSetting(key, QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0')));
    };
    const auto rangeRow = [&](const char* h, const char* l, const char* ld, const char* prefix) {
        const QString urv = range(), lrv = range(), start = range();
        typeInto(h, urv);
        typeInto(l, lrv);
        typeInto(ld, start);
        setSetting(qPrintable(QLatin1String(prefix) + QLatin1String("urv")), urv);
        setSetting(qPrintable(QLatin1String(prefix) + QLatin1String("lrv")), lrv);
        setSetting(qPrintable(QLatin1String(prefix) + QLatin1String("start")), start);
    };

    switch (kind) {
    case CycleKind::SetAddress:
        wholeNumber("Station", "address", 247);
        break;
    case CycleKind::SetRs485: {
        const int baud = m_random.bounded(5), parity = m_random.bounded(3);
        selectItem("MR485BT", baud);
        selectItem("MR485JN", parity);
        setSetting("baud", QString::number(baud));
        setSetting("parity", QString::number(parity));
        break;
    }
    case CycleKind::SetOutput: {
        const int variable = m_random.bounded(2);
        const QString ma4 = current(), ma20 = current();
        selectItem("ComboBox1", variable);
        typeInto("DAVL", ma4);
        typeInto("DAVH", ma20);
        setSetting("variable", QString::number(variable));
        setSetting("ma4", ma4);
        setSetting("ma20", ma20);
        break;
    }
    case CycleKind::SetAd1Range:
        rangeRow("AD1H", "AD1L", "AD1LD", "ad1");
        break;
    case CycleKind::SetAd2Range:
        rangeRow("AD2H", "AD2L", "AD2LD", "ad2");
        break;
    case CycleKind::SetFineTuning1:
        wholeNumber("Edit1", "pz1", 999);
        break;
    case CycleKind::SetFineTuning2:
        wholeNumber("Edit2", "pz2", 999);
        break;
    default:
        break;
    }
    return plainAnswer(kAcknowledge);
}

// The output current in thousandths (-9.999 .. 99.999), the inputs in hundredths.
void SoakRun::pinReadings()
{
    const QString readings[] = {fixedText(m_random.bounded(-9999, 100000), 3, 6),
                                fixedText(m_random.bounded(-9999, 100000), 2, 6),
                                fixedText(m_random.bounded(-9999, 100000), 2, 6)};
    const char* const keys[] = {"a01", "a02", "a03"};
    for (int i = 0; i < 3; ++i) {
        const QString command =
            QStringLiteral("set %1 %2").arg(QLatin1String(keys[i]), readings[i]);
        const QString reply = m_sim->control(command);
        if (reply != QStringLiteral("ok ") + command)
            mismatch(QStringLiteral("'%1' answered '%2'").arg(command, reply));
        m_settings.insert(QString::fromLatin1(keys[i]), readings[i]);
    }
}

// As the operator does: select everything, delete it, type the new value.
void SoakRun::typeInto(const char* field, const QString& text)
{
    auto* edit = m_window->findChild<QLineEdit*>(QString::fromLatin1(field));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    if (edit->text() != text)
        mismatch(QStringLiteral("typing %1 into %2 gave %3")
                     .arg(text, QLatin1String(field), edit->text()));
    m_fields.insert(QString::fromLatin1(field), text);
}

void SoakRun::selectItem(const char* combo, int index)
{
    m_window->findChild<QComboBox*>(QString::fromLatin1(combo))->setCurrentIndex(index);
    m_fields.insert(QString::fromLatin1(combo), index);
}

// The instrument acts on a write frame even when its answer is faulty.
void SoakRun::setSetting(const char* key, const QString& value)
{
    m_settings.insert(QString::fromLatin1(key), value);
}

ExpectedAnswer SoakRun::armFault(Fault fault, ExpectedAnswer answer)
{
    QString command;
    switch (fault) {
    case Fault::None:
        return answer;
    case Fault::SplitUnderGap:
        command = QStringLiteral("split %1").arg(m_random.bounded(20, 61));
        break;
    case Fault::SplitWithinSettle:
        command = QStringLiteral("split %1").arg(m_random.bounded(110, 131));
        break;
    case Fault::SplitPastSettle:
        command = QStringLiteral("split %1").arg(m_random.bounded(350, 701));
        break;
    case Fault::Garbage:
        command = QStringLiteral("garbage");
        break;
    case Fault::Silence:
        command = QStringLiteral("silence");
        break;
    case Fault::Nul:
        command = QStringLiteral("nul");
        break;
    case Fault::BadIndex:
        command = QStringLiteral("badindex");
        answer = withBadBaudIndex(answer, kBadIndexLetter);
        break;
    case Fault::Long:
        command = QStringLiteral("long");
        break;
    case Fault::DropNext:
        command = QStringLiteral("drop next");
        break;
    }
    const QString reply = m_sim->control(command);
    if (reply != QStringLiteral("ok ") + command)
        mismatch(QStringLiteral("'%1' answered '%2'").arg(command, reply));
    return answer;
}

void SoakRun::click(const char* button)
{
    QTest::mouseClick(m_window->findChild<QPushButton*>(QString::fromLatin1(button)),
                      Qt::LeftButton);
}

// Types the simulator's current line into the port box and presses "Open".
bool SoakRun::openLine()
{
    auto* port = m_window->findChild<QComboBox*>(QStringLiteral("SPREALCOM"));
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), m_sim->address());
    click("Button10");
    auto* openClose = m_window->findChild<QPushButton*>(QStringLiteral("Button10"));
    const bool opened = QTest::qWaitFor(
        [&] { return openClose->text() == QStringLiteral("Close") && m_window->PortOpen(); },
        kOpenTimeoutMs);
    if (!opened)
        mismatch(QStringLiteral("the window did not open ") + m_sim->address());
    return opened;
}

// Waits until the whole answer has come and the settle timer has handed it on, or,
// for an answer that never comes, long enough to be sure of it.
void SoakRun::awaitAnswer(Fault fault, const ExpectedAnswer& answer)
{
    if (fault == Fault::Silence) {
        QTest::qWait(kSilenceWaitMs);
        return;
    }
    if (fault == Fault::DropNext) {
        awaitHangUpAndReopen();
        return;
    }
    qsizetype length = answer.bytes.size();
    if (fault == Fault::Garbage)
        length = std::max(length, kMinGarbageBytes);
    else if (fault == Fault::Nul)
        length += 1;
    else if (fault == Fault::Long)
        length += kFillerBytes;
    const qv::SerialLink& link = m_window->link();
    if (!QTest::qWaitFor([&] { return m_received.size() >= length && !link.isSettleTimerArmed(); },
                         kAnswerTimeoutMs))
        mismatch(QStringLiteral("answer incomplete after %1 ms: %2 of %3 bytes")
                     .arg(kAnswerTimeoutMs)
                     .arg(m_received.size())
                     .arg(length));
}

// The line goes away instead of answering: the window shows itself closed and reports
// it; the simulator offers a new line, which the operator opens.
void SoakRun::awaitHangUpAndReopen()
{
    const QString lostLine = m_sim->address();
    const int addresses = m_sim->addressCount();
    auto* openClose = m_window->findChild<QPushButton*>(QStringLiteral("Button10"));
    if (!QTest::qWaitFor([&] { return openClose->text() == QStringLiteral("Open"); },
                         kOpenTimeoutMs))
        mismatch(QStringLiteral("the window still shows the lost line open"));
    m_expectedReportStarts.append(QStringLiteral("Connection to %1 lost").arg(lostLine));
    if (!QTest::qWaitFor([&] { return m_sim->addressCount() > addresses; }, kOpenTimeoutMs))
        mismatch(QStringLiteral("the simulator offered no new line"));
    openLine();
}

void SoakRun::checkReceivedBytes(const QString& cycle, Fault fault, const ExpectedAnswer& answer)
{
    const QByteArray& got = m_received;
    bool asExpected = false;
    switch (fault) {
    case Fault::Silence:
    case Fault::DropNext:
        asExpected = got.isEmpty();
        break;
    case Fault::Garbage:
        asExpected = got.size() == std::max(answer.bytes.size(), kMinGarbageBytes) &&
                     !got.contains(':') && !got.contains('#');
        break;
    case Fault::Nul:
        asExpected = got.count('\0') == 1 && QByteArray(got).replace('\0', "") == answer.bytes;
        break;
    case Fault::Long:
        asExpected = got.size() == answer.bytes.size() + kFillerBytes && got.endsWith(answer.bytes);
        break;
    default:
        asExpected = got == answer.bytes;
        break;
    }
    m_figures.answerBytesCompared += got.size();
    if (!asExpected)
        mismatch(cycle + QStringLiteral(": received '%1' for '%2'")
                             .arg(printable(got), printable(answer.bytes)));
    if (!m_wasDispatched)
        return;
    // The settle expiry hands on everything received so far, from the answer's first
    // byte: a chunk dropped or replaced before it would show here.
    if (!got.startsWith(m_dispatched))
        mismatch(cycle + QStringLiteral(": dispatched '%1' is not how the answer began: '%2'")
                             .arg(printable(m_dispatched), printable(got)));
    if (isSplit(fault))
        ++(m_dispatched == got ? m_figures.splitsWhole : m_figures.splitsInTwo);
}

// What the first settle expiry after the click did, by the request pending then. Later
// expiries (the second part of an answer split past the settle time) find nothing
// pending unless the first one failed.
void SoakRun::applyDispatch(const ExpectedAnswer& answer)
{
    if (!m_wasDispatched)
        return;
    switch (m_pending) {
    case RequestCode::rcIdle:
        return;
    case RequestCode::rcLinkTest:
        m_pending = RequestCode::rcIdle;
        return;
    case RequestCode::rcStatusRead:
        m_pending = RequestCode::rcIdle;
        fillFrom(answer, m_dispatched);
        return;
    case RequestCode::rcParameterRead:
        if (!fillFrom(answer, m_dispatched))
            m_pending = RequestCode::rcIdle;
        return;
    }
}

// Fills the model with every segment found whole in what was dispatched; a segment
// whose tag is there but whose values are cut would be a lost byte. Returns true when
// a bad index digit stopped the extraction.
bool SoakRun::fillFrom(const ExpectedAnswer& answer, QByteArray view)
{
    if (answer.cutAtNul && view.contains('\0'))
        view.truncate(view.indexOf('\0'));
    for (const AnswerSegment& segment : answer.segments) {
        if (view.contains(segment.text)) {
            if (segment.failsConversion) {
                m_expectedReports.append(
                    QStringLiteral("'%1' is not a valid integer value.").arg(kBadIndexLetter));
                return true;
            }
            for (auto field = segment.fields.cbegin(); field != segment.fields.cend(); ++field)
                m_fields.insert(field.key(), field.value());
            m_figures.fieldsFilledByAnswers += segment.fields.size();
        } else if (view.contains(segment.tag())) {
            mismatch(QStringLiteral("dispatched text '%1' cuts '%2'")
                         .arg(printable(view), QString::fromLatin1(segment.text)));
        }
    }
    return false;
}

void SoakRun::compareFields(const QString& cycle)
{
    for (auto expected = m_fields.cbegin(); expected != m_fields.cend(); ++expected) {
        const FieldValue actual = readField(m_window->findChild<QWidget*>(expected.key()));
        ++m_figures.fieldsCompared;
        if (actual != expected.value())
            mismatch(QStringLiteral("%1: %2 holds %3, expected %4")
                         .arg(cycle, expected.key(), describe(actual), describe(expected.value())));
    }
}

void SoakRun::compareReports(const QString& cycle, qsizetype reportsBefore)
{
    QStringList shown = m_reports.mid(reportsBefore);
    const auto consume = [&](const QString& text, bool whole) {
        for (qsizetype i = 0; i < shown.size(); ++i) {
            if (whole ? shown[i] == text : shown[i].startsWith(text)) {
                shown.removeAt(i);
                ++m_figures.reportsExpected;
                return;
            }
        }
        ++m_figures.reportsMissing;
        mismatch(cycle + QStringLiteral(": no error report '%1'").arg(text));
    };
    for (const QString& text : std::as_const(m_expectedReports))
        consume(text, true);
    for (const QString& start : std::as_const(m_expectedReportStarts))
        consume(start, false);
    for (const QString& unexpected : std::as_const(shown)) {
        ++m_figures.reportsUnexpected;
        mismatch(cycle + QStringLiteral(": unexpected error report '%1'").arg(unexpected));
    }
}

void SoakRun::compareSettings(const QString& cycle)
{
    const SimSettings shown = m_sim->show();
    for (auto expected = m_settings.cbegin(); expected != m_settings.cend(); ++expected) {
        ++m_figures.settingsCompared;
        if (shown.value(expected.key()) != expected.value())
            mismatch(
                QStringLiteral("%1: simulator shows %2=%3, expected %4")
                    .arg(cycle, expected.key(), shown.value(expected.key()), expected.value()));
    }
}

void SoakRun::onChunk(const QByteArray& chunk, const QByteArray& latestReply)
{
    m_received += chunk;
    m_latestReply = latestReply;
    ++m_chunks;
}

// Runs after the window's own expiry handler; what it handed on is the reply as the
// last chunk left it.
void SoakRun::onSettleExpiry()
{
    if (m_wasDispatched || m_chunks == 0)
        return;
    m_wasDispatched = true;
    m_dispatched = m_latestReply;
}

void SoakRun::mismatch(const QString& text)
{
    m_figures.mismatches.append(text);
}
