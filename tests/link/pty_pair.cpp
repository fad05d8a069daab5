#include "pty_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    ::close(slave);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    QElapsedTimer stuck;
    stuck.start();
    while (done < bytes.size() && stuck.elapsed() < 10000) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            stuck.restart();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        QCoreApplication::processEvents();
        QThread::usleep(500);
    }
}

QByteArray PtyPair::readAvailable()
{
    QByteArray received;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
        received.append(buffer, n);
    return received;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
