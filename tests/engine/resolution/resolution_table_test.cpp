// The resolution tables, driven one resolution at a time from a gesture's state and a desktop's
// answers. Each row reads: where the gesture started, its directions and phases so far, the roles
// (and gesture flags) held, the desktop, and what the resolution does.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/resolution/resolution.h"
#include "resolution_answers.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using testing::Answers;
using testing::brief;
using testing::caseNamed;
using testing::casesNamed;
using testing::desktopFrom;
using testing::words;

struct Row {
    const char* origin;
    const char* directions;
    const char* phases;
    // Modifier roles, and the gesture flags cmdTabbing and chaining.
    const char* held;
    // The words of desktopFrom.
    const char* desktop;
    // brief(outcome), then " [cmdTabbing]" when the switcher starts, " [window]" when a tab
    // gesture becomes a window gesture.
    const char* expected;
};

struct Resolved {
    Resolution resolution;
    Answers answers;
};

Resolved resolveRow(const Row& row) {
    const auto directions = casesNamed<Direction>(row.directions);
    const auto phases = casesNamed<Phase>(row.phases);
    std::vector<Modifier> modifiers;
    GestureState state{.originType = caseNamed<OriginType>(row.origin)};
    for (const std::string& word : words(row.held)) {
        if (word == "cmdTabbing")
            state.isCmdTabbing = true;
        else if (word == "chaining")
            state.isChaining = true;
        else
            modifiers.push_back(caseNamed<Modifier>(word));
    }
    state.directions = directions;
    state.phases = phases;
    state.modifiers = modifiers;
    Answers answers = desktopFrom(row.desktop);
    Resolution resolution = resolveAction(state, answers);
    return {std::move(resolution), std::move(answers)};
}

std::string outcomeOf(const Row& row) {
    const Resolution resolution = resolveRow(row).resolution;
    std::string text = brief(resolution.outcome);
    if (resolution.startsCmdTabbing)
        text += " [cmdTabbing]";
    if (resolution.reroutesToWindow)
        text += " [window]";
    return text;
}

void expectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        EXPECT_EQ(outcomeOf(row), row.expected)
            << row.origin << " | " << row.directions << " | " << row.phases << " | " << row.held
            << " | " << row.desktop;
    }
}

constexpr const char* two = "displays=2 neighbours=right";

// clang-format off
TEST(ActionResolution, WindowScrollsAndPinches) {
    expectRows({
        {"titlebar", "up",               "scrolled",                   "", "",                     "snap (0, 0)-(1, 1) in (1, 1)"},
        {"titlebar", "up left",          "scrolled scrolled",          "", "",                     "snap (0, 0)-(1, 1) in (2, 2)"},
        {"titlebar", "up right",         "scrolled scrolled",          "", "",                     "snap (1, 0)-(2, 1) in (2, 2)"},
        {"titlebar", "up up",            "scrolled scrolled",          "", "",                     "snap (0, 0)-(1, 1) in (1, 2)"},
        {"titlebar", "down up",          "scrolled scrolled",          "", "",                     "snap (0, 0)-(1, 1) in (1, 1)"},
        {"toolbar",  "down",             "scrolled",                   "", "",                     "minimize"},
        {"toolbar",  "down",             "scrolled",                   "", "fixedMinimized",       "minimize inactive"},
        {"titlebar", "down down",        "scrolled scrolled",          "", "",                     "snap (0, 1)-(1, 2) in (1, 2)"},
        {"titlebar", "down right",       "scrolled scrolled",          "", "",                     "snap (1, 1)-(2, 2) in (2, 2)"},
        {"titlebar", "up down",          "scrolled scrolled",          "", "",                     "minimize"},
        {"titlebar", "left",             "scrolled",                   "", "",                     "snap (0, 0)-(1, 1) in (2, 1)"},
        {"titlebar", "down left",        "scrolled scrolled",          "", "",                     "snap (0, 1)-(1, 2) in (2, 2)"},
        {"titlebar", "right down",       "scrolled scrolled",          "", "",                     "snap (1, 1)-(2, 2) in (2, 2)"},
        {"titlebar", "left right",       "scrolled scrolled",          "", "",                     "snap (1, 0)-(2, 1) in (2, 1)"},
        {"hotkey",   "right up",         "scrolled scrolled",          "", "",                     "snap (1, 0)-(2, 1) in (2, 2)"},
        {"titlebar", "inwards",          "zoomed",                     "", "",                     "close"},
        {"titlebar", "inwards",          "zoomed",                     "", "without=windowClose",  "terminateWin"},
        {"titlebar", "inwards inwards",  "zoomed zoomed",              "", "",                     "terminateWin"},
        {"titlebar", "outwards",         "zoomed",                     "", "",                     "fullscreen"},
        {"titlebar", "outwards",         "zoomed",                     "", "fixedFullscreen",      "fullscreen inactive"},
        {"titlebar", "outwards outwards","zoomed zoomed",              "", two,                    "sendToFullscreen(right)"},
        {"titlebar", "outwards outwards","zoomed zoomed",              "", "displays=3 neighbours=left+right", "fullscreen"},
        {"titlebar", "",                 "tapped",                     "", "",                     "center"},
        {"titlebar", "up",               "scrolled tapped",            "", "",                     "center"},
        {"titlebar", "",                 "tapped",                     "general", "",              "hideWin"},
        {"titlebar", "",                 "paused",                     "", "",                     "nothing"},
        {"titlebar", "",                 "",                           "", "",                     "nothing"},
    });
}

