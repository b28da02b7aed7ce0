#include "ui/interface_description.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/button.h"
#include "ui/image_view.h"
#include "ui/scroll_view.h"
#include "ui/stack_view.h"
#include "ui/table_view.h"
#include "ui/text_field.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::ui {
namespace {

using platform::Json;

class InterfaceDescriptionTest : public testing::UiWorldTest {};

// A row view of the owner's class, with an outlet of its own.
class BadgedCell final : public TableCellView {
public:
    bool connectOutlet(const std::string& name, const std::shared_ptr<View>& view) override {
        if (name == "badge") {
            badge = std::dynamic_pointer_cast<ImageView>(view);
            return badge != nullptr;
        }
        return TableCellView::connectOutlet(name, view);
    }
    std::shared_ptr<ImageView> badge;
};

Json window(Json content) {
    return Json{{"window", {{"title", "T"}, {"contentSize", {400, 300}}, {"content", content}}}};
}

TEST_F(InterfaceDescriptionTest, BuildsTheWindowWithItsOutletsActionsAndRowViews) {
    const Json description = window(Json::parse(R"({
      "class": "Stack", "orientation": "vertical", "alignment": "width",
      "views": [
        {"class": "Label", "id": "title", "text": "Hello", "bold": true},
        {"class": "Button", "id": "go", "title": "Go", "action": "go:", "hidden": true},
        {"class": "Checkbox", "id": "box", "title": "Box", "action": "go:"},
        {"class": "ScrollView", "id": "scroll", "verticalScroller": true,
         "clipView": {"class": "ClipView", "id": "clip", "flipped": true},
         "document": {"class": "TableView", "id": "table", "rowHeight": 30, "headerHidden": true,
                      "columns": ["c"],
                      "rowViews": {"c": {"class": "Badged", "views": [
                        {"class": "Stack", "views": [
                          {"class": "ImageView", "outlet": "imageView", "width": 12, "height": 12},
                          {"class": "Label", "outlet": "textField"},
                          {"class": "ImageView", "outlet": "badge", "image": "StatusLight"}]}]}}}}
      ]})"));
    int actions = 0;
    const InterfaceDescription::Owner owner{
        .classes = {{"Badged", [] { return std::make_shared<BadgedCell>(); }}},
        .actions = {{"go:", [&](Control&) { ++actions; }}},
    };
    const auto built = InterfaceDescription(description).instantiate(owner);
    ASSERT_TRUE(built.window);
    EXPECT_EQ(built.window->title(), "T");
    EXPECT_EQ(built.window->contentSize(), (platform::CGSize{400, 300}));
    EXPECT_EQ(built.outlet<TextField>("title")->stringValue(), "Hello");
    EXPECT_TRUE(built.outlet<Button>("go")->isHidden());
    EXPECT_TRUE(built.outlet<ClipView>("clip")->isFlipped());
    EXPECT_EQ(built.outlet<ScrollView>("scroll")->contentView(), built.outlet<ClipView>("clip"));
    const auto table = built.outlet<TableView>("table");
    EXPECT_EQ(built.outlet<ScrollView>("scroll")->documentView(), table);
    EXPECT_EQ(table->rowHeight(), 30);
    EXPECT_FALSE(table->hasHeader());
    EXPECT_EQ(table->columns(), std::vector<std::string>{"c"});
    EXPECT_THROW((void)built.outlet<Button>("title"), InterfaceDescriptionError) << "another class";
    EXPECT_THROW((void)built.outlet<View>("nothing"), InterfaceDescriptionError);

    built.window->makeKeyAndOrderFront();
    built.window->contentView()->layoutSubtreeIfNeeded();
    testing::click(*built.outlet<Button>("box"), QPoint(8, 8));
    EXPECT_EQ(actions, 1);

    // Every row view is a new one, with its own outlets connected.
    const auto first = std::dynamic_pointer_cast<BadgedCell>(table->makeView("c"));
    const auto second = std::dynamic_pointer_cast<BadgedCell>(table->makeView("c"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->imageView() && first->textField() && first->badge);
    EXPECT_NE(first->textField(), second->textField());
    EXPECT_EQ(first->badge->imageName(), "StatusLight");
    EXPECT_EQ(table->makeView("other"), nullptr);
}

TEST_F(InterfaceDescriptionTest, RefusesWhatItCannotBuild) {
    const char* const faults[] = {
        R"({"class": "Slider"})",
        R"({"class": "Label", "title": "a label has text"})",
        R"({"class": "Button", "action": "missing:"})",
        R"({"class": "Stack", "views": [{"class": "View", "id": "a"}, {"class": "View", "id": "a"}]})",
        R"({"class": "View", "views": [{"class": "Label", "outlet": "textField"}]})",
        R"({"class": "TableView", "columns": ["c"], "rowViews": {"c": {"class": "View", "id": "x"}}})",
        R"({"class": "TableView", "columns": ["c"],
            "rowViews": {"c": {"class": "TableCellView", "views": [{"class": "Button", "outlet": "textField"}]}}})",
        R"({"class": "Stack", "alignment": "middle"})",
        R"({"class": "Stack", "insets": [1, 2, 3]})",
        R"({"class": "ScrollView", "clipView": {"class": "View"}})",
        R"({"class": "Label", "text": 3})",
        R"([])",
    };
    for (const char* fault : faults) {
        EXPECT_THROW((void)InterfaceDescription(window(Json::parse(fault))).instantiate({}),
                     InterfaceDescriptionError)
            << fault;
    }
    EXPECT_THROW((void)InterfaceDescription(Json{{"window", {{"content", {{"class", "View"}}}}}})
                     .instantiate({}),
                 InterfaceDescriptionError)
        << "no size";
    EXPECT_THROW((void)InterfaceDescription::named("NoSuchWindow"), InterfaceDescriptionError);
}

}  // namespace
}  // namespace zoral::ui
