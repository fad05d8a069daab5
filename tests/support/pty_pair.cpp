#include "pty_pair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    termios raw{};
    cfmakeraw(&raw);
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, &raw, nullptr) != 0) {
        m_master = -1;
        return;
    }
    // The program opens its own descriptor by path; ours is not needed.
    ::close(slave);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

bool PtyPair::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    QElapsedTimer stuck;
    stuck.start();
    while (m_master >= 0 && done < bytes.size() && stuck.elapsed() < 10000) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            stuck.restart();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        QCoreApplication::processEvents();
        QThread::usleep(500);
    }
    return done == bytes.size();
}

QByteArray PtyPair::takeReceived()
{
    QByteArray received;
    char buffer[4096];
    ssize_t n = 0;
    while (m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0)
        received.append(buffer, n);
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

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
