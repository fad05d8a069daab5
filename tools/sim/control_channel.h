#pragma once

#include "unique_fd.h"

#include <poll.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvsim {

// A line of the control channel and where its reply goes besides stdout.
struct ControlLine
{
    std::string text;
    int replyFd = -1; // the socket client that sent it; -1 for stdin
};

// Reads control lines from stdin and, when a path is given, from clients of a unix
// stream socket there (several at a time; the socket file is removed at the end).
// End of stdin only stops reading it: the simulator may run with stdin from /dev/null.
class ControlChannel
{
public:
    explicit ControlChannel(std::optional<std::string> socketPath); // throws std::system_error
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    void addPollFds(std::vector<pollfd>& fds) const;

    // Complete lines from every source `fds` reports ready.
    std::vector<ControlLine> collect(const std::vector<pollfd>& fds);

    // Sends a reply line to the socket client that asked (stdin's replies go to stdout only).
    void reply(const ControlLine& line, std::string_view text);

private:
    struct Client
    {
        UniqueFd fd;
        std::string pending;
        bool ended = false; // closed by the peer; kept until its last replies are out
    };

    void acceptClient();
    // Moves complete lines out of `pending`; at the end of input a last unterminated
    // line counts too.
    static void takeLines(std::string& pending, bool ended, int replyFd,
                          std::vector<ControlLine>& lines);

    bool m_stdinOpen = true;
    std::string m_stdinPending;
    std::optional<std::string> m_socketPath;
    UniqueFd m_listener;
    std::vector<Client> m_clients;
};

} // namespace qvsim
