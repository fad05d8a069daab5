#include "tcp_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace qvsim {
namespace {

[[noreturn]] void fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

TcpPort::TcpPort(std::uint16_t port)
    : m_listener(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
{
    if (!m_listener.valid()) {
        fail("socket");
    }
    const int yes = 1;
    setsockopt(m_listener.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        fail("bind");
    }
    if (listen(m_listener.get(), 4) != 0) {
        fail("listen");
    }
    socklen_t length = sizeof address;
    if (getsockname(m_listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        fail("getsockname");
    }
    m_port = ntohs(address.sin_port);
}

std::string TcpPort::address() const
{
    return "socket://127.0.0.1:" + std::to_string(m_port);
}

int TcpPort::pollFd() const
{
    return m_client.valid() ? m_client.get() : m_listener.get();
}

PortInput TcpPort::receive()
{
    if (!m_client.valid()) {
        m_client.reset(accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!m_client.valid()) {
            return {};
        }
        // Small pieces must leave at once, as on a serial line.
        const int yes = 1;
        setsockopt(m_client.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        return {{}, PortInput::Event::Connected};
    }
    PortInput input;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = recv(m_client.get(), buffer.data(), buffer.size(), 0);
        if (count > 0) {
            input.bytes.append(buffer.data(), static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return input;
        }
        m_client.reset(); // orderly close or connection error
        input.event = PortInput::Event::Disconnected;
        return input;
    }
}

std::size_t TcpPort::send(std::string_view bytes)
{
    if (!m_client.valid()) {
        return bytes.size(); // nobody on the line: the bytes are lost
    }
    const ssize_t count = ::send(m_client.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        return bytes.size(); // the client is gone; receive() will notice and report it
    }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void TcpPort::drop()
{
    m_client.reset();
}

} // namespace qvsim
