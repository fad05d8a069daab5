#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qvsim {

struct Options
{
    std::optional<std::string> linkPath;    // --link PATH
    std::optional<std::uint16_t> tcpPort;   // --tcp PORT
    std::optional<std::string> controlPath; // --control PATH
    std::uint32_t seed = 1;                 // --seed N
    std::optional<int> splitMs;             // --split-ms N: every answer split
    bool verbose = false;                   // --verbose
    bool help = false;                      // --help
};

struct UsageError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// The command line without the program name. Throws UsageError.
Options parseOptions(std::span<const std::string_view> arguments);

std::string usage();

} // namespace qvsim
