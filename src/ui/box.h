#pragma once

// A box after the toolkit's, in the one kind the windows use: the separator, a thin line across
// its width that parts two sections.

#include <cstdint>

#include "ui/view.h"

namespace zoral::ui {

// The toolkit's numbers.
enum class BoxType : std::uint8_t { primary = 0, separator = 2 };

class Box : public View {
public:
    explicit Box(BoxType type = BoxType::separator);
    BoxType boxType() const { return type_; }

private:
    BoxType type_;
};

}  // namespace zoral::ui