TEST(ActionResolution, WindowWithTheGeneralRole) {
    expectRows({
        {"titlebar", "up",               "scrolled",                   "general", "",                    "fullscreen"},
        {"titlebar", "up",               "scrolled",                   "general", "fixedFullscreen",     "fullscreen inactive"},
        {"titlebar", "down",             "scrolled",                   "general", "",                    "close"},
        {"titlebar", "down",             "scrolled",                   "general", "without=windowClose", "terminateWin"},
        {"titlebar", "down down",        "scrolled scrolled",          "general", "",                    "terminateWin"},
        {"titlebar", "left",             "scrolled",                   "general", "",                    "sendToSpace(left)"},
        {"titlebar", "up right",         "scrolled scrolled",          "general", "",                    "sendToSpace(right)"},
        {"titlebar", "inwards",          "zoomed",                     "general", "",                    "close"},
        {"titlebar", "outwards outwards","zoomed zoomed",              "general", two,                   "sendToFullscreen(right)"},
    });
}

// A single up and a rest is full screen in place; up, up (or outwards) reaches the other display
// when exactly two are attached and the origin's screen has a neighbour.
TEST(ActionResolution, WindowAfterARest) {
    expectRows({
        {"titlebar", "",                 "rested",                     "", "",                            "clear"},
        {"titlebar", "up",               "scrolled rested",            "", "",                            "fullscreen"},
        {"titlebar", "up",               "scrolled rested",            "", two,                           "fullscreen"},
        {"titlebar", "up",               "scrolled rested",            "", "fixedFullscreen",             "fullscreen inactive"},
        {"titlebar", "up up",            "scrolled scrolled rested",   "", "",                            "fullscreen"},
        {"titlebar", "up up",            "scrolled scrolled rested",   "", two,                           "sendToFullscreen(right)"},
        {"titlebar", "up up",            "scrolled scrolled rested",   "", "displays=2 neighbours=down+left", "sendToFullscreen(down)"},
        {"titlebar", "up up",            "scrolled scrolled rested",   "", "displays=2",                  "fullscreen"},
        {"titlebar", "up up",            "scrolled scrolled rested",   "", "displays=3 neighbours=right", "fullscreen"},
        {"titlebar", "up up",            "scrolled rested scrolled",   "", two,                           "sendToFullscreen(right)"},
        {"titlebar", "down",             "scrolled rested",            "", "fixedMinimized",              "minimize"},
        {"titlebar", "down",             "scrolled rested",            "general", "",                     "terminateWin"},
        {"titlebar", "left",             "scrolled rested",            "", "",                            "sendToSpace(left)"},
        {"titlebar", "right",            "scrolled rested",            "", "",                            "sendToSpace(right)"},
        {"titlebar", "inwards",          "zoomed rested",              "", "",                            "terminateWin"},
        {"titlebar", "outwards",         "zoomed rested",              "", two,                           "sendToFullscreen(right)"},
        {"titlebar", "outwards",         "zoomed rested",              "", "",                            "fullscreen"},
    });
}

