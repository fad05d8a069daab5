#include "console.h"

#include <cstdio>

namespace qvsim {
namespace {

void printLine(std::FILE* stream, std::string_view text)
{
    std::string line(kLinePrefix);
    line += text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

} // namespace

void announce(std::string_view text)
{
    printLine(stdout, text);
}

void complain(std::string_view text)
{
    printLine(stderr, text);
}

std::string quoted(std::string_view bytes)
{
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\0') {
            text += "\\0";
        } else if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

} // namespace qvsim
