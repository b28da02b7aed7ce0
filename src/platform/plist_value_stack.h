#pragma once

// How the readers build containers: the items of every array and the entries
// of every dictionary being read gather on stacks shared by all levels of
// nesting, and move out into their container when it closes, so that each
// container is allocated once, at its final size.

#include <cstddef>
#include <iterator>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

using PlistEntry = PlistDictionary::value_type;

// Moves the stack's items from `base` on into an array.
inline PlistArray takeArray(std::vector<PlistObject>& stack, std::size_t base) {
    const auto first = stack.begin() + static_cast<std::ptrdiff_t>(base);
    PlistArray array(std::make_move_iterator(first), std::make_move_iterator(stack.end()));
    stack.erase(first, stack.end());
    return array;
}

// Moves the stack's entries from `base` on into a dictionary, in whatever
// order they came; a repeated key keeps its last value.
inline PlistDictionary takeDictionary(std::vector<PlistEntry>& stack, std::size_t base) {
    const auto first = stack.begin() + static_cast<std::ptrdiff_t>(base);
    std::vector<PlistEntry> entries(std::make_move_iterator(first),
                                    std::make_move_iterator(stack.end()));
    stack.erase(first, stack.end());
    return PlistDictionary::fromEntries(std::move(entries));
}

}  // namespace zoral::platform::detail
