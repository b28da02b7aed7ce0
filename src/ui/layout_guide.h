#pragma once

// Pinning a view inside another, the one layout rule that views built in code use besides stacks:
// the view's four edges at an inset from the other's. The other view must be the view's
// superview (the view is added to it when it is not yet).
//
// Main thread only.

#include "ui/view.h"

namespace zoral::ui {

// How the bottom edge follows the other view's.
enum class PinBottom : std::uint8_t {
    // The bottom at the inset from the other's bottom: the view fills the other.
    equal,
    // At most there: the view keeps its own height at the top of the other.
    atMost,
};

// Pins the view's leading, trailing, top and bottom edges to the other's, inset by `inset`.
void pin(View& view, View& other, double inset, PinBottom bottom = PinBottom::equal);

}  // namespace zoral::ui
