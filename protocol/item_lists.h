#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace qv {

// The items of the window's three configuration combo boxes, in list order: a frame
// carries the index of the selected item, an answer names an item by its index.
inline constexpr std::array<std::string_view, 5> kBaudRateItems = {"1200", "2400", "4800", "9600",
                                                                   "19200"};
inline constexpr std::array<std::string_view, 3> kParityItems = {"None", "Odd", "Even"};
inline constexpr std::array<std::string_view, 2> kOutputVariableItems = {"0 AD1", "1 AD2"};

using ItemList = std::span<const std::string_view>;

// The index of the item whose text is exactly `text`, or -1 (a combo box with no
// selected item) when there is none.
inline int itemIndex(ItemList items, std::string_view text)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The text of the item at `index`, or empty text when the list has no such item.
inline std::string itemText(ItemList items, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) {
        return {};
    }
    return std::string(items[static_cast<std::size_t>(index)]);
}

} // namespace qv
