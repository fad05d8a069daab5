#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The built qv418k-sim as a child process: its line's address read from stdout, its
// control commands written to stdin, one reply line awaited for each.
class SimProcess : public QObject
{
    Q_OBJECT
public:
    explicit SimProcess(const QStringList& arguments, QObject* parent = nullptr);
    ~SimProcess() override;

    // True once the simulator has announced its first address.
    bool isReady() const { return m_addressCount > 0; }
    // The address it announced last (a new one after every drop), and how many so far.
    QString address() const { return m_address; }
    int addressCount() const { return m_addressCount; }

    // Sends one control line and returns the simulator's reply, without the
    // "qv418k-sim: " prefix; empty when none came in time.
    QString control(const QString& command);
    // The settings and readings `show` lists, key by key.
    QMap<QString, QString> show();

private:
    void readLines();

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_replies;
    QString m_address;
    int m_addressCount = 0;
};
