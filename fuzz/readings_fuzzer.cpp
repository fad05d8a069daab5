// Live readings from arbitrary answer bytes: taking a reading never crashes; a reading's
// numbers are finite or NaN; and its CSV row, read back as RFC 4180 says, gives exactly
// the five fields it was made of, whatever bytes the values hold.

#include "fuzz_check.h"
#include "reading.h"
#include "readings_csv.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One CSV line (without its line end) split into fields, quotes undone.
std::vector<std::string> splitRow(std::string_view row)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted) {
            if (c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    FUZZ_CHECK(!quoted);
    return fields;
}

void checkNumber(double value)
{
    FUZZ_CHECK(std::isnan(value) || std::isfinite(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const auto time = std::chrono::system_clock::time_point(std::chrono::milliseconds(size * 997));
    const auto reading = qv::readingFromStatusAnswer(answer, time);
    checkNumber(qv::readingNumber(answer));
    if (!reading)
        return 0;
    checkNumber(reading->utodvValue());
    checkNumber(reading->ad01Value());
    checkNumber(reading->ad02Value());

    const std::string row = qv::readingsCsvRow(*reading);
    FUZZ_CHECK(!row.empty() && row.back() == '\n');
    const std::vector<std::string> fields = splitRow(std::string_view(row).substr(0, row.size() - 1));
    FUZZ_CHECK(fields.size() == 5);
    FUZZ_CHECK(fields[1] == reading->address);
    FUZZ_CHECK(fields[2] == reading->utodv);
    FUZZ_CHECK(fields[3] == reading->ad01);
    FUZZ_CHECK(fields[4] == reading->ad02);
    return 0;
}
