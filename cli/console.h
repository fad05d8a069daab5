#pragma once

#include <QString>

namespace qv::cli {

// Results: one line on stdout, flushed at once, so a reader (or Ctrl+C) never sees
// half a line.
void printResult(const QString& line);
// Results that are already whole text (a profile, a table), written as they stand.
void printText(const QByteArray& text);
// Errors and diagnostics: one line on stderr, "qv418k-cli: " first.
void printError(const QString& line);
// Progress: like an error line, but only when stderr is a terminal.
void printProgress(const QString& line);

} // namespace qv::cli
