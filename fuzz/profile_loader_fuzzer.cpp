// Profile files of arbitrary bytes: the loader never crashes and throws nothing but its
// own error, and a profile it accepts is one the window could have sent: every write
// frame builds, of printable ASCII, and writing it out and loading it again gives the
// same profile.

#include "command_builder.h"
#include "fuzz_check.h"
#include "item_lists.h"
#include "profile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using qv::Command;

constexpr Command kWrites[] = {Command::WriteAddress,    Command::WriteRs485,
                               Command::WriteOutput,     Command::WriteAd1Range,
                               Command::WriteAd2Range,   Command::WriteFineTuning1,
                               Command::WriteFineTuning2};

bool printable(char c)
{
    return c >= 0x20 && c <= 0x7E;
}

// The rules read once more, plainly, for the values sent verbatim.
bool rangeValue(const QString& text)
{
    const std::string bytes = text.toStdString();
    return !bytes.empty() && bytes.size() <= 5 &&
           std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; });
}

void checkAccepted(const qv::Profile& profile)
{
    const qv::ProfileSettings& s = profile.settings;
    FUZZ_CHECK(qv::settingsProblems(s, "fuzz").isEmpty());
    for (const QString* value : {&s.output4mA, &s.output20mA, &s.ad1Urv, &s.ad1Lrv, &s.ad1Start,
                                 &s.ad2Urv, &s.ad2Lrv, &s.ad2Start}) {
        FUZZ_CHECK(rangeValue(*value));
    }
    const std::string address = s.address.toStdString();
    FUZZ_CHECK(
        !address.empty() && address.size() <= 6 &&
        std::all_of(address.begin(), address.end(), [](char c) { return c >= '0' && c <= '9'; }));

    const qv::FieldSnapshot fields = qv::toFieldSnapshot(s);
    FUZZ_CHECK(fields.baudIndex >= 0 && fields.baudIndex < int(qv::kBaudRateItems.size()));
    FUZZ_CHECK(fields.parityIndex >= 0 && fields.parityIndex < int(qv::kParityItems.size()));
    FUZZ_CHECK(fields.outputVariableIndex >= 0 &&
               fields.outputVariableIndex < int(qv::kOutputVariableItems.size()));
    for (Command command : kWrites) {
        std::string frame;
        try {
            frame = qv::buildCommand(command, fields).bytes;
        } catch (...) {
            FUZZ_CHECK(false && "an accepted profile does not build its write frame");
        }
        FUZZ_CHECK(std::all_of(frame.begin(), frame.end(), printable));
        FUZZ_CHECK(std::count(frame.begin(), frame.end(), '#') == 2);
    }
    FUZZ_CHECK(qv::fromFieldSnapshot(fields) == s);
    FUZZ_CHECK(qv::parseProfile(qv::serializeProfile(profile), "again") == profile);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        checkAccepted(qv::parseProfile(bytes, "fuzz"));
    } catch (const qv::ProfileError& error) {
        const std::string line = error.what();
        FUZZ_CHECK(line.starts_with("fuzz: "));
        FUZZ_CHECK(line.find('\n') == std::string::npos);
    }
    return 0;
}
