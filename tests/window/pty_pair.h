#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for the instrument: the program opens the slave side
// by its path like any serial device, the test reads and writes the master side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // What the program has sent since the last call, without waiting.
    QByteArray takeReceived();
    // Keeps reading (and running the event loop) until `expected` bytes have arrived or
    // the time is up; returns everything received.
    QByteArray receive(qsizetype expected, int timeoutMs = 2000);
    // Answers as the instrument would.
    bool write(const QByteArray& bytes);
    // Hangs up, as when the cable or adapter goes away.
    void closeMaster();

private:
    int m_master = -1;
    QString m_slavePath;
};
