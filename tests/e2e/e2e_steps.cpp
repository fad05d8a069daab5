#include "e2e_steps.h"

#include "sim_process.h"
#include "window_operator.h"

#include <QTest>

QString parameterAnswerView(const QMap<QString, QString>& c)
{
    return QStringLiteral("STQ:%1\nMR485B:%2,%3\nDAV:%4,%5,%6\nPA1:%7\nPA2:%8\n"
                          "AD01:%9,%10,%11\nAD02:%12,%13,%14\n")
        .arg(c["address"], c["baud"], c["parity"], c["variable"], c["ma4"], c["ma20"], c["pz1"],
             c["pz2"], c["ad1urv"])
        .arg(c["ad1lrv"], c["ad1start"], c["ad2urv"], c["ad2lrv"], c["ad2start"]);
}

bool applyAll(SimProcess& sim, const QStringList& commands)
{
    for (const QString& command : commands) {
        if (!sim.apply(command)) {
            qWarning("simulator refused '%s'", qPrintable(command));
            return false;
        }
    }
    return true;
}

bool readParametersMatchesInstrument(WindowOperator& op, SimProcess& sim)
{
    const QMap<QString, QString> config = sim.config();
    op.click("Button32");
    const auto matches = [&] {
        return op.shown("Memo8") == parameterAnswerView(config) &&
               parameterLine(op.parameters()) == parameterLine(config) &&
               op.window().link().requestCode() == qv::RequestCode::rcIdle;
    };
    if (QTest::qWaitFor(matches, kAnswerTimeoutMs))
        return true;
    qWarning("after Read Parameters\n  instrument %s\n  window     %s\n  receive view '%s'",
             qPrintable(parameterLine(config)), qPrintable(parameterLine(op.parameters())),
             qPrintable(op.shown("Memo8")));
    return false;
}
