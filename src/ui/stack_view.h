#pragma once

// A stack view after the toolkit's: its arranged subviews in a row or a column, with a spacing
// between them, insets around them, an alignment across the stack and a distribution along it.
// A hidden arranged view takes no space. Main thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/view.h"

namespace zoral::ui {

// The toolkit's numbers. Across a row: top, centerY, bottom, firstBaseline; across a column:
// leading, centerX, trailing; width (a column) and height (a row) stretch the views across.
enum class StackAlignment : std::int8_t {
    leading = 5,
    trailing = 6,
    width = 7,
    height = 8,
    centerX = 9,
    centerY = 10,
    firstBaseline = 12,
    top = 3,
    bottom = 4,
};

enum class StackDistribution : std::int8_t {
    gravityAreas = -1,
    fill = 0,
    fillEqually = 1,
    fillProportionally = 2,
    equalSpacing = 3,
    equalCentering = 4,
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

class StackView : public View {
public:
    explicit StackView(std::vector<std::shared_ptr<View>> views = {},
                       LayoutOrientation orientation = LayoutOrientation::horizontal);

    void addArrangedSubview(std::shared_ptr<View> view);
    void insertArrangedSubview(std::shared_ptr<View> view, std::size_t index);
    // The view stays a subview, placed by no layout; remove it from the stack too to drop it.
    void removeArrangedSubview(const std::shared_ptr<View>& view);
    const std::vector<std::shared_ptr<View>>& arrangedSubviews() const { return arranged_; }

    LayoutOrientation orientation() const { return orientation_; }
    void setOrientation(LayoutOrientation orientation);
    StackAlignment alignment() const { return alignment_; }
    void setAlignment(StackAlignment alignment);
    StackDistribution distribution() const { return distribution_; }
    void setDistribution(StackDistribution distribution);
    double spacing() const { return spacing_; }
    void setSpacing(double spacing);
    const EdgeInsets& edgeInsets() const { return insets_; }
    void setEdgeInsets(EdgeInsets insets);

private:
    void rebuild();

    std::vector<std::shared_ptr<View>> arranged_;
    LayoutOrientation orientation_;
    StackAlignment alignment_;
    StackDistribution distribution_ = StackDistribution::fill;
    double spacing_ = 8;
    EdgeInsets insets_;
};

}  // namespace zoral::ui
