#pragma once

#include <QObject>

class QSocketNotifier;

namespace qv::cli {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop, so Ctrl+C ends a command
// between two of its steps instead of in the middle of one. One instance at a time.
class InterruptNotifier : public QObject
{
    Q_OBJECT
public:
    explicit InterruptNotifier(QObject* parent = nullptr);
    ~InterruptNotifier() override;

    bool isInterrupted() const { return m_interrupted; }

signals:
    void interrupted();

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
    bool m_interrupted = false;
};

} // namespace qv::cli
