#include "ui/interface_description.h"

#include <QFile>
#include <set>
#include <utility>
#include <vector>

#include "ui/box.h"
#include "ui/button.h"
#include "ui/image_view.h"
#include "ui/layout_guide.h"
#include "ui/resources.h"
#include "ui/scroll_view.h"
#include "ui/stack_view.h"
#include "ui/table_view.h"
#include "ui/text_field.h"

namespace zoral::ui {

namespace {

using platform::Json;

[[noreturn]] void fail(const std::string& why) {
    throw InterfaceDescriptionError("interface description: " + why);
}

// The properties each class takes besides the common ones.
const std::map<std::string, std::set<std::string>, std::less<>>& classProperties() {
    static const std::map<std::string, std::set<std::string>, std::less<>> properties{
        {"View", {"views"}},
        {"TableCellView", {"views"}},
        {"Stack", {"orientation", "spacing", "insets", "alignment", "distribution", "views"}},
        {"Label", {"text", "fontSize", "bold", "wraps", "secondary"}},
        {"Button", {"title", "action"}},
        {"Checkbox", {"title", "action"}},
        {"ImageView", {"image"}},
        {"ScrollView", {"clipView", "document", "verticalScroller", "horizontalScroller"}},
        {"ClipView", {"flipped"}},
        {"TableView", {"rowHeight", "headerHidden", "columns", "rowViews"}},
        {"Box", {"boxType"}},
    };
    return properties;
}

const std::set<std::string, std::less<>> commonProperties{
    "class", "id", "outlet", "hidden", "width", "height", "minWidth", "minHeight", "inset"};

template <class T>
T get(const Json& object, const char* key, T fallback) {
    const auto found = object.find(key);
    if (found == object.end())
        return fallback;
    try {
        return found->template get<T>();
    } catch (const Json::exception&) {
        fail(std::string("\"") + key + "\" has the wrong type");
    }
}

const Json& member(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end())
        fail(std::string("missing \"") + key + "\"");
    return *found;
}

platform::CGSize size(const Json& value) {
    if (!value.is_array() || value.size() != 2 || !value[0].is_number() || !value[1].is_number())
        fail("a size is [width, height]");
    return {value[0].get<double>(), value[1].get<double>()};
}

StackAlignment alignment(const std::string& name) {
    static const std::map<std::string, StackAlignment, std::less<>> names{
        {"leading", StackAlignment::leading}, {"trailing", StackAlignment::trailing},
        {"top", StackAlignment::top},         {"bottom", StackAlignment::bottom},
        {"centerX", StackAlignment::centerX}, {"centerY", StackAlignment::centerY},
        {"width", StackAlignment::width},     {"height", StackAlignment::height},
    };
    const auto found = names.find(name);
    if (found == names.end())
        fail("no alignment \"" + name + "\"");
    return found->second;
}

StackDistribution distribution(const std::string& name) {
    static const std::map<std::string, StackDistribution, std::less<>> names{
        {"fill", StackDistribution::fill},
        {"fillEqually", StackDistribution::fillEqually},
        {"equalSpacing", StackDistribution::equalSpacing},
    };
    const auto found = names.find(name);
    if (found == names.end())
        fail("no distribution \"" + name + "\"");
    return found->second;
}

class Builder {
public:
    Builder(const InterfaceDescription::Owner& owner,
            std::map<std::string, std::shared_ptr<View>>* outlets)
        : owner_(owner), outlets_(outlets) {}

