#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for the instrument: the program opens the slave by its
// path like any serial device, the test reads and writes the master. The slave is set
// raw up front, so bytes pass unchanged even before the program has opened it.
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

    // Answers as the instrument would: writes every byte, running the event loop while
    // the terminal's buffer is full so the program can drain it. False when the bytes
    // could not all be written.
    bool write(const QByteArray& bytes);
    // What the program has sent and the master has not yet read, without waiting.
    QByteArray takeReceived();
    // Keeps reading (and running the event loop) until `expected` bytes have arrived or
    // the time is up; returns everything received.
    QByteArray receive(qsizetype expected, int timeoutMs = 2000);
    // The instrument goes away: the slave side is hung up.
    void closeMaster();

private:
    int m_master = -1;
    QString m_slavePath;
};