TEST(ActionResolution, FullscreenWindow) {
    expectRows({
        {"titlebar",  "up",              "scrolled",                   "", "fullscreen",                  "clear"},
        {"titlebar",  "up",              "scrolled rested",            "", "fullscreen",                  "unfullscreen"},
        {"titlebar",  "up",              "scrolled",                   "general", "fullscreen",           "unfullscreen"},
        {"titlebar",  "up",              "chained scrolled",           "", "fullscreen",                  "unfullscreen"},
        {"menuFS",    "up",              "scrolled",                   "", "fullscreen",                  "unfullscreen"},
        {"titlebar",  "up up",           "scrolled scrolled rested",   "", "fullscreen displays=2 neighbours=left", "sendToFullscreen(left)"},
        {"titlebar",  "up up",           "scrolled scrolled rested",   "", "fullscreen",                  "unfullscreen"},
        {"titlebar",  "up up",           "scrolled scrolled",          "", "fullscreen",                  "clear"},
        {"titlebar",  "down",            "scrolled",                   "", "fullscreen",                  "clear"},
        {"titlebar",  "down",            "scrolled",                   "secondary", "fullscreen",         "minimizeFS"},
        {"titlebar",  "down",            "scrolled rested",            "", "fullscreen fixedMinimized",   "minimizeFS inactive"},
        {"titlebar",  "down",            "scrolled",                   "general", "fullscreen",           "close"},
        {"titlebar",  "down",            "scrolled rested",            "general", "fullscreen",           "terminateWin"},
        {"titlebar",  "down",            "scrolled",                   "general", "fullscreen without=windowClose", "terminateWin"},
        {"titlebar",  "down down",       "scrolled scrolled",          "general", "fullscreen",           "terminateWin"},
        {"titlebar",  "left",            "scrolled rested",            "", "fullscreen",                  "clear"},
        {"titlebar",  "inwards",         "zoomed",                     "", "fullscreen",                  "close"},
        {"titlebar",  "inwards",         "zoomed",                     "", "fullscreen without=windowClose", "terminateWin"},
        {"titlebar",  "inwards",         "zoomed rested",              "", "fullscreen",                  "terminateWin"},
        {"titlebar",  "inwards inwards", "zoomed zoomed",              "", "fullscreen",                  "terminateWin"},
        {"titlebar",  "outwards",        "zoomed",                     "", "fullscreen",                  "unfullscreen"},
        {"titlebar",  "outwards outwards","zoomed zoomed",             "", "fullscreen displays=2 neighbours=up", "sendToFullscreen(up)"},
        {"titlebar",  "",                "rested",                     "", "fullscreen",                  "clear"},
        // The screen role does not reach a full-screen window: the full-screen table comes first.
        {"titlebar",  "right",           "scrolled",                   "screen", "fullscreen displays=2 neighbours=right", "clear"},
    });
}

// On the menu bar over a full-screen window, what the full-screen table leaves drives the
// application switcher.
TEST(ActionResolution, ApplicationSwitcher) {
    expectRows({
        {"menubarFS", "left",            "scrolled",                   "", "fullscreen",                  "cmdTab(left)"},
        {"menubarFS", "right",           "scrolled",                   "", "fullscreen",                  "cmdTab(right)"},
        {"menubarFS", "",                "rested",                     "", "fullscreen",                  "invokeAppSwitcher now [cmdTabbing]"},
        {"menubarFS", "",                "scrolled",                   "", "fullscreen",                  "nothing"},
        {"menubarFS", "left",            "scrolled",                   "cmdTabbing", "fullscreen",        "nothing"},
        {"menubarFS", "left",            "scrolled released",          "cmdTabbing", "fullscreen",        "exitAppSwitcher"},
        {"titlebar",  "up",              "scrolled rested released",   "cmdTabbing", "fullscreen",        "exitAppSwitcher"},
        {"menubarFS", "up",              "scrolled",                   "", "fullscreen",                  "unfullscreen"},
    });
}

