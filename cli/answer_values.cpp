#include "answer_values.h"

#include "reply_parser.h"

#include <string_view>

namespace qv::cli {

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Where the window keeps a configuration target's value.
void apply(FieldSnapshot& fields, const Assignment& assignment)
{
    if (const int* index = std::get_if<int>(&assignment.value)) {
        switch (assignment.target) {
        case Target::MR485BT:
            fields.baudIndex = *index;
            return;
        case Target::MR485JN:
            fields.parityIndex = *index;
            return;
        default:
            fields.outputVariableIndex = *index;
            return;
        }
    }
    const std::string& text = std::get<std::string>(assignment.value);
    switch (assignment.target) {
    case Target::Station:
        fields.station = text;
        break;
    case Target::DAVL:
        fields.davl = text;
        break;
    case Target::DAVH:
        fields.davh = text;
        break;
    case Target::Edit1:
        fields.edit1 = text;
        break;
    case Target::Edit2:
        fields.edit2 = text;
        break;
    case Target::AD1H:
        fields.ad1h = text;
        break;
    case Target::AD1L:
        fields.ad1l = text;
        break;
    case Target::AD1LD:
        fields.ad1ld = text;
        break;
    case Target::AD2H:
        fields.ad2h = text;
        break;
    case Target::AD2L:
        fields.ad2l = text;
        break;
    case Target::AD2LD:
        fields.ad2ld = text;
        break;
    default:
        break;
    }
}

// Every configuration target of the window: 14 of them.
constexpr qsizetype kParameterTargets = 14;

} // namespace

std::optional<ProfileSettings> settingsFromAnswer(const QByteArray& answer, QString* problem)
{
    const Extraction extraction = extractParameters(view(answer));
    if (extraction.error) {
        *problem = QString::fromStdString(*extraction.error);
        return std::nullopt;
    }
    if (static_cast<qsizetype>(extraction.assignments.size()) != kParameterTargets) {
        *problem = QStringLiteral("the parameter answer lacks some of its tags");
        return std::nullopt;
    }
    FieldSnapshot fields;
    for (const Assignment& assignment : extraction.assignments) {
        apply(fields, assignment);
    }
    return fromFieldSnapshot(fields);
}

Readings readingsFromAnswer(const QByteArray& answer)
{
    Readings readings;
    for (const Assignment& assignment : extractStatus(view(answer)).assignments) {
        const QString text = QString::fromLatin1(std::get<std::string>(assignment.value));
        switch (assignment.target) {
        case Target::Station:
            readings.address = text;
            break;
        case Target::AD1XS:
            readings.utodv = text;
            break;
        case Target::AD2XS:
            readings.ad01 = text;
            break;
        case Target::AD3XS:
            readings.ad02 = text;
            break;
        default:
            break;
        }
    }
    return readings;
}

} // namespace qv::cli
