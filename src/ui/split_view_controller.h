#pragma once

// A split view controller after the toolkit's: its items' views side by side, a sidebar first,
// parted by a divider. An item's thickness may be bounded (equal bounds fix it), and the divider
// may be held where it is. Each item's controller appears and disappears with the split view.
// Main thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/view_controller.h"

class QSplitter;

namespace zoral::ui {

enum class SplitItemKind : std::uint8_t { sidebar, content };

// The toolkit's numbers.
enum class DividerStyle : std::uint8_t { thick = 1, thin = 2, paneSplitter = 3 };

struct SplitViewItem {
    std::shared_ptr<ViewController> viewController;
    SplitItemKind kind = SplitItemKind::content;
    bool canCollapse = false;
    // 0: no bound.
    double minimumThickness = 0;
    double maximumThickness = 0;

    static SplitViewItem sidebar(std::shared_ptr<ViewController> controller) {
        return {std::move(controller), SplitItemKind::sidebar};
    }
    static SplitViewItem content(std::shared_ptr<ViewController> controller) {
        return {std::move(controller), SplitItemKind::content};
    }
};

class SplitViewController : public ViewController {
public:
    void addSplitViewItem(SplitViewItem item);
    const std::vector<SplitViewItem>& splitViewItems() const { return items_; }

    DividerStyle dividerStyle() const { return dividerStyle_; }
    void setDividerStyle(DividerStyle style);
    // Whether the user may drag the divider.
    bool isDividerDraggable() const { return draggable_; }
    void setDividerDraggable(bool draggable);

    void loadView() override;

private:
    QSplitter* splitter() const;
    void place(const SplitViewItem& item);
    void applyDivider();

    std::vector<SplitViewItem> items_;
    DividerStyle dividerStyle_ = DividerStyle::thick;
    bool draggable_ = true;
};

}  // namespace zoral::ui
