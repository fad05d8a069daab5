// Arbitrary bytes as a received answer: both extractions and the dispatch for every
// pending request must hold their properties whatever the instrument (or the line) sends.

#include "fuzz_check.h"
#include "reply_dispatch.h"
#include "reply_parser.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qv::Assignment;
using qv::Extraction;
using qv::RequestCode;
using qv::Target;

// The answer layouts written out once more, independently of the parser: tag ('?'
// matches any character), then per target its offset from the tag's first character
// and its width (0 for a single digit giving a combo box index).
struct ExpectedField
{
    Target target;
    std::size_t offset;
    std::size_t width;
};

struct ExpectedTag
{
    std::string_view tag;
    std::vector<ExpectedField> fields;
};

const std::vector<ExpectedTag> kStatusTable = {
    {"STC?:", {{Target::Station, 5, 3}}},
    {"A01:", {{Target::AD1XS, 4, 6}}},
    {"A02:", {{Target::AD2XS, 4, 6}}},
    {"A03:", {{Target::AD3XS, 4, 6}}},
};

const std::vector<ExpectedTag> kParameterTable = {
    {"STQ:", {{Target::Station, 4, 3}}},
    {"MR4???:", {{Target::MR485BT, 7, 0}, {Target::MR485JN, 9, 0}}},
    {"DAV:", {{Target::ComboBox1, 4, 0}, {Target::DAVL, 6, 5}, {Target::DAVH, 12, 5}}},
    {"PA1:", {{Target::Edit1, 4, 3}}},
    {"PA2:", {{Target::Edit2, 4, 3}}},
    {"AD01:", {{Target::AD1H, 5, 5}, {Target::AD1L, 11, 5}, {Target::AD1LD, 17, 5}}},
    {"AD02:", {{Target::AD2H, 5, 5}, {Target::AD2L, 11, 5}, {Target::AD2LD, 17, 5}}},
};

// Plain first-occurrence search: the fixed part before the first '?' with
// string_view::find, the rest compared character by character.
std::optional<std::size_t> referenceFind(std::string_view text, std::string_view tag)
{
    const std::string_view head = tag.substr(0, tag.find('?'));
    for (std::size_t at = text.find(head); at != std::string_view::npos;
         at = text.find(head, at + 1)) {
        if (at + tag.size() > text.size()) {
            return std::nullopt;
        }
        bool whole = true;
        for (std::size_t i = head.size(); i < tag.size(); ++i) {
            whole = whole && (tag[i] == '?' || text[at + i] == tag[i]);
        }
        if (whole) {
            return at;
        }
    }
    return std::nullopt;
}

