#include "frame_splitter.h"

#include "instrument_protocol.h"

#include <algorithm>
#include <utility>

namespace qvsim {
namespace {

// Longer bodies than this are no frame of the vocabulary; waiting for their end mark
// would only let a lost '#' stall every later frame.
constexpr std::size_t kMaxBodyLength = 128;

static_assert(kQueryHeader.size() == kWriteHeader.size());

std::string_view headerOf(Frame::Family family)
{
    return family == Frame::Family::Query ? kQueryHeader : kWriteHeader;
}

// Start of the earliest header in the text, with its family.
std::optional<std::pair<std::size_t, Frame::Family>> findHeader(std::string_view text)
{
    const std::size_t query = text.find(kQueryHeader);
    const std::size_t write = text.find(kWriteHeader);
    if (query == std::string_view::npos && write == std::string_view::npos) {
        return std::nullopt;
    }
    return query < write ? std::pair{query, Frame::Family::Query}
                         : std::pair{write, Frame::Family::Write};
}

// True when the body ends with a header without its '#', i.e. the '#' just found
// belongs to a new frame and the current one lost its end.
bool endsWithNewHeader(std::string_view body)
{
    for (std::string_view header : {kQueryHeader, kWriteHeader}) {
        if (body.ends_with(header.substr(0, header.size() - 1))) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string Frame::text() const
{
    return std::string(headerOf(family)) + body + kFrameEnd;
}

void FrameSplitter::feed(std::string_view bytes)
{
    m_buffer.append(bytes);
}

std::optional<Frame> FrameSplitter::next()
{
    for (;;) {
        const auto header = findHeader(m_buffer);
        if (!header) {
            keepOnlyPossibleHeaderStart();
            return std::nullopt;
        }
        discard(header->first);
        const std::size_t bodyStart = headerOf(header->second).size();
        const std::size_t end = m_buffer.find(kFrameEnd, bodyStart);
        if (end == std::string::npos) {
            if (m_buffer.size() - bodyStart <= kMaxBodyLength) {
                return std::nullopt;
            }
            discard(bodyStart); // a header whose end never came: look past it
            continue;
        }
        const std::string_view body = std::string_view(m_buffer).substr(bodyStart, end - bodyStart);
        if (endsWithNewHeader(body)) {
            discard(end + 1 - kQueryHeader.size()); // resume at the new header
            continue;
        }
        Frame frame{header->second, std::string(body)};
        m_buffer.erase(0, end + 1);
        return frame;
    }
}

std::string FrameSplitter::takeDiscarded()
{
    return std::exchange(m_discarded, {});
}

void FrameSplitter::reset()
{
    m_buffer.clear();
    m_discarded.clear();
}

void FrameSplitter::discard(std::size_t count)
{
    m_discarded.append(m_buffer, 0, count);
    m_buffer.erase(0, count);
}

void FrameSplitter::keepOnlyPossibleHeaderStart()
{
    // The longest tail that a later byte could complete into a header.
    std::size_t keep = std::min(m_buffer.size(), kQueryHeader.size() - 1);
    for (; keep > 0; --keep) {
        const std::string_view tail = std::string_view(m_buffer).substr(m_buffer.size() - keep);
        if (kQueryHeader.starts_with(tail) || kWriteHeader.starts_with(tail)) {
            break;
        }
    }
    discard(m_buffer.size() - keep);
}

} // namespace qvsim
