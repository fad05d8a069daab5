#pragma once

#include "port.h"
#include "unique_fd.h"

#include <cstdint>

namespace qvsim {

// A TCP listener on 127.0.0.1 for programs that open "socket://127.0.0.1:PORT".
// One client at a time: later ones wait in the backlog until the current one leaves.
class TcpPort : public Port
{
public:
    explicit TcpPort(std::uint16_t port); // 0 picks a free port; throws std::system_error
    ~TcpPort() override = default;

    std::string address() const override;
    int pollFd() const override;
    PortInput receive() override;
    std::size_t send(std::string_view bytes) override;
    void drop() override;

private:
    UniqueFd m_listener;
    UniqueFd m_client;
    std::uint16_t m_port = 0;
};

} // namespace qvsim
