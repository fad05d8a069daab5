#pragma once

#include "port.h"
#include "unique_fd.h"

#include <optional>
#include <string>

namespace qvsim {

// A pseudo-terminal whose slave side the program opens as its serial port. The
// simulator keeps a slave descriptor of its own open, so the master never reads EIO
// while the program closes and reopens the port. With a link path, a symbolic link
// there always points at the current slave, and is removed at the end.
class PtyPort : public Port
{
public:
    explicit PtyPort(std::optional<std::string> linkPath); // throws std::system_error
    ~PtyPort() override;

    std::string address() const override { return m_slavePath; }
    int pollFd() const override { return m_master.get(); }
    PortInput receive() override;
    std::size_t send(std::string_view bytes) override;
    void drop() override;
    std::optional<LineSettings> lineSettings() const override;

private:
    void create();
    void updateLink() const;
    void removeLink() const;

    std::optional<std::string> m_linkPath;
    UniqueFd m_master;
    UniqueFd m_slave;
    std::string m_slavePath;
};

} // namespace qvsim
