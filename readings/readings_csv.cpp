#include "readings_csv.h"

#include <cstdio>
#include <ctime>

namespace qv {

namespace {

constexpr char kLineEnd = '\n';

std::string utcTime(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto sinceEpoch = time.time_since_epoch();
    auto seconds = duration_cast<std::chrono::seconds>(sinceEpoch);
    auto millis = duration_cast<milliseconds>(sinceEpoch - seconds).count();
    if (millis < 0) { // before 1970: the fraction still counts forward from its second
        seconds -= std::chrono::seconds(1);
        millis += 1000;
    }
    const std::time_t whole = std::time_t(seconds.count());
    std::tm parts{};
    gmtime_r(&whole, &parts);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", int(millis));
    return text;
}

// A field as RFC 4180 has it: quoted, with its quotes doubled, when it holds a comma,
// a quote or a line break.
std::string field(const std::string& value)
{
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

std::string readingsCsvHeader()
{
    return std::string("time,address,UTODV,AD01,AD02") + kLineEnd;
}

std::string readingsCsvRow(const Reading& reading)
{
    return utcTime(reading.time) + ',' + field(reading.address) + ',' + field(reading.utodv) + ',' +
           field(reading.ad01) + ',' + field(reading.ad02) + kLineEnd;
}

} // namespace qv
