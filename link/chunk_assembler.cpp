#include "chunk_assembler.h"

#include "link_constants.h"

#include <QTimer>

namespace qv {

ChunkAssembler::ChunkAssembler(QObject* parent) : QObject(parent), m_gapTimer(new QTimer(this))
{
    m_gapTimer->setSingleShot(true);
    m_gapTimer->setTimerType(Qt::PreciseTimer);
    m_gapTimer->setInterval(kChunkGap);
    connect(m_gapTimer, &QTimer::timeout, this, &ChunkAssembler::flush);
}

void ChunkAssembler::append(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    m_collected += bytes;
    // A receiver may discard() from within chunkReady, so the size is checked afresh.
    while (m_collected.size() >= kMaxChunkSize) {
        const QByteArray chunk = m_collected.first(kMaxChunkSize);
        m_collected.remove(0, kMaxChunkSize);
        emit chunkReady(chunk);
    }
    if (m_collected.isEmpty())
        m_gapTimer->stop();
    else
        m_gapTimer->start();
}

void ChunkAssembler::flush()
{
    m_gapTimer->stop();
    if (m_collected.isEmpty())
        return;
    const QByteArray chunk = m_collected;
    m_collected.clear();
    emit chunkReady(chunk);
}

void ChunkAssembler::discard()
{
    m_gapTimer->stop();
    m_collected.clear();
}

} // namespace qv
