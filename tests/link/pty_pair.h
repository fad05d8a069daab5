#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for the instrument: the link opens the slave by its
// path, the test writes and reads the master. The slave is set raw up front, so bytes
// pass unchanged even before the link has opened it.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterHandle() const { return m_master; }

    // Writes every byte, running the event loop while the terminal's buffer is full so
    // the link can drain it.
    void write(const QByteArray& bytes);
    // What the link has sent and the master has not yet read.
    QByteArray readAvailable();
    // The instrument goes away: the slave side is hung up.
    void closeMaster();

private:
    int m_master = -1;
    QString m_slavePath;
};
