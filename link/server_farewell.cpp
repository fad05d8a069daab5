#include "server_farewell.h"

namespace qv {

namespace {

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

bool isTextByte(char c)
{
    return (c >= 0x20 && c <= 0x7E) || c == '\t' || isLineBreak(c);
}

std::string_view trimmed(std::string_view text)
{
    const std::string_view blanks = " \t";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::optional<std::string> farewellText(std::string_view received)
{
    if (received.size() > kMaxFarewellBytes)
        return std::nullopt;
    for (const char c : received) {
        if (!isTextByte(c))
            return std::nullopt;
    }
    std::string text;
    while (!received.empty()) {
        std::size_t end = 0;
        while (end < received.size() && !isLineBreak(received[end]))
            ++end;
        const std::string_view line = trimmed(received.substr(0, end));
        if (!line.empty())
            text += (text.empty() ? "" : " ") + std::string(line);
        received.remove_prefix(end < received.size() ? end + 1 : end);
    }
    if (text.empty())
        return std::nullopt;
    return text;
}

} // namespace qv