std::string invalid(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

// What the table says the extraction of `text` gives.
Extraction referenceExtract(std::string_view text, const std::vector<ExpectedTag>& table)
{
    Extraction result;
    for (const ExpectedTag& entry : table) {
        const auto at = referenceFind(text, entry.tag);
        if (!at) {
            continue;
        }
        for (const ExpectedField& field : entry.fields) {
            const std::size_t first = *at + field.offset;
            if (field.width > 0) {
                std::string value = first < text.size()
                                        ? std::string(text.substr(first, field.width))
                                        : std::string();
                value = value.substr(0, value.find('\0'));
                result.assignments.push_back({field.target, value});
                continue;
            }
            const std::string_view digit = first < text.size() ? text.substr(first, 1) : "";
            if (digit.empty() || digit[0] < '0' || digit[0] > '9') {
                result.error = invalid(digit);
                return result;
            }
            result.assignments.push_back({field.target, digit[0] - '0'});
        }
    }
    return result;
}

std::size_t widthOf(Target target, const std::vector<ExpectedTag>& table)
{
    for (const ExpectedTag& entry : table) {
        for (const ExpectedField& field : entry.fields) {
            if (field.target == target) {
                return field.width;
            }
        }
    }
    FUZZ_CHECK(!"target not in the answer's table");
    return 0;
}

// Position of a target in the table's fill order.
std::size_t rankOf(Target target, const std::vector<ExpectedTag>& table)
{
    std::size_t rank = 0;
    for (const ExpectedTag& entry : table) {
        for (const ExpectedField& field : entry.fields) {
            if (field.target == target) {
                return rank;
            }
            ++rank;
        }
    }
    FUZZ_CHECK(!"target not in the answer's table");
    return rank;
}

bool sameExtraction(const Extraction& a, const Extraction& b)
{
    return a.assignments == b.assignments && a.error == b.error;
}

// Properties every extraction has, whatever the text.
void checkShape(const Extraction& extraction, const std::vector<ExpectedTag>& table)
{
    std::optional<std::size_t> previousRank;
    for (const Assignment& assignment : extraction.assignments) {
        const std::size_t rank = rankOf(assignment.target, table);
        FUZZ_CHECK(!previousRank || rank > *previousRank); // table order, each target once
        previousRank = rank;

        const std::size_t width = widthOf(assignment.target, table);
        if (const auto* text = std::get_if<std::string>(&assignment.value)) {
            FUZZ_CHECK(width > 0);
            FUZZ_CHECK(text->size() <= width);
            FUZZ_CHECK(text->find('\0') == std::string::npos);
        } else {
            FUZZ_CHECK(width == 0);
            const int index = std::get<int>(assignment.value);
            FUZZ_CHECK(index >= 0 && index <= 9);
        }
    }
    if (extraction.error) {
        // The message quotes the one failing character, or nothing past the end.
        const std::string& message = *extraction.error;
        const bool quotesOneCharacter =
            message.size() == invalid("x").size() && message == invalid(message.substr(1, 1));
        FUZZ_CHECK(message == invalid("") || quotesOneCharacter);
    }
}

void checkExtractions(std::string_view full)
{
    const std::string_view cut = full.substr(0, full.find('\0'));

    const Extraction status = qv::extractStatus(full);
    checkShape(status, kStatusTable);
    FUZZ_CHECK(!status.error); // the status answer has no digits to fail
    FUZZ_CHECK(sameExtraction(status, referenceExtract(full, kStatusTable)));

    const Extraction parameters = qv::extractParameters(full);
    checkShape(parameters, kParameterTable);
    FUZZ_CHECK(sameExtraction(parameters, qv::extractParameters(cut)));
    FUZZ_CHECK(sameExtraction(parameters, referenceExtract(cut, kParameterTable)));
}

void checkDispatch(std::string_view reply)
{
    for (const RequestCode pending : {RequestCode::rcIdle, RequestCode::rcLinkTest}) {
        const qv::DispatchOutcome outcome = qv::dispatchReply(pending, reply);
        FUZZ_CHECK(outcome.extraction.assignments.empty() && !outcome.extraction.error);
        FUZZ_CHECK(outcome.next == RequestCode::rcIdle);
        FUZZ_CHECK(!outcome.clearLatestReply);
    }

    const qv::DispatchOutcome status = qv::dispatchReply(RequestCode::rcStatusRead, reply);
    FUZZ_CHECK(sameExtraction(status.extraction, qv::extractStatus(reply)));
    FUZZ_CHECK(status.next == RequestCode::rcIdle);
    FUZZ_CHECK(!status.clearLatestReply);

    // A failed digit keeps the read pending and the reply stored; a completed read
    // returns to idle and empties the reply.
    const qv::DispatchOutcome parameters = qv::dispatchReply(RequestCode::rcParameterRead, reply);
    FUZZ_CHECK(sameExtraction(parameters.extraction, qv::extractParameters(reply)));
    if (parameters.extraction.error) {
        FUZZ_CHECK(parameters.next == RequestCode::rcParameterRead);
        FUZZ_CHECK(!parameters.clearLatestReply);
    } else {
        FUZZ_CHECK(parameters.next == RequestCode::rcIdle);
        FUZZ_CHECK(parameters.clearLatestReply);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // One character per received byte, NUL included. A view of libFuzzer's own buffer,
    // which is allocated to the exact size, so a read past the end is caught.
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    checkExtractions(reply);
    checkDispatch(reply);
    return 0;
}
