#pragma once

#include "cli_options.h"

namespace qv::cli {

// One function per subcommand; each returns the exit status.
int runPorts(const Invocation& invocation);
int runIdentify(const Invocation& invocation);
int runRead(const Invocation& invocation);
int runDiff(const Invocation& invocation);
int runWrite(const Invocation& invocation);
int runMonitor(const Invocation& invocation);

} // namespace qv::cli