TEST(ActionResolution, ScreenRole) {
    expectRows({
        {"titlebar", "right",            "scrolled",                   "screen", two,                            "sendToScreen(right)"},
        {"titlebar", "left",             "scrolled",                   "screen", two,                            "clear"},
        {"titlebar", "right",            "scrolled",                   "screen", "",                             "clear"},
        {"titlebar", "right",            "scrolled paused",            "screen", two,                            "sendToScreen(right)"},
        {"titlebar", "right",            "scrolled paused",            "screen", "displays=2 neighbours=right chainScreens", "sendToScreen(right) chain"},
        {"titlebar", "right",            "scrolled",                   "screen", "displays=2 neighbours=right chainScreens", "sendToScreen(right)"},
        {"titlebar", "outwards",         "zoomed",                     "screen", two,                            "sendToFullscreen(right)"},
        {"titlebar", "outwards",         "zoomed",                     "screen", "displays=2 neighbours=right fixedFullscreen", "clear"},
        {"titlebar", "outwards",         "zoomed",                     "screen", "displays=3 neighbours=right", "clear"},
        {"titlebar", "up",               "scrolled rested",            "screen", two,                            "sendToFullscreen(right)"},
        {"titlebar", "up",               "scrolled",                   "screen", "displays=2 neighbours=up",     "sendToScreen(up)"},
        {"titlebar", "",                 "rested",                     "screen", two,                            "clear"},
        // The screen role wins over the others held with it.
        {"titlebar", "right",            "scrolled",                   "screen secondary", two,                  "sendToScreen(right)"},
    });
}

// From the initial spans: 3 x 2 is the middle column, 2 x 3 the middle row, 3 x 3 the centre
// cell; the gesture's first scroll steps twice.
TEST(ActionResolution, SecondaryAndTertiaryRoles) {
    expectRows({
        {"titlebar", "up",               "scrolled",                   "secondary", "",                  "snap (1, 1)-(19, 19) in (20, 20)"},
        {"titlebar", "up",               "scrolled",                   "secondary", "without=snapAlmost", "snap (1, 0)-(2, 1) in (3, 2)"},
        {"titlebar", "up",               "scrolled",                   "secondary", "without=snapAlmost portrait", "snap (0, 0)-(2, 1) in (2, 3)"},
        {"titlebar", "left",             "scrolled",                   "secondary", "",                  "snap (0, 0)-(1, 2) in (3, 2)"},
        {"titlebar", "up",               "rested scrolled",            "secondary", "",                  "snap (1, 0)-(2, 1) in (3, 2)"},
        {"titlebar", "",                 "rested",                     "secondary", "",                  "snap (1, 0)-(2, 2) in (3, 2)"},
        {"titlebar", "",                 "rested",                     "secondary", "portrait",          "snap (0, 1)-(2, 2) in (2, 3)"},
        {"titlebar", "",                 "tapped",                     "secondary", "",                  "hideWinExcept"},
        {"titlebar", "left",             "scrolled paused",            "secondary", "",                  "nothing"},
        {"titlebar", "left",             "scrolled",                   "tertiary",  "",                  "snap (0, 1)-(1, 2) in (3, 3)"},
        {"titlebar", "up",               "scrolled",                   "tertiary",  "",                  "snap (1, 0)-(2, 1) in (3, 3)"},
        {"titlebar", "inwards",          "zoomed",                     "tertiary",  "",                  "nothing"},
        {"titlebar", "left",             "scrolled paused",            "tertiary",  "",                  "snap (1, 1)-(2, 2) in (3, 3)"},
        {"titlebar", "",                 "rested",                     "tertiary",  "",                  "snap (1, 1)-(2, 2) in (3, 3)"},
        {"titlebar", "",                 "tapped",                     "tertiary",  "",                  "nothing"},
    });
}

