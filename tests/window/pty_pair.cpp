#include "pty_pair.h"

#include <QDeadlineTimer>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
        m_master = -1;
        return;
    }
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    // The program opens its own descriptor by path; ours is not needed.
    ::close(slave);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

QByteArray PtyPair::takeReceived()
{
    QByteArray received;
    char buffer[512];
    while (m_master >= 0) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count <= 0)
            break;
        received.append(buffer, count);
    }
    return received;
}

QByteArray PtyPair::receive(qsizetype expected, int timeoutMs)
{
    QByteArray received = takeReceived();
    const QDeadlineTimer deadline(timeoutMs);
    while (received.size() < expected && !deadline.hasExpired()) {
        QTest::qWait(10);
        received += takeReceived();
    }
    return received;
}

bool PtyPair::write(const QByteArray& bytes)
{
    qsizetype written = 0;
    while (m_master >= 0 && written < bytes.size()) {
        const ssize_t count =
            ::write(m_master, bytes.constData() + written, bytes.size() - written);
        if (count < 0 && errno != EAGAIN)
            return false;
        written += count > 0 ? count : 0;
    }
    return written == bytes.size();
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
