#pragma once

#include "reply_parser.h"
#include "request_code.h"

#include <string_view>

namespace qv {

// What the settle-timer expiry does with the latest reply for the pending request.
struct DispatchOutcome
{
    Extraction extraction; // targets to fill (empty for a link test or idle)
    RequestCode next;      // the pending request afterwards
    bool clearLatestReply; // only after a completed parameter read
};

DispatchOutcome dispatchReply(RequestCode pending, std::string_view latestReply);

} // namespace qv
