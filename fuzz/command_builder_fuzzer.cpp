// Frames composed from arbitrary field texts: every command either refuses its fields
// with the operator's message, or gives a frame of printable ASCII whose delimiters and
// separators are exactly those of its layout, so no field can inject one.

#include "command_builder.h"
#include "fuzz_check.h"
#include "int_conversion.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qv::Command;
using qv::FieldSnapshot;

// How a field's text reaches the frame.
enum class Conversion { ListIndex, ZeroPadded, RawText };

struct Slot
{
    Conversion conversion;
    std::string text; // the field's text, or the list index written out
};

// Each command's frame layout written out once more, independently of the builder.
struct Layout
{
    Command command;
    std::string_view head; // everything before the first field (the whole frame of a query)
    std::vector<Slot> slots;
};

std::vector<Layout> layouts(const FieldSnapshot& f)
{
    using enum Conversion;
    const auto index = [](int value) { return Slot{ListIndex, std::to_string(value)}; };
    return {
        {Command::LinkTest, "PPPPPP#VAR#", {}},
        {Command::ParameterRead, "PPPPPP#CHEACK1#", {}},
        {Command::RealTimeData, "PPPPPP#STATUS#", {}},
        {Command::OutputValue, "PPPPPP#AA#", {}},
        {Command::WriteAddress, "TARVEN#ST:", {{ZeroPadded, f.station}}},
        {Command::WriteRs485, "TARVEN#MR485B:", {index(f.baudIndex), index(f.parityIndex)}},
        {Command::WriteOutput,
         "TARVEN#DAV:",
         {index(f.outputVariableIndex), {RawText, f.davl}, {RawText, f.davh}}},
        {Command::WriteAd1Range,
         "TARVEN#AD01:",
         {{RawText, f.ad1h}, {RawText, f.ad1l}, {RawText, f.ad1ld}}},
        {Command::WriteAd2Range,
         "TARVEN#AD02:",
         {{RawText, f.ad2h}, {RawText, f.ad2l}, {RawText, f.ad2ld}}},
        {Command::WriteFineTuning1, "TARVEN#PZ1:", {{ZeroPadded, f.edit1}}},
        {Command::WriteFineTuning2, "TARVEN#PZ2:", {{ZeroPadded, f.edit2}}},
    };
}

bool printable(char c)
{
    return c >= 0x20 && c <= 0x7E;
}

// The operator's message for the first slot that cannot be sent, in frame order.
std::optional<std::string> expectedRefusal(const Layout& layout)
{
    for (const Slot& slot : layout.slots) {
        if (slot.conversion == Conversion::ZeroPadded && !qv::parseInteger(slot.text)) {
            return "'" + slot.text + "' is not a valid integer value";
        }
        const bool unsafe = std::any_of(slot.text.begin(), slot.text.end(), [](char c) {
            return !printable(c) || c == '#' || c == ',';
        });
        if (slot.conversion == Conversion::RawText && unsafe) {
            return "'" + slot.text + "' cannot be sent to the instrument";
        }
    }
    return std::nullopt;
}

std::vector<std::string> splitAtCommas(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t comma = text.find(','); comma != std::string_view::npos;
         comma = text.find(',', from)) {
        parts.emplace_back(text.substr(from, comma - from));
        from = comma + 1;
    }
    parts.emplace_back(text.substr(from));
    return parts;
}

// Each slot of a sent frame carries its field: raw text verbatim, numbers by value.
void checkSlots(std::string_view frame, const Layout& layout)
{
    const std::string_view body =
        frame.substr(layout.head.size(), frame.size() - layout.head.size() - 1);
    const std::vector<std::string> sent = splitAtCommas(body);
    FUZZ_CHECK(sent.size() == layout.slots.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const Slot& slot = layout.slots[i];
        if (slot.conversion == Conversion::RawText) {
            FUZZ_CHECK(sent[i] == slot.text);
        } else {
            FUZZ_CHECK(qv::parseInteger(sent[i]) == qv::parseInteger(slot.text));
        }
    }
}

void checkFrame(const qv::CommandFrame& frame, const Layout& layout)
{
    const std::string& bytes = frame.bytes;
    const bool query = layout.slots.empty();
    FUZZ_CHECK(std::all_of(bytes.begin(), bytes.end(), printable));
    FUZZ_CHECK(bytes.starts_with(query ? "PPPPPP#" : "TARVEN#"));
    FUZZ_CHECK(bytes.starts_with(layout.head));
    FUZZ_CHECK(bytes.ends_with('#'));
    FUZZ_CHECK(std::count(bytes.begin(), bytes.end(), '#') == 2);
    const std::size_t separators = query ? 0 : layout.slots.size() - 1;
    FUZZ_CHECK(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), ',')) == separators);

    FUZZ_CHECK(frame.requestCode.has_value() == query);
    FUZZ_CHECK(frame.showInSendView == (layout.command != Command::WriteRs485));
    if (query) {
        FUZZ_CHECK(bytes == layout.head);
    } else {
        checkSlots(bytes, layout);
    }
}

FieldSnapshot snapshotFrom(FuzzedDataProvider& input)
{
    FieldSnapshot f;
    // Indices from the end of the input (one signed byte each, so -1 and indices without
    // an item occur), texts from the front.
    f.baudIndex = input.ConsumeIntegral<std::int8_t>();
    f.parityIndex = input.ConsumeIntegral<std::int8_t>();
    f.outputVariableIndex = input.ConsumeIntegral<std::int8_t>();
    for (std::string* text : {&f.station, &f.davl, &f.davh, &f.ad1h, &f.ad1l, &f.ad1ld, &f.ad2h,
                              &f.ad2l, &f.ad2ld, &f.edit1, &f.edit2}) {
        *text = input.ConsumeRandomLengthString();
    }
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const FieldSnapshot fields = snapshotFrom(input);

    for (const Layout& layout : layouts(fields)) {
        const std::optional<std::string> refusal = expectedRefusal(layout);
        try {
            const qv::CommandFrame frame = qv::buildCommand(layout.command, fields);
            FUZZ_CHECK(!refusal);
            checkFrame(frame, layout);
        } catch (const qv::OperatorError& error) {
            // what() is a C string: a NUL in a field ends the message there.
            FUZZ_CHECK(refusal);
            FUZZ_CHECK(std::string_view(error.what()) == refusal->substr(0, refusal->find('\0')));
        }
    }
    return 0;
}
