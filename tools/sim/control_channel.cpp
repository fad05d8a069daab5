#include "control_channel.h"

#include "console.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace qvsim {
namespace {

constexpr short kReadable = POLLIN | POLLHUP | POLLERR;

short readyEvents(const std::vector<pollfd>& fds, int fd)
{
    for (const pollfd& entry : fds) {
        if (entry.fd == fd) {
            return entry.revents;
        }
    }
    return 0;
}

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Reads what is there; false at end of input or on an error.
bool readInto(int fd, std::string& pending)
{
    std::array<char, 1024> buffer{};
    const ssize_t count = read(fd, buffer.data(), buffer.size());
    if (count > 0) {
        pending.append(buffer.data(), static_cast<std::size_t>(count));
        return true;
    }
    return count < 0 && (errno == EAGAIN || errno == EINTR);
}

} // namespace

ControlChannel::ControlChannel(std::optional<std::string> socketPath)
    : m_socketPath(std::move(socketPath))
{
    if (!m_socketPath) {
        return;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_socketPath->size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        fail(*m_socketPath);
    }
    std::strcpy(address.sun_path, m_socketPath->c_str());
    // A socket left behind by an earlier run is replaced; anything else is kept.
    struct stat status
    {
    };
    if (lstat(m_socketPath->c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
        unlink(m_socketPath->c_str());
    }
    m_listener.reset(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!m_listener.valid() ||
        bind(m_listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener.get(), 4) != 0) {
        const std::string path = *m_socketPath;
        m_socketPath.reset(); // not ours: leave it alone
        fail("control socket " + path);
    }
}

ControlChannel::~ControlChannel()
{
    if (m_socketPath) {
        unlink(m_socketPath->c_str());
    }
}

void ControlChannel::addPollFds(std::vector<pollfd>& fds) const
{
    if (m_stdinOpen) {
        fds.push_back({STDIN_FILENO, POLLIN, 0});
    }
    if (m_listener.valid()) {
        fds.push_back({m_listener.get(), POLLIN, 0});
    }
    for (const Client& client : m_clients) {
        if (!client.ended) {
            fds.push_back({client.fd.get(), POLLIN, 0});
        }
    }
}

std::vector<ControlLine> ControlChannel::collect(const std::vector<pollfd>& fds)
{
    std::erase_if(m_clients, [](const Client& client) { return client.ended; });
    std::vector<ControlLine> lines;
    if (m_stdinOpen && (readyEvents(fds, STDIN_FILENO) & kReadable) != 0) {
        m_stdinOpen = readInto(STDIN_FILENO, m_stdinPending);
        takeLines(m_stdinPending, !m_stdinOpen, -1, lines);
    }
    for (Client& client : m_clients) {
        if ((readyEvents(fds, client.fd.get()) & kReadable) != 0) {
            client.ended = !readInto(client.fd.get(), client.pending);
            takeLines(client.pending, client.ended, client.fd.get(), lines);
        }
    }
    if (m_listener.valid() && (readyEvents(fds, m_listener.get()) & POLLIN) != 0) {
        acceptClient();
    }
    return lines;
}

void ControlChannel::reply(const ControlLine& line, std::string_view text)
{
    if (line.replyFd < 0) {
        return;
    }
    const std::string message = std::string(kLinePrefix) + std::string(text) + "\n";
    // A reply is short; a client that does not read its replies loses them.
    [[maybe_unused]] const ssize_t sent =
        ::send(line.replyFd, message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void ControlChannel::acceptClient()
{
    UniqueFd client(accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (client.valid()) {
        m_clients.push_back(Client{std::move(client), {}});
    }
}

void ControlChannel::takeLines(std::string& pending, bool ended, int replyFd,
                               std::vector<ControlLine>& lines)
{
    for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        lines.push_back(ControlLine{pending.substr(0, end), replyFd});
        pending.erase(0, end + 1);
    }
    if (ended && !pending.empty()) {
        lines.push_back(ControlLine{std::exchange(pending, {}), replyFd});
    }
}

} // namespace qvsim
