#include "control_command.h"

#include "fixed_decimal.h"

#include <utility>
#include <vector>

namespace qvsim {
namespace {

constexpr long long kLongestSplitMs = 60000;

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> result;
    const std::string_view blanks = " \t\r\n";
    for (;;) {
        const std::size_t start = line.find_first_not_of(blanks);
        if (start == std::string_view::npos) {
            return result;
        }
        line.remove_prefix(start);
        const std::size_t end = line.find_first_of(blanks);
        result.push_back(line.substr(0, end));
        if (end == std::string_view::npos) {
            return result;
        }
        line.remove_prefix(end);
    }
}

ControlCommand fault(FaultPlan plan)
{
    return ControlCommand{ControlCommand::Kind::Fault, plan, {}, {}};
}

ControlCommand simple(ControlCommand::Kind kind)
{
    return ControlCommand{kind, {}, {}, {}};
}

ParsedControl parseSplit(const std::vector<std::string_view>& w)
{
    const auto ms = w.size() == 2 ? parseInteger(w[1]) : std::nullopt;
    if (!ms || *ms < 1 || *ms > kLongestSplitMs) {
        return ControlError{"usage: split N (N from 1 to 60000 ms)"};
    }
    FaultPlan plan;
    plan.splitMs = static_cast<int>(*ms);
    return fault(plan);
}

// Commands of one word that set a single flag of the next answer's faults.
ParsedControl parseFlag(std::string_view name)
{
    FaultPlan plan;
    if (name == "silence") {
        plan.silence = true;
    } else if (name == "garbage") {
        plan.garbage = true;
    } else if (name == "nul") {
        plan.nul = true;
    } else if (name == "badindex") {
        plan.badIndex = true;
    } else if (name == "long") {
        plan.longAnswer = true;
    } else if (name == "refuse") {
        plan.refuseWrite = true;
    } else {
        return ControlError{"unknown command '" + std::string(name) + "'"};
    }
    return fault(plan);
}

ParsedControl parseDrop(const std::vector<std::string_view>& w)
{
    if (w.size() == 1) {
        return simple(ControlCommand::Kind::Drop);
    }
    if (w.size() == 2 && w[1] == "next") {
        FaultPlan plan;
        plan.dropConnection = true;
        return fault(plan);
    }
    return ControlError{"usage: drop [next]"};
}

ParsedControl parseSet(const std::vector<std::string_view>& w)
{
    if (w.size() != 3) {
        return ControlError{"usage: set KEY VALUE"};
    }
    return ControlCommand{ControlCommand::Kind::Set, {}, std::string(w[1]), std::string(w[2])};
}

ParsedControl withoutArguments(const std::vector<std::string_view>& w, ControlCommand::Kind kind)
{
    if (w.size() != 1) {
        return ControlError{"'" + std::string(w[0]) + "' takes no argument"};
    }
    return simple(kind);
}

} // namespace

ParsedControl parseControlLine(std::string_view line)
{
    const std::vector<std::string_view> w = words(line);
    if (w.empty()) {
        return std::monostate{};
    }
    const std::string_view name = w[0];
    if (name == "split") {
        return parseSplit(w);
    }
    if (name == "drop") {
        return parseDrop(w);
    }
    if (name == "set") {
        return parseSet(w);
    }
    if (name == "show" && w.size() == 2 && w[1] == "line") {
        return simple(ControlCommand::Kind::ShowLine);
    }
    if (name == "show") {
        return withoutArguments(w, ControlCommand::Kind::Show);
    }
    if (name == "quit") {
        return withoutArguments(w, ControlCommand::Kind::Quit);
    }
    const ParsedControl flag = parseFlag(name);
    if (w.size() != 1 && std::holds_alternative<ControlCommand>(flag)) {
        return ControlError{"'" + std::string(name) + "' takes no argument"};
    }
    return flag;
}

void addFaults(FaultPlan& pending, const FaultPlan& more)
{
    if (more.splitMs) {
        pending.splitMs = more.splitMs;
    }
    pending.silence |= more.silence;
    pending.garbage |= more.garbage;
    pending.nul |= more.nul;
    pending.badIndex |= more.badIndex;
    pending.longAnswer |= more.longAnswer;
    pending.dropConnection |= more.dropConnection;
    pending.refuseWrite |= more.refuseWrite;
}

FaultPlan takeFaultsFor(FaultPlan& pending, bool writeFrame)
{
    FaultPlan faults = std::exchange(pending, {});
    if (!writeFrame) {
        pending.refuseWrite = std::exchange(faults.refuseWrite, false);
    }
    return faults;
}

std::string describeFaults(const FaultPlan& faults)
{
    std::string text;
    const auto add = [&text](bool on, const std::string& name) {
        if (on) {
            text += (text.empty() ? "" : ", ") + name;
        }
    };
    add(faults.splitMs.has_value(), "split " + std::to_string(faults.splitMs.value_or(0)) + " ms");
    add(faults.silence, "silence");
    add(faults.garbage, "garbage");
    add(faults.nul, "nul");
    add(faults.badIndex, "badindex");
    add(faults.longAnswer, "long");
    add(faults.dropConnection, "drop");
    add(faults.refuseWrite, "refuse");
    return text;
}

} // namespace qvsim
