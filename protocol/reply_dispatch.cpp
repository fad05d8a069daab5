#include "reply_dispatch.h"

namespace qv {

DispatchOutcome dispatchReply(RequestCode pending, std::string_view latestReply)
{
    switch (pending) {
    case RequestCode::rcLinkTest:
        // The answer is already on show in the receive view; nothing is taken from it.
        return {{}, RequestCode::rcIdle, false};
    case RequestCode::rcStatusRead:
        // The reply is kept: it stays the latest one until the next chunk replaces it.
        return {extractStatus(latestReply), RequestCode::rcIdle, false};
    case RequestCode::rcParameterRead: {
        // A failed digit leaves the read pending, so the next chunk is parsed again.
        Extraction extraction = extractParameters(latestReply);
        const bool completed = !extraction.error;
        return {std::move(extraction),
                completed ? RequestCode::rcIdle : RequestCode::rcParameterRead, completed};
    }
    case RequestCode::rcIdle:
        break;
    }
    return {{}, pending, false};
}

} // namespace qv
