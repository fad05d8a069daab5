#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// One Real-Time Data answer as the live readings keep it: when it settled, and the
// address and the three readings as the instrument wrote them, each also as a number
// for drawing (NaN when the text is not one).
struct Reading
{
    std::chrono::system_clock::time_point time;
    std::string address;
    std::string utodv; // the output value (UTODV on the form)
    std::string ad01;
    std::string ad02;

    double utodvValue() const;
    double ad01Value() const;
    double ad02Value() const;
};

// The reading in a status answer, taken with the same extraction that fills the form's
// labels; nothing when the answer lacks any of its four values.
std::optional<Reading> readingFromStatusAnswer(std::string_view answer,
                                               std::chrono::system_clock::time_point time);

// A reading's text as a number: optional blanks, a sign, digits and a decimal point.
// NaN for anything else (an empty value included).
double readingNumber(std::string_view text);

} // namespace qv
