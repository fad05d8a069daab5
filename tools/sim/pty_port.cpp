#include "pty_port.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace qvsim {
namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Raw, at the instrument's own 9600 8N1 until the program sets the line.
void makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        fail("tcgetattr");
    }
    cfmakeraw(&settings);
    cfsetspeed(&settings, B9600);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    settings.c_cflag |= CS8;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        fail("tcsetattr");
    }
}

void setFlags(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        fail("fcntl");
    }
}

std::optional<std::string> linkTarget(const std::string& path)
{
    std::array<char, 4096> target{};
    const ssize_t length = readlink(path.c_str(), target.data(), target.size() - 1);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(target.data(), static_cast<std::size_t>(length));
}

} // namespace

PtyPort::PtyPort(std::optional<std::string> linkPath) : m_linkPath(std::move(linkPath))
{
    // Never replace something that is not a symbolic link.
    struct stat status
    {
    };
    if (m_linkPath && lstat(m_linkPath->c_str(), &status) == 0 && !S_ISLNK(status.st_mode)) {
        errno = EEXIST;
        fail(*m_linkPath + " exists and is not a symbolic link");
    }
    create();
}

PtyPort::~PtyPort()
{
    removeLink();
}

void PtyPort::create()
{
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        fail("openpty");
    }
    m_master.reset(master);
    m_slave.reset(slave);
    makeRaw(slave);
    setFlags(master);
    setFlags(slave);
    const char* name = ttyname(slave);
    if (name == nullptr) {
        fail("ttyname");
    }
    m_slavePath = name;
    updateLink();
}

PortInput PtyPort::receive()
{
    PortInput input;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = read(m_master.get(), buffer.data(), buffer.size());
        if (count <= 0) {
            return input; // drained (EAGAIN), or EIO while nobody holds the slave
        }
        input.bytes.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

std::size_t PtyPort::send(std::string_view bytes)
{
    const ssize_t count = write(m_master.get(), bytes.data(), bytes.size());
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void PtyPort::drop()
{
    // With the master gone the program's open slave reads EIO and reports the
    // device lost; the new pair gets a new slave path.
    m_master.reset();
    m_slave.reset();
    create();
}

// Master and slave of a pseudo-terminal share one set of attributes, so the master
// sees what the program set on its end.
std::optional<LineSettings> PtyPort::lineSettings() const
{
    termios attributes{};
    if (tcgetattr(m_master.get(), &attributes) != 0) {
        return std::nullopt;
    }
    return lineSettingsOf(attributes);
}

void PtyPort::updateLink() const
{
    if (!m_linkPath) {
        return;
    }
    // Build the new link beside the old one and rename it over, so the path never
    // goes missing while a program looks it up.
    const std::string temporary = *m_linkPath + ".new-" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(m_slavePath.c_str(), temporary.c_str()) != 0) {
        fail("symlink " + temporary);
    }
    if (rename(temporary.c_str(), m_linkPath->c_str()) != 0) {
        fail("rename " + temporary);
    }
}

void PtyPort::removeLink() const
{
    if (m_linkPath && linkTarget(*m_linkPath) == m_slavePath) {
        unlink(m_linkPath->c_str());
    }
}

} // namespace qvsim
