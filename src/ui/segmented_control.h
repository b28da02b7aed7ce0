#pragma once

// A segmented control after the toolkit's: a row of labelled segments, each selectable and
// enabled on its own. With "select one" a click selects its segment alone, with "select any" it
// toggles it, with "momentary" it selects nothing that lasts; every click on an enabled segment
// sends the action. Selecting from code sends nothing. Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/control.h"

namespace zoral::ui {

enum class SegmentTracking : std::uint8_t { selectOne = 0, selectAny = 1, momentary = 2 };

// The toolkit's numbers.
enum class SegmentStyle : std::uint8_t {
    automatic = 0,
    rounded = 1,
    texturedRounded = 2,
    roundRect = 3,
    texturedSquare = 4,
    capsule = 5,
    smallSquare = 6,
    separated = 8,
};

class SegmentedControl : public Control {
public:
    explicit SegmentedControl(std::vector<std::string> labels = {},
                              SegmentTracking tracking = SegmentTracking::selectOne);

    std::size_t segmentCount() const { return segments_.size(); }
    const std::string& label(std::size_t segment) const;

    bool isSelected(std::size_t segment) const;
    void setSelected(bool selected, std::size_t segment);
    // The last segment selected; -1 when none is.
    int selectedSegment() const;
    bool isEnabled(std::size_t segment) const;
    void setEnabled(bool enabled, std::size_t segment);
    using Control::isEnabled;
    using Control::setEnabled;
    double width(std::size_t segment) const;
    // 0 fits the segment to its label.
    void setWidth(double width, std::size_t segment);

    SegmentTracking trackingMode() const { return tracking_; }
    void setTrackingMode(SegmentTracking tracking) { tracking_ = tracking; }
    SegmentStyle segmentStyle() const { return style_; }
    void setSegmentStyle(SegmentStyle style);

    // The segment at a point of the control (top-left coordinates); -1 outside.
    int segmentAt(platform::CGPoint point) const;
    // What a click on the segment does; for the widget under the control.
    void clickSegment(std::size_t segment);

private:
    struct Segment {
        std::string label;
        bool selected = false;
        bool enabled = true;
        double width = 0;
    };
    void changed();

    std::vector<Segment> segments_;
    SegmentTracking tracking_;
    SegmentStyle style_ = SegmentStyle::automatic;
    int lastSelected_ = -1;
};

}  // namespace zoral::ui
