#pragma once

// A window's toolbar after the toolkit's: items in a row at the top of the window, each with an
// identifier, a label and a view. Its delegate names the default and allowed items and makes an
// item for an identifier; a toolbar put on a window starts with the default items.
// Main thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/stack_view.h"

namespace zoral::ui {

class Toolbar;

struct ToolbarItem {
    std::string identifier;
    std::string label;
    std::shared_ptr<View> view;
};

class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    virtual std::vector<std::string> toolbarDefaultItemIdentifiers(Toolbar& toolbar) = 0;
    virtual std::vector<std::string> toolbarAllowedItemIdentifiers(Toolbar& toolbar) = 0;
    virtual std::vector<std::string> toolbarSelectableItemIdentifiers(Toolbar&) { return {}; }
    // The item for the identifier; none inserts nothing.
    virtual std::shared_ptr<ToolbarItem> itemForIdentifier(Toolbar& toolbar,
                                                           const std::string& identifier,
                                                           bool willBeInserted) = 0;
};

// The toolkit's numbers.
enum class ToolbarDisplayMode : std::uint8_t {
    defaultMode = 0,
    iconAndLabel = 1,
    iconOnly = 2,
    labelOnly = 3
};

class Toolbar {
public:
    explicit Toolbar(std::string identifier);

    const std::string& identifier() const { return identifier_; }
    // Not owned; it must outlive the toolbar or be cleared.
    void setDelegate(ToolbarDelegate* delegate) { delegate_ = delegate; }
    ToolbarDelegate* delegate() const { return delegate_; }

    const std::vector<std::shared_ptr<ToolbarItem>>& items() const { return items_; }
    // Inserts the delegate's item for the identifier at the index (clamped).
    void insertItem(const std::string& identifier, std::size_t index);
    void removeItem(std::size_t index);
    // Fills an empty toolbar with the default items.
    void fillWithDefaultItems();

    ToolbarDisplayMode displayMode() const { return displayMode_; }
    void setDisplayMode(ToolbarDisplayMode mode) { displayMode_ = mode; }
    bool allowsUserCustomization() const { return customizable_; }
    void setAllowsUserCustomization(bool allows) { customizable_ = allows; }

    // The row that shows the items' views, which the window places in its title bar.
    const std::shared_ptr<StackView>& itemsView() const { return row_; }

private:
    std::string identifier_;
    ToolbarDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<ToolbarItem>> items_;
    ToolbarDisplayMode displayMode_ = ToolbarDisplayMode::defaultMode;
    bool customizable_ = false;
    std::shared_ptr<StackView> row_;
};

}  // namespace zoral::ui
