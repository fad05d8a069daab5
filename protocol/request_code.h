#pragma once

namespace qv {

// What the next expiry of the settle timer does with the latest reply.
enum class RequestCode : int {
    rcIdle = 0,            // nothing awaited
    rcLinkTest = 100,      // communication test
    rcParameterRead = 101, // parameter answer
    rcStatusRead = 999,    // real-time or output-value answer
};

} // namespace qv
