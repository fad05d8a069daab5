#include "command_builder.h"

#include "int_conversion.h"

#include <initializer_list>
#include <string_view>

namespace qv {

namespace {

// Frame vocabulary. Queries are "PPPPPP#<keyword>#"; writes are
// "TARVEN#<tag>:<field>,<field>...#".
constexpr std::string_view kQueryPrefix = "PPPPPP";
constexpr std::string_view kWritePrefix = "TARVEN";
constexpr char kDelimiter = '#';
constexpr char kTagEnd = ':';
constexpr char kFieldSeparator = ',';

constexpr std::string_view kLinkTestKeyword = "VAR";
constexpr std::string_view kParameterReadKeyword = "CHEACK1";
constexpr std::string_view kRealTimeDataKeyword = "STATUS";
constexpr std::string_view kOutputValueKeyword = "AA";

constexpr std::string_view kAddressTag = "ST";
constexpr std::string_view kRs485Tag = "MR485B";
constexpr std::string_view kOutputTag = "DAV";
constexpr std::string_view kAd1RangeTag = "AD01";
constexpr std::string_view kAd2RangeTag = "AD02";
constexpr std::string_view kFineTuning1Tag = "PZ1";
constexpr std::string_view kFineTuning2Tag = "PZ2";

// The instrument reads frames as printable ASCII split at "#" and ",".
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;

CommandFrame queryFrame(std::string_view keyword, RequestCode requestCode)
{
    std::string bytes;
    bytes.append(kQueryPrefix).append(1, kDelimiter).append(keyword).append(1, kDelimiter);
    return {std::move(bytes), requestCode};
}

// The fields arrive already converted, in frame order.
CommandFrame writeFrame(std::string_view tag, std::initializer_list<std::string> fields)
{
    std::string bytes;
    bytes.append(kWritePrefix).append(1, kDelimiter).append(tag).append(1, kTagEnd);
    bool first = true;
    for (const std::string& field : fields) {
        if (!first) {
            bytes.append(1, kFieldSeparator);
        }
        bytes.append(field);
        first = false;
    }
    bytes.append(1, kDelimiter);
    return {std::move(bytes), std::nullopt};
}

std::string zeroPadded(const std::string& text)
{
    return formatZeroPadded(toInteger(text));
}

std::string listIndex(int index)
{
    return std::to_string(index);
}

// A raw field is sent verbatim, so a delimiter, a separator or a byte the instrument
// cannot read would corrupt the frame; such a field is refused instead.
std::string rawText(const std::string& text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool printable = byte >= kFirstPrintable && byte <= kLastPrintable;
        if (!printable || c == kDelimiter || c == kFieldSeparator) {
            throw OperatorError("'" + text + "' cannot be sent to the instrument");
        }
    }
    return text;
}

} // namespace

CommandFrame buildCommand(Command command, const FieldSnapshot& f)
{
    // Braced initialiser lists are evaluated left to right, so the first failing field
    // in frame order is the one reported.
    switch (command) {
    case Command::LinkTest:
        return queryFrame(kLinkTestKeyword, RequestCode::rcLinkTest);
    case Command::ParameterRead:
        return queryFrame(kParameterReadKeyword, RequestCode::rcParameterRead);
    case Command::RealTimeData:
        return queryFrame(kRealTimeDataKeyword, RequestCode::rcStatusRead);
    case Command::OutputValue:
        return queryFrame(kOutputValueKeyword, RequestCode::rcStatusRead);
    case Command::WriteAddress:
        return writeFrame(kAddressTag, {zeroPadded(f.station)});
    case Command::WriteRs485: {
        CommandFrame frame =
            writeFrame(kRs485Tag, {listIndex(f.baudIndex), listIndex(f.parityIndex)});
        frame.showInSendView = false;
        return frame;
    }
    case Command::WriteOutput:
        return writeFrame(kOutputTag,
                          {listIndex(f.outputVariableIndex), rawText(f.davl), rawText(f.davh)});
    case Command::WriteAd1Range:
        return writeFrame(kAd1RangeTag, {rawText(f.ad1h), rawText(f.ad1l), rawText(f.ad1ld)});
    case Command::WriteAd2Range:
        return writeFrame(kAd2RangeTag, {rawText(f.ad2h), rawText(f.ad2l), rawText(f.ad2ld)});
    case Command::WriteFineTuning1:
        return writeFrame(kFineTuning1Tag, {zeroPadded(f.edit1)});
    case Command::WriteFineTuning2:
        return writeFrame(kFineTuning2Tag, {zeroPadded(f.edit2)});
    }
    throw std::logic_error("unknown command");
}

} // namespace qv
