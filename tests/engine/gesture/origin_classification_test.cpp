#include "engine/gesture/origin_classification.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/input/held_flags.h"
#include "origin_world.h"
#include "settings/modifier_flags.h"
#include "sim/application_node.h"
#include "sim/spaces.h"

namespace zoral::engine::testing {
namespace {

using platform::CGEventFlags;
using settings::Defaults::Keys;
using settings::Defaults::writeValue;

constexpr CGEventFlags noFlags{};

class OriginClassificationTest : public OriginWorldTest {
public:
    // The editor's main window, which its menu bar stands for.
    std::shared_ptr<sim::WindowNode> editorMainWindow() {
        const auto application =
            std::static_pointer_cast<sim::ApplicationNode>(world->process(editorPid)->application);
        return application->mainWindow();
    }
    void blacklistEditor() {
        writeValue(Keys::blacklist(), std::set<std::string>{editorIdentifier});
    }
    void showMissionControl() {
        auto& spaces = sim::Spaces::of(*world);
        spaces.setDisplaySpaces(*world, {{"LAPTOP", 1, {{1, false}, {2, false}}}});
        spaces.showMissionControl(*world);
    }
};

// What a row expects: the type and the objects the origin holds (none: no origin).
struct Expected {
    OriginType type;
    std::shared_ptr<sim::Node> element;
    std::shared_ptr<sim::Node> window;
    std::optional<platform::ProcessId> application;
    bool tab = false;
    bool minDockItem = false;
    bool space = false;
};

using Fixture = OriginClassificationTest;

struct OriginRow {
    const char* name;
    std::function<void(Fixture&)> setUp;
    std::function<platform::CGPoint(Fixture&)> pointer;
    CGEventFlags flags;
    std::function<std::optional<Expected>(Fixture&)> expected;
};

std::ostream& operator<<(std::ostream& stream, const OriginRow& row) {
    return stream << row.name;
}

const auto nothing = [](Fixture&) { return std::optional<Expected>(); };

const OriginRow originRows[] = {
    // --- Window parts
    {"TitleBarOfPlainWindow",
     {},
     [](Fixture& f) { return f.below(f.plain, 10); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::titlebar, f.plain, f.plain, f.editorPid});
     }},
    {"ToolbarItem",
     {},
     [](Fixture& f) { return f.centre(f.toolbar->children()[0]->children()[0]); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::toolbar,
                                         f.toolbar->children()[0]->children()[0], f.toolbarWindow,
                                         f.editorPid});
     }},
    {"ToolbarBackground",
     {},
     [](Fixture& f) { return f.below(f.toolbarWindow, 40, 400); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::toolbar, f.toolbar, f.toolbarWindow, f.editorPid});
     }},
    {"CloseButton",
     {},
     [](Fixture& f) { return f.centre(f.plainButtons.close); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::trafficLights, f.plainButtons.close, f.plain, f.editorPid});
     }},
    {"CloseButtonOverAUnifiedToolbar",
     {},
     [](Fixture& f) { return f.centre(f.toolbarButtons.close); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::trafficLights, f.toolbarButtons.close, f.toolbarWindow, f.editorPid});
     }},
    {"MinimizeButton",
     {},
     [](Fixture& f) { return f.centre(f.plainButtons.minimize); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::trafficLights, f.plainButtons.minimize, f.plain, f.editorPid});
     }},
    {"FullScreenButton",
     {},
     [](Fixture& f) { return f.centre(f.plainButtons.green); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::trafficLights, f.plainButtons.green, f.plain, f.editorPid});
     }},
    {"ZoomButtonIsTitleBar",
     {},
     [](Fixture& f) { return f.centre(f.zoomButtons.green); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::titlebar, f.zoomButtons.green, f.zoomWindow, f.editorPid});
     }},
    {"ContentBelowTitleBar", {}, [](Fixture& f) { return f.below(f.plain, 60); }, noFlags, nothing},
    {"BareWindowAtDefaultHeight",
     {},
     [](Fixture& f) { return f.below(f.bare, 23); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::titlebar, f.bare, f.bare, f.editorPid});
     }},
    {"BareWindowBelowDefaultHeight",
     {},
     [](Fixture& f) { return f.below(f.bare, 24); },
     noFlags,
     nothing},
    {"FarBelowTop", {}, [](Fixture& f) { return f.below(f.plain, 121); }, noFlags, nothing},
    {"FarBelowTopWithSuper",
     {},
     [](Fixture& f) { return f.below(f.plain, 121); },
     fn,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::window, f.plain->children().back(), f.plain, f.editorPid});
     }},
    {"SuperModifierWithoutFlagsAlwaysHeld",
     [](Fixture&) { writeValue(Keys::superModifier(), settings::ModifierFlags{}); },
     [](Fixture& f) { return f.below(f.plain, 10); }, noFlags,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::window, f.plain, f.plain, f.editorPid});
     }},
    {"Popover", {}, [](Fixture& f) { return f.below(f.popoverWindow, 32, 102); }, noFlags, nothing},
    {"ButtonInPopover",
     {},
     [](Fixture& f) { return f.centre(f.popover->children()[0]); },
     noFlags,
     nothing},
    {"MenuItemInWindow",
     {},
     [](Fixture& f) { return f.centre(f.menu->children()[0]); },
     noFlags,
     nothing},
    {"SystemDialogWithoutEnabledClose",
     {},
     [](Fixture& f) { return f.below(f.lockedDialog, 10); },
     noFlags,
     nothing},
    {"SystemDialogThatCloses",
     {},
     [](Fixture& f) { return f.below(f.dialog, 10); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::titlebar, f.dialog, f.dialog, f.agentPid});
     }},
    {"Tab",
     {},
     [](Fixture& f) { return f.centre(f.tabStrip.labels[0]); },
     noFlags,
     [](Fixture& f) {
         Expected expected{OriginType::tab, f.tabStrip.labels[0], f.tabWindow, f.browserPid};
         expected.tab = true;
         return std::optional<Expected>(expected);
     }},
    {"MissionControlWindow", [](Fixture& f) { f.showMissionControl(); },
     [](Fixture& f) { return f.below(f.plain, 150); }, noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::mcWindow, f.plain->children().back(), f.plain, f.editorPid});
     }},
    {"MissionControlSpace", [](Fixture& f) { f.showMissionControl(); },
     [](Fixture& f) { return f.centre(sim::Spaces::of(*f.world).buttonOf(2)); }, noFlags,
     [](Fixture&) {
         Expected expected{OriginType::mcSpace, nullptr, nullptr, std::nullopt};
         expected.space = true;
         return std::optional<Expected>(expected);
     }},

    // --- Blacklisted applications
    {"BlacklistedWindow", [](Fixture& f) { f.blacklistEditor(); },
     [](Fixture& f) { return f.below(f.plain, 10); }, noFlags, nothing},
    {"BlacklistedWindowWithSuper", [](Fixture& f) { f.blacklistEditor(); },
     [](Fixture& f) { return f.below(f.plain, 10); }, fn,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::window, f.plain, f.plain, f.editorPid});
     }},
    {"BlacklistedMenuBar", [](Fixture& f) { f.blacklistEditor(); },
     [](Fixture&) {
         return platform::CGPoint{700, 10};
     },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::menubar, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"BlacklistedMenu", [](Fixture& f) { f.blacklistEditor(); },
     [](Fixture& f) { return f.centre(f.menuBar.items[2]); }, noFlags, nothing},
    {"BlacklistedDockTile", [](Fixture& f) { f.blacklistEditor(); },
     [](Fixture& f) { return f.centre(f.editorTile); }, noFlags, nothing},
    {"BlacklistedDockTileWithSuper", [](Fixture& f) { f.blacklistEditor(); },
     [](Fixture& f) { return f.centre(f.editorTile); }, fn,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::window, nullptr, f.editorMainWindow(), f.editorPid});
     }},

    // --- The menu bar
    {"MenuBar",
     {},
     [](Fixture&) {
         return platform::CGPoint{700, 10};
     },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::menubar, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"MenuBarInFullScreen", [](Fixture& f) { f.editorMainWindow()->set("AXFullScreen", true); },
     [](Fixture&) {
         return platform::CGPoint{700, 10};
     },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::menubarFS, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"ApplicationMenu",
     {},
     [](Fixture& f) { return f.centre(f.menuBar.items[2]); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::menu, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"ApplicationMenuInFullScreen",
     [](Fixture& f) { f.editorMainWindow()->set("AXFullScreen", true); },
     [](Fixture& f) { return f.centre(f.menuBar.items[1]); }, noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::menuFS, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"StatusItemIsNoMenu", {}, [](Fixture& f) { return f.centre(f.statusItem); }, noFlags, nothing},
    {"BareApplicationElementAboveVisibleFrame",
     [](Fixture& f) { sim::workspace(*f.world).activateNow(*f.world, f.browserPid); },
     [](Fixture&) {
         return platform::CGPoint{700, 10};
     },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>({OriginType::menubar, nullptr, f.tabWindow, f.browserPid});
     }},

    // --- The Dock
    {"ApplicationTile",
     {},
     [](Fixture& f) { return f.centre(f.editorTile); },
     noFlags,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::dockItem, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"ApplicationTileWithSuper",
     {},
     [](Fixture& f) { return f.centre(f.editorTile); },
     fn,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::window, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"ApplicationTileWithSuperAllMinimized",
     [](Fixture& f) {
         for (const auto& window :
              {f.plain, f.toolbarWindow, f.zoomWindow, f.popoverWindow, f.bare})
             window->setMinimized(*f.world, true);
     },
     [](Fixture& f) { return f.centre(f.editorTile); }, fn, nothing},
    {"ApplicationTileWithSuperRequired",
     [](Fixture&) { writeValue(Keys::requireSuperMod(), true); },
     [](Fixture& f) { return f.centre(f.editorTile); }, fn,
     [](Fixture& f) {
         return std::optional<Expected>(
             {OriginType::dockItem, nullptr, f.editorMainWindow(), f.editorPid});
     }},
    {"FolderTile", {}, [](Fixture& f) { return f.centre(f.folderTile); }, noFlags, nothing},
    {"TrashTile", {}, [](Fixture& f) { return f.centre(f.trashTile); }, noFlags, nothing},
    {"TileOfUninstalledApplication",
     {},
     [](Fixture& f) { return f.centre(f.strangerTile); },
     noFlags,
     nothing},
    {"MinimizedWindowTile", [](Fixture& f) { f.plain->setMinimized(*f.world, true); },
     [](Fixture& f) { return f.centre(f.dock->tileOf(*f.plain)); }, noFlags,
     [](Fixture&) {
         Expected expected{OriginType::minDockItem, nullptr, nullptr, std::nullopt};
         expected.minDockItem = true;
         return std::optional<Expected>(expected);
     }},
};