TEST(ActionResolution, Tab) {
    expectRows({
        {"tab", "",                      "rested",                     "", "tab=native",                  "detachTab chain"},
        {"tab", "",                      "rested",                     "", "tab=safari",                  "detachTab chain"},
        {"tab", "",                      "rested",                     "", "tab=native tabFullscreen=true", "clear"},
        {"tab", "",                      "rested",                     "", "tab=native tabFullscreen=unknown", "clear"},
        {"tab", "",                      "rested",                     "", "tab=chrome",                  "clear"},
        {"tab", "",                      "rested released",            "chaining", "tab=native",          "cancelDetachTab now, then cancel"},
        {"tab", "",                      "released",                   "", "tab=native",                  "clear"},
        {"tab", "inwards",               "zoomed",                     "", "tab=chrome",                  "closeTab"},
        {"tab", "down",                  "scrolled",                   "general", "tab=chrome",           "closeTab"},
        {"tab", "down",                  "scrolled",                   "", "tab=chrome",                  "clear"},
        {"tab", "down",                  "scrolled",                   "", "tab=chrome reroute",          "minimize [window]"},
        {"tab", "",                      "",                           "", "tab=chrome reroute",          "clear"},
        // A rest on a tab of a full-screen window, taken as a window gesture, is the full-screen
        // table's: nothing detaches.
        {"tab", "",                      "rested",                     "", "tab=native tabFullscreen=true fullscreen reroute", "clear [window]"},
    });
}

TEST(ActionResolution, MinimizedDockTileAndMissionControlSpace) {
    expectRows({
        {"minDockItem", "up",            "scrolled",                   "", "",                            "unminimizeFromPreview"},
        {"minDockItem", "up",            "scrolled paused",            "", "",                            "unminimizeFromPreview chain"},
        {"minDockItem", "",              "rested",                     "", "",                            "unminimizeFromPreview chain"},
        {"minDockItem", "down",          "scrolled",                   "", "",                            "clear"},
        {"mcSpace",     "right",         "scrolled",                   "", "displays=2 neighbours=right space=movable", "sendSpaceToScreen(right)"},
        {"mcSpace",     "right",         "scrolled",                   "", "displays=2 neighbours=right space=fixed",   "sendSpaceToScreen(right) inactive"},
        {"mcSpace",     "left",          "scrolled",                   "", "displays=2 neighbours=right space=movable", "clear"},
        {"mcSpace",     "right",         "scrolled",                   "", "displays=2 neighbours=right",               "clear"},
    });
}

TEST(ActionResolution, DockTile) {
    expectRows({
        {"dockItem", "up",               "scrolled",                   "", "",                            "unminimizeLast inactive"},
        {"dockItem", "up",               "scrolled",                   "", "minimized=1",                 "unminimizeLast"},
        {"dockItem", "up",               "scrolled paused",            "", "minimized=1",                 "unminimizeLast chain"},
        {"dockItem", "up",               "scrolled",                   "secondary", "minimized=2",        "unminimizeAll"},
        {"dockItem", "up",               "scrolled",                   "general", "",                     "cmdNew"},
        {"dockItem", "down",             "scrolled",                   "", "open=1",                      "minimizeNext"},
        {"dockItem", "down",             "scrolled",                   "", "",                            "minimizeNext inactive"},
        {"dockItem", "down",             "scrolled",                   "secondary", "open=1",             "minimizeAll"},
        {"dockItem", "down",             "scrolled",                   "general", "",                     "terminateApp"},
        {"dockItem", "left",             "scrolled",                   "", "open=1",                      "cycle(left) inactive"},
        {"dockItem", "right",            "scrolled",                   "", "open=2",                      "cycle(right)"},
        {"dockItem", "left",             "scrolled paused",            "", "open=2",                      "cycle(left) chain"},
        {"dockItem", "inwards",          "zoomed",                     "", "",                            "terminateApp"},
        {"dockItem", "inwards inwards",  "zoomed zoomed",              "", "open=3",                      "minimizeAll"},
        {"dockItem", "outwards",         "zoomed",                     "", "",                            "cmdNew"},
        {"dockItem", "outwards outwards","zoomed zoomed",              "", "",                            "unminimizeAll inactive"},
        {"dockItem", "",                 "rested",                     "", "",                            "activate chain"},
        {"dockItem", "up",               "scrolled rested",            "", "minimized=1 without=appChain", "unminimizeLast"},
        {"dockItem", "",                 "rested",                     "", "without=appChain",            "nothing"},
        {"dockItem", "",                 "tapped",                     "", "",                            "hide"},
        {"dockItem", "",                 "tapped",                     "secondary", "",                   "hideExcept"},
        {"menu",     "down",             "scrolled",                   "", "open=1",                      "minimizeNext"},
    });
}

