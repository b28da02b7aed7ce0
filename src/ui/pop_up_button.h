#pragma once

// A pop-up button after the toolkit's: a menu of items (title, identifier, tool tip), one of them
// selected and shown. The user's choice of an item sends the action; selecting from code sends
// nothing. Main thread only.

#include <optional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace zoral::ui {

struct MenuItem {
    std::string title;
    std::string identifier;
    std::string toolTip;

    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

class PopUpButton : public Control {
public:
    PopUpButton();

    void removeAllItems();
    void addItem(MenuItem item);
    const std::vector<MenuItem>& items() const { return items_; }

    // -1 when nothing is selected.
    int indexOfSelectedItem() const;
    std::optional<MenuItem> selectedItem() const;
    void selectItem(int index);
    // False, selecting nothing, when no item has the title.
    bool selectItemWithTitle(const std::string& title);

    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered);

private:
    std::vector<MenuItem> items_;
    bool bordered_ = true;
};

}  // namespace zoral::ui