class OriginTable : public OriginClassificationTest,
                    public ::testing::WithParamInterface<OriginRow> {};

TEST_P(OriginTable, ClassifiesTheStart) {
    const OriginRow& row = GetParam();
    if (row.setUp)
        row.setUp(*this);
    const platform::CGPoint pointer = row.pointer(*this);
    const std::optional<Expected> expected = row.expected(*this);

    const std::optional<Origin> origin = originAt(pointer, row.flags);

    ASSERT_EQ(origin.has_value(), expected.has_value())
        << (origin ? std::string(platform::caseName(origin->type)) : std::string("no origin"));
    if (!expected)
        return;
    EXPECT_EQ(origin->type, expected->type);
    if (expected->element) {
        ASSERT_NE(origin->element, nullptr);
        EXPECT_TRUE(is(origin->element, expected->element)) << origin->element->description();
    }
    if (expected->window)
        EXPECT_TRUE(is(origin->window, expected->window));
    else
        EXPECT_EQ(origin->window, nullptr);
    if (expected->application) {
        ASSERT_NE(origin->application, nullptr);
        EXPECT_EQ(origin->application->pid(), expected->application);
    }
    EXPECT_EQ(origin->tab != nullptr, expected->tab);
    EXPECT_EQ(origin->minDockItem != nullptr, expected->minDockItem);
    EXPECT_EQ(origin->space != nullptr, expected->space);
    // The location is the pointer's, in bottom-left coordinates, and the screen the laptop's.
    EXPECT_EQ(origin->location, (platform::CGPoint{pointer.x, 900 - pointer.y}));
    EXPECT_EQ(origin->screen.uiFrame, (platform::CGRect{0, 0, 1440, 900}));
}

INSTANTIATE_TEST_SUITE_P(Places, OriginTable, ::testing::ValuesIn(originRows),
                         [](const ::testing::TestParamInfo<OriginRow>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
}  // namespace zoral::engine::testing
