#pragma once

// A window described in a file of ours and built at run time, the way the toolkit builds a window
// from its interface file: views by class with their properties, outlets by name, and controls'
// actions by name, which the owner supplies. The descriptions are compiled in as
// interfaces/<name>.json among the resources.
//
// The file is one JSON object {"window": {...}}. The window takes "title", "contentSize" [w, h],
// "minSize" [w, h] and its "content" view. A view is an object with a "class" and, for any class:
//   "id"        the outlet the view is found by after the window is built
//   "outlet"    inside a table's row view: the row view's outlet the view connects to
//   "hidden", "width", "height", "minWidth", "minHeight"
// and by class:
//   View, TableCellView, or a class the owner makes: "views", each filling the view ("inset")
//   Stack: "orientation" ("horizontal" | "vertical"), "spacing", "insets" [top, left, bottom,
//          right], "alignment" (leading, trailing, top, bottom, centerX, centerY, width, height),
//          "distribution" (fill, fillEqually, equalSpacing), "views"
//   Label: "text", "fontSize", "bold", "wraps", "secondary" (the secondary label colour)
//   Button, Checkbox: "title", "action"
//   ImageView: "image" (a named image)
//   ScrollView: "clipView" (a ClipView), "document", "verticalScroller", "horizontalScroller"
//   ClipView: "flipped"
//   TableView: "rowHeight", "headerHidden", "columns" [identifiers], "rowViews" {identifier: view}
//              (the row views the table makes by identifier, each a new copy)
//   Box: "boxType" ("separator")
// An unknown class or property, a missing action and a malformed file are errors: a description
// is part of the program, so they are its faults.
//
// Main thread only.

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/json.h"
#include "ui/control.h"
#include "ui/titled_window.h"
#include "ui/view.h"

namespace zoral::ui {

class InterfaceDescriptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class InterfaceDescription {
public:
    // What the owner of the built window gives it.
    struct Owner {
        // Views of the owner's own classes, by class name.
        std::map<std::string, std::function<std::shared_ptr<View>()>> classes;
        // The controls' actions, by name.
        std::map<std::string, Control::Action> actions;
    };

    // The built window and its outlets.
    class Instance {
    public:
        std::shared_ptr<TitledWindow> window;
        std::map<std::string, std::shared_ptr<View>> outlets;

        // The outlet as the class expected; throws InterfaceDescriptionError when it is missing
        // or of another class.
        template <class T>
        std::shared_ptr<T> outlet(const std::string& name) const {
            const auto found = outlets.find(name);
            auto view =
                found != outlets.end() ? std::dynamic_pointer_cast<T>(found->second) : nullptr;
            if (!view)
                throw InterfaceDescriptionError("no outlet \"" + name + "\" of the expected class");
            return view;
        }
    };

    explicit InterfaceDescription(platform::Json description);
    // The compiled-in description interfaces/<name>.json; throws when there is none.
    static InterfaceDescription named(std::string_view name);

    // Builds a new window from the description.
    Instance instantiate(const Owner& owner) const;

private:
    std::shared_ptr<const platform::Json> description_;
};

}  // namespace zoral::ui