TEST(ActionResolution, MenuBar) {
    expectRows({
        {"menubar", "down",              "scrolled",                   "", "",                            "minimizeGlobal"},
        {"menubar", "down",              "scrolled",                   "", two,                           "minimizeScreen"},
        {"menubar", "down down",         "scrolled scrolled",          "", two,                           "minimizeGlobal"},
        {"menubar", "down",              "scrolled",                   "secondary", two,                  "minimizeGlobal"},
        {"menubar", "up",                "scrolled",                   "", "",                            "unminimizeGlobal"},
        {"menubar", "up",                "scrolled",                   "", two,                           "unminimizeScreen"},
        {"menubar", "up up",             "scrolled scrolled",          "", two,                           "unminimizeGlobal"},
        {"menubar", "",                  "tapped",                     "", two,                           "unsnapScreen inactive"},
        {"menubar", "",                  "tapped",                     "", "",                            "unsnapGlobal inactive"},
        {"menubar", "",                  "tapped",                     "", "displays=2 snapped",          "unsnapScreen"},
        {"menubar", "",                  "tapped",                     "secondary", "displays=2 snapped", "unsnapGlobal"},
        {"menubar", "left",              "scrolled",                   "", "",                            "cmdTab(left)"},
        {"menubar", "",                  "rested",                     "", "",                            "invokeAppSwitcher now [cmdTabbing]"},
        {"menubar", "left",              "scrolled released",          "cmdTabbing", "",                  "exitAppSwitcher"},
        {"menubar", "inwards",           "zoomed",                     "", "",                            "nothing"},
        {"menubar", "right",             "scrolled",                   "screen", "displays=2 neighbours=right snappedHere", "sendAllToScreen(right)"},
        {"menubar", "right",             "scrolled",                   "screen", "displays=2 neighbours=right snapped",     "sendAllToScreen(right) inactive"},
        {"menubar", "left",              "scrolled",                   "screen", two,                     "clear"},
    });
}
// clang-format on

// The handlers read the desktop only where their row needs it: a plain scroll on a title bar asks
// about full screen and nothing else; a Dock tile's cycle counts the open windows only.
TEST(ActionResolution, AsksOnlyWhatTheRowNeeds) {
    const auto asked = [](const Row& row) {
        std::string text;
        for (const auto& [question, count] : resolveRow(row).answers.asked)
            text += question + " x" + std::to_string(count) + "; ";
        return text;
    };
    EXPECT_EQ(asked({"titlebar", "up left", "scrolled scrolled", "", "", ""}), "isFullscreen x1; ");
    EXPECT_EQ(asked({"dockItem", "left", "scrolled", "", "open=2", ""}), "openWindowCount x1; ");
    EXPECT_EQ(asked({"titlebar", "up up", "scrolled scrolled rested", "", two, ""}),
              "displayCount x1; isFullscreen x1; neighbourDirections x1; ");
}

}  // namespace
}  // namespace zoral::engine
