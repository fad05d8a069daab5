#pragma once

#include "link_constants.h"

#include <QByteArray>

namespace qv {

// Appends a chunk to the reply and then drops the oldest bytes beyond `limit`, so an
// instrument that never pauses cannot grow the reply without end.
void appendWithinLimit(QByteArray& reply, const QByteArray& chunk,
                       qsizetype limit = kLatestReplyLimit);

} // namespace qv
