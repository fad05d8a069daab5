#pragma once

#include <cstddef>

namespace qv {

enum class FieldFilter {
    Numeric, // range and output fields: digits, ".", "-", backspace; up to 5 characters
    Address, // MODBUS address: digits, backspace; up to 6 characters
};

inline constexpr char32_t kBackspace = 8;

// Whether a typed character may reach a field that holds `currentLength` characters
// (its whole text, selected or not) before the character is inserted.
bool filterAccepts(FieldFilter filter, char32_t typed, std::size_t currentLength);

} // namespace qv
