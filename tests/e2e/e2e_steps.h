#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class SimProcess;
class WindowOperator;

// Steps the end-to-end tests share, each as an operator and the instrument would take it.

// Generous: an answer takes 100-300 ms on the line, plus the chunk gap and the settle time.
inline constexpr int kAnswerTimeoutMs = 5000;

// The parameter answer to a configuration (as `show` prints it) in the receive view.
QString parameterAnswerView(const QMap<QString, QString>& config);

// Sends each control command to the simulator; false (with a warning) at the first refused.
bool applyAll(SimProcess& sim, const QStringList& commands);

// Presses "Read Parameters" and waits until the receive view shows the instrument's answer,
// every field holds the instrument's setting and nothing is pending; warns with both sides
// when that does not happen in time.
bool readParametersMatchesInstrument(WindowOperator& op, SimProcess& sim);
