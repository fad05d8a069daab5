#include "latest_reply.h"

namespace qv {

void appendWithinLimit(QByteArray& reply, const QByteArray& chunk, qsizetype limit)
{
    reply += chunk;
    if (reply.size() > limit)
        reply.remove(0, reply.size() - limit);
}

} // namespace qv