    // The view and everything inside it; `cell` is the row view being built, if any.
    std::shared_ptr<View> build(const Json& json, TableCellView* cell) {
        if (!json.is_object())
            fail("a view is an object");
        const auto className = get<std::string>(json, "class", "");
        check(json, className);
        std::shared_ptr<View> view = make(json, className, cell);

        if (get<bool>(json, "hidden", false))
            view->setHidden(true);
        if (json.contains("width"))
            view->setWidth(get<double>(json, "width", 0));
        if (json.contains("height"))
            view->setHeight(get<double>(json, "height", 0));
        if (json.contains("minWidth"))
            view->setMinimumWidth(get<double>(json, "minWidth", 0));
        if (json.contains("minHeight"))
            view->setMinimumHeight(get<double>(json, "minHeight", 0));

        if (json.contains("id")) {
            if (outlets_ == nullptr)
                fail("a row view's views connect by \"outlet\", not \"id\"");
            const auto id = get<std::string>(json, "id", "");
            if (!outlets_->emplace(id, view).second)
                fail("two views with the id \"" + id + "\"");
        }
        if (json.contains("outlet")) {
            const auto name = get<std::string>(json, "outlet", "");
            if (cell == nullptr || !cell->connectOutlet(name, view))
                fail("no row view outlet \"" + name + "\" for this view");
        }
        return view;
    }

private:
    void check(const Json& json, const std::string& className) const {
        const auto known = classProperties().find(className);
        const bool ownClass = owner_.classes.contains(className);
        if (known == classProperties().end() && !ownClass)
            fail("no class \"" + className + "\"");
        for (const auto& [key, value] : json.items()) {
            (void)value;
            const bool allowed = commonProperties.contains(key) || (ownClass && key == "views") ||
                                 (known != classProperties().end() && known->second.contains(key));
            if (!allowed)
                fail("a " + className + " takes no \"" + key + "\"");
        }
    }

    Control::Action action(const Json& json) const {
        if (!json.contains("action"))
            return {};
        const auto name = get<std::string>(json, "action", "");
        const auto found = owner_.actions.find(name);
        if (found == owner_.actions.end())
            fail("the owner has no action \"" + name + "\"");
        return found->second;
    }

    // Each subview fills the view, at its inset.
    void fill(View& view, const Json& json, TableCellView* cell) {
        for (const Json& child : get<Json>(json, "views", Json::array())) {
            auto subview = build(child, cell);
            pin(*subview, view, get<double>(child, "inset", 0));
        }
    }

