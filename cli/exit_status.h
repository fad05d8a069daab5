#pragma once

namespace qv::cli {

// The program's exit statuses; stable, documented in --help and the manual page.
enum class ExitStatus : int {
    Done = 0,
    Differs = 1,       // the instrument's settings differ from the profile
    UsageError = 2,    // bad arguments or a profile that cannot be sent; nothing was sent
    PortError = 3,     // the port could not be opened, or was lost
    NoAnswer = 4,      // no complete answer within the time-out
    Interrupted = 130, // Ctrl+C during a write (128 + SIGINT, as shells report it)
};

inline int exitCode(ExitStatus status)
{
    return static_cast<int>(status);
}

} // namespace qv::cli
