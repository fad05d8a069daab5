#include "write_command.h"

#include "instrument_protocol.h"

#include <array>
#include <string_view>
#include <vector>

namespace qvsim {
namespace {

struct WriteCommand
{
    std::string_view tag;
    std::vector<std::string_view> settingKeys; // one per field, in frame order
};

const std::array<WriteCommand, 7>& writeCommands()
{
    static const std::array<WriteCommand, 7> commands{{
        {kAddressWrite, {"address"}},
        {kRs485Write, {"baud", "parity"}},
        {kOutputWrite, {"variable", "ma4", "ma20"}},
        {kAd1RangeWrite, {"ad1urv", "ad1lrv", "ad1start"}},
        {kAd2RangeWrite, {"ad2urv", "ad2lrv", "ad2start"}},
        {kFineTuning1Write, {"pz1"}},
        {kFineTuning2Write, {"pz2"}},
    }};
    return commands;
}

const WriteCommand* findCommand(std::string_view tag)
{
    for (const WriteCommand& command : writeCommands()) {
        if (command.tag == tag) {
            return &command;
        }
    }
    return nullptr;
}

std::vector<std::string_view> splitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t comma = text.find(kFieldSeparator);
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) {
            return fields;
        }
        text.remove_prefix(comma + 1);
    }
}

} // namespace

bool applyWrite(InstrumentConfig& config, std::string_view body)
{
    const std::size_t colon = body.find(kTagEnd);
    if (colon == std::string_view::npos) {
        return false;
    }
    const WriteCommand* command = findCommand(body.substr(0, colon));
    if (command == nullptr) {
        return false;
    }
    const std::vector<std::string_view> fields = splitFields(body.substr(colon + 1));
    if (fields.size() != command->settingKeys.size()) {
        return false;
    }
    // Everything is checked on a copy first, so a refused frame changes nothing.
    InstrumentConfig updated = config;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Setting& setting = *findSetting(command->settingKeys[i]);
        const auto value = parseSetting(setting, fields[i], Limits::Instrument);
        if (!value) {
            return false;
        }
        updated.*setting.member = *value;
    }
    config = updated;
    return true;
}

} // namespace qvsim
