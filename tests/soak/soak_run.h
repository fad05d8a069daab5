#pragma once

#include "expected_answer.h"
#include "request_code.h"
#include "sim_process.h"
#include "soak_figures.h"

#include <QObject>
#include <QRandomGenerator>

#include <memory>

class QLineEdit;
class Tmainform1;

// Every command the operator can give, one per button.
enum class CycleKind {
    ReadParameters,
    RealTimeData,
    OutputValue,
    CommunicationTest,
    SetAddress,
    SetRs485,
    SetOutput,
    SetAd1Range,
    SetAd2Range,
    SetFineTuning1,
    SetFineTuning2,
};

// What the simulator does to the answer of a cycle.
enum class Fault {
    None,
    SplitUnderGap,     // a pause shorter than the chunk gap: still one chunk
    SplitWithinSettle, // two chunks, the second normally before the settle time runs out
    SplitPastSettle,   // two chunks, the second well after the settle time
    Garbage,
    Silence,
    Nul,
    BadIndex,
    Long,
    DropNext, // the line hangs up instead of answering
};

struct SoakPlan
{
    int cycles = 60;
    quint32 seed = 418;
    // Every n-th cycle gets a fault, the kinds taken in turn.
    int faultEvery = 5;
};

// A soak of the real window and its real link against qv418k-sim over a
// pseudo-terminal: mixed queries and writes with faults injected now and then. After
// every cycle the window's fields, the pending request, the error reports and the
// simulator's settings are compared with what the answers should have done; every
// difference is noted as a mismatch and the run goes on.
class SoakRun : public QObject
{
    Q_OBJECT
public:
    explicit SoakRun(const SoakPlan& plan);
    ~SoakRun() override;

    // Starts the simulator and opens its line in the window.
    bool start();
    void runAll();
    const SoakFigures& figures() const { return m_figures; }

private:
    void runCycle(int index);
    Fault faultFor(int index) const;
    CycleKind kindFor(Fault fault);

    ExpectedAnswer prepareQuery(CycleKind kind);
    ExpectedAnswer prepareWrite(CycleKind kind);
    void pinReadings();
    void typeInto(const char* field, const QString& text);
    void selectItem(const char* combo, int index);
    void setSetting(const char* key, const QString& value);
    ExpectedAnswer armFault(Fault fault, ExpectedAnswer answer);

    void sendCommand(CycleKind kind);
    void click(const char* button);
    bool openLine();
    void awaitAnswer(Fault fault, const ExpectedAnswer& answer);
    void awaitHangUpAndReopen();
    void checkReceivedBytes(const QString& cycle, Fault fault, const ExpectedAnswer& answer);
    void applyDispatch(const ExpectedAnswer& answer);
    bool fillFrom(const ExpectedAnswer& answer, QByteArray view);
    void compareFields(const QString& cycle);
    void compareReports(const QString& cycle, qsizetype reportsBefore);
    void compareSettings(const QString& cycle);

    void onChunk(const QByteArray& chunk, const QByteArray& latestReply);
    void onSettleExpiry();
    void mismatch(const QString& text);

    SoakPlan m_plan;
    QRandomGenerator m_random;
    std::unique_ptr<Tmainform1> m_window;
    std::unique_ptr<SimProcess> m_sim;
    SoakFigures m_figures;

    // What the window and the simulator should hold.
    FieldValues m_fields;
    SimSettings m_settings;
    qv::RequestCode m_pending = qv::RequestCode::rcIdle;

    // Error reports as shown, and those the current cycle should show: the exact
    // text, or its start when it ends in something the system chooses.
    QStringList m_reports;
    QStringList m_expectedReports;
    QStringList m_expectedReportStarts;

    // What arrived since the last click, and what the first settle expiry after it saw.
    QByteArray m_received;
    QByteArray m_latestReply;
    QByteArray m_dispatched;
    bool m_wasDispatched = false;
    int m_chunks = 0;
};
