#pragma once

// The reason a device server gives when it refuses a client ("Port already in use"),
// found in the text it sent just before hanging up. Plain C++.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Longer text is an answer or a banner rather than a reason.
inline constexpr std::size_t kMaxFarewellBytes = 200;

// The bytes as one line of text when they read as a reason: printable ASCII lines
// (CR, LF and tabs allowed between them), at most kMaxFarewellBytes, not blank. Lines are
// trimmed and joined with a blank. Nothing when the bytes hold anything else.
std::optional<std::string> farewellText(std::string_view received);

} // namespace qv