    std::shared_ptr<View> make(const Json& json, const std::string& className,
                               TableCellView* cell) {
        if (const auto own = owner_.classes.find(className); own != owner_.classes.end()) {
            auto view = own->second();
            if (!view)
                fail("the owner made no " + className);
            auto* ownCell = dynamic_cast<TableCellView*>(view.get());
            fill(*view, json, ownCell != nullptr ? ownCell : cell);
            return view;
        }
        if (className == "View" || className == "TableCellView") {
            std::shared_ptr<View> view;
            TableCellView* inner = cell;
            if (className == "TableCellView") {
                auto made = std::make_shared<TableCellView>();
                inner = made.get();
                view = std::move(made);
            } else {
                view = std::make_shared<View>();
            }
            fill(*view, json, inner);
            return view;
        }
        if (className == "Stack") {
            std::vector<std::shared_ptr<View>> views;
            for (const Json& child : get<Json>(json, "views", Json::array()))
                views.push_back(build(child, cell));
            const auto orientation = get<std::string>(json, "orientation", "horizontal");
            if (orientation != "horizontal" && orientation != "vertical")
                fail("no orientation \"" + orientation + "\"");
            auto stack = std::make_shared<StackView>(
                std::move(views), orientation == "vertical" ? LayoutOrientation::vertical
                                                            : LayoutOrientation::horizontal);
            stack->setSpacing(get<double>(json, "spacing", 8));
            if (json.contains("insets")) {
                const auto insets = get<std::vector<double>>(json, "insets", {});
                if (insets.size() != 4)
                    fail("insets are [top, left, bottom, right]");
                stack->setEdgeInsets({insets[0], insets[1], insets[2], insets[3]});
            }
            if (json.contains("alignment"))
                stack->setAlignment(alignment(get<std::string>(json, "alignment", "")));
            if (json.contains("distribution"))
                stack->setDistribution(distribution(get<std::string>(json, "distribution", "")));
            return stack;
        }
        if (className == "Label") {
            const auto text = get<std::string>(json, "text", "");
            auto label = get<bool>(json, "wraps", false) ? TextField::wrappingLabel(text)
                                                         : TextField::label(text);
            const double fontSize = get<double>(json, "fontSize", 13);
            label->setFont(get<bool>(json, "bold", false) ? Font::boldSystem(fontSize)
                                                          : Font::system(fontSize));
            if (get<bool>(json, "secondary", false))
                label->setTextColor(SystemColor::secondaryLabel);
            return label;
        }
        if (className == "Button" || className == "Checkbox") {
            const auto title = get<std::string>(json, "title", "");
            auto button =
                className == "Button" ? Button::pushButton(title) : Button::checkbox(title);
            if (auto run = action(json))
                button->setAction(std::move(run));
            return button;
        }
        if (className == "ImageView") {
            auto image =
                std::make_shared<ImageView>(static_cast<int>(get<double>(json, "width", 16)),
                                            static_cast<int>(get<double>(json, "height", 16)));
            if (json.contains("image"))
                image->setImage(get<std::string>(json, "image", ""));
            return image;
        }
        if (className == "ClipView")
            return std::make_shared<ClipView>(get<bool>(json, "flipped", false));
        if (className == "ScrollView") {
            auto scroll = std::make_shared<ScrollView>();
            if (json.contains("clipView")) {
                auto clip =
                    std::dynamic_pointer_cast<ClipView>(build(member(json, "clipView"), cell));
                if (!clip)
                    fail("a scroll view's clipView is a ClipView");
                scroll->setContentView(std::move(clip));
            }
            if (json.contains("document"))
                scroll->setDocumentView(build(member(json, "document"), cell));
            scroll->setHasVerticalScroller(get<bool>(json, "verticalScroller", false));
            scroll->setHasHorizontalScroller(get<bool>(json, "horizontalScroller", false));
            return scroll;
        }
        if (className == "TableView") {
            auto table = std::make_shared<TableView>();
            table->setRowHeight(get<double>(json, "rowHeight", 24));
            table->setHeaderHidden(get<bool>(json, "headerHidden", false));
            for (const auto& column : get<std::vector<std::string>>(json, "columns", {}))
                table->addColumn(column);
            const Json rowViews = get<Json>(json, "rowViews", Json::object());
            for (const auto& [identifier, prototype] : rowViews.items()) {
                // Each row gets a copy of its own, built the same way; a faulty prototype shows
                // now, not at the first row.
                (void)Builder(owner_, nullptr).build(prototype, nullptr);
                table->registerView(identifier, [owner = owner_, description = Json(prototype)] {
                    return Builder(owner, nullptr).build(description, nullptr);
                });
            }
            return table;
        }
        if (className == "Box") {
            if (get<std::string>(json, "boxType", "separator") != "separator")
                fail("the only box type is \"separator\"");
            return std::make_shared<Box>(BoxType::separator);
        }
        fail("no class \"" + className + "\"");
    }

    const InterfaceDescription::Owner& owner_;
    std::map<std::string, std::shared_ptr<View>>* outlets_;
};

}  // namespace

InterfaceDescription::InterfaceDescription(Json description)
    : description_(std::make_shared<const Json>(std::move(description))) {}

InterfaceDescription InterfaceDescription::named(std::string_view name) {
    QFile file(QString::fromStdString(resourcePath("interfaces/" + std::string(name) + ".json")));
    if (!file.open(QIODevice::ReadOnly))
        fail("no description \"" + std::string(name) + "\"");
    const QByteArray bytes = file.readAll();
    auto decoded = platform::decodeJson(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!decoded.ok())
        fail(std::string(name) + ": " + decoded.error());
    return InterfaceDescription(std::move(decoded).value());
}

InterfaceDescription::Instance InterfaceDescription::instantiate(const Owner& owner) const {
    const Json& window = member(*description_, "window");
    Instance instance;
    Builder builder(owner, &instance.outlets);
    auto content = builder.build(member(window, "content"), nullptr);
    instance.window = std::make_shared<TitledWindow>(size(member(window, "contentSize")));
    instance.window->setTitle(get<std::string>(window, "title", ""));
    if (window.contains("minSize"))
        instance.window->setContentMinSize(size(member(window, "minSize")));
    instance.window->setContentView(std::move(content));
    return instance;
}

}  // namespace zoral::ui
