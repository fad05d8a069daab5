#pragma once

#include <QByteArray>
#include <QObject>

class QTimer;

namespace qv {

// Cuts the received byte stream into chunks: a chunk ends when no new byte has come for
// the chunk gap, or as soon as the maximum chunk size is collected (the rest starts the
// next chunk). Every byte is delivered, in order, NUL bytes included.
class ChunkAssembler : public QObject
{
    Q_OBJECT
public:
    explicit ChunkAssembler(QObject* parent = nullptr);

    void append(const QByteArray& bytes);
    // Delivers what has been collected now, as a chunk of its own.
    void flush();
    // Drops what has been collected.
    void discard();

signals:
    void chunkReady(const QByteArray& chunk);

private:
    QByteArray m_collected;
    QTimer* m_gapTimer;
};

} // namespace qv
