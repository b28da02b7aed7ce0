#pragma once

// The desktop as the resolution tables see it, as a plain record of answers, and the readable
// forms the tables' tests are written in: a gesture's state and a desktop as lists of words, an
// outcome as one short line.

#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/direction.h"
#include "desktop/tab.h"
#include "engine/model/modifier.h"
#include "engine/model/origin.h"
#include "engine/model/phase.h"
#include "engine/resolution/resolution.h"
#include "engine/resolution/resolution_query.h"
#include "platform/enum_table.h"
#include "settings/action_user_type.h"

namespace zoral::engine::testing {

// Counts every question, so that a test can tell which answers a decision needed.
class Answers final : public ResolutionQuery {
public:
    bool fullscreen = false;
    bool fullscreenSettable = true;
    bool minimizedSettable = true;
    std::size_t displays = 1;
    std::vector<desktop::Direction> neighbours;
    bool landscape = true;
    std::optional<desktop::TabAppType> tab;
    std::optional<bool> tabFullscreen = false;
    bool reroute = false;
    std::optional<bool> spaceMovable;
    std::size_t minimized = 0;
    std::size_t open = 0;
    bool snapped = false;
    bool snappedOnScreen = false;
    settings::ActionUserTypeSet enabled = allKinds();
    bool chainScreens = false;

    std::map<std::string, int> asked;

    static settings::ActionUserTypeSet allKinds() {
        settings::ActionUserTypeSet kinds;
        for (const auto kind : platform::allCases<settings::ActionUserType>())
            kinds.insert(kind);
        return kinds;
    }

    bool isFullscreen() override { return note("isFullscreen", fullscreen); }
    bool canSetFullscreen() override { return note("canSetFullscreen", fullscreenSettable); }
    bool canSetMinimized() override { return note("canSetMinimized", minimizedSettable); }
    std::size_t displayCount() override { return note("displayCount", displays); }
    std::vector<desktop::Direction> neighbourDirections() override {
        return note("neighbourDirections", neighbours);
    }
    bool isScreenLandscape() override { return note("isScreenLandscape", landscape); }
    std::optional<desktop::TabAppType> tabAppType() override { return note("tabAppType", tab); }
    std::optional<bool> tabWindowFullscreen() override {
        return note("tabWindowFullscreen", tab ? tabFullscreen : std::nullopt);
    }
    bool tabCanReroute() override { return note("tabCanReroute", tab && reroute); }
    std::optional<bool> spaceIsMovable() override { return note("spaceIsMovable", spaceMovable); }
    std::size_t minimizedWindowCount() override { return note("minimizedWindowCount", minimized); }
    std::size_t openWindowCount() override { return note("openWindowCount", open); }
    bool hasSnappedWindows() override { return note("hasSnappedWindows", snapped); }
    bool hasSnappedWindowsOnScreen() override {
        return note("hasSnappedWindowsOnScreen", snappedOnScreen);
    }
    bool isEnabled(settings::ActionUserType kind) override {
        return note("isEnabled", enabled.contains(kind));
    }
    bool chainsScreenMoves() override { return note("chainsScreenMoves", chainScreens); }

private:
    template <class T>
    T note(const std::string& question, T answer) {
        ++asked[question];
        return answer;
    }
};

inline std::vector<std::string> words(std::string_view text) {
    std::istringstream stream{std::string(text)};
    std::vector<std::string> found;
    for (std::string word; stream >> word;)
        found.push_back(word);
    return found;
}

template <class E>
E caseNamed(std::string_view name) {
    for (const E value : platform::allCases<E>()) {
        if (platform::caseName(value) == name)
            return value;
    }
    throw std::invalid_argument("no case named " + std::string(name));
}

template <class E>
std::vector<E> casesNamed(std::string_view names) {
    std::vector<E> found;
    for (const std::string& name : words(names))
        found.push_back(caseNamed<E>(name));
    return found;
}

// The desktop in words, each changing one answer of the default desktop (one display without
// neighbours, a window not in full screen whose states can be set, every action kind enabled):
//   fullscreen, fixedFullscreen, fixedMinimized, portrait, chainScreens, snapped, snappedHere,
//   displays=N, neighbours=right+down, without=windowClose+snapAlmost, minimized=N, open=N,
//   tab=native, tabFullscreen=true|false|unknown, reroute, space=movable|fixed.
inline Answers desktopFrom(std::string_view description) {
    Answers answers;
    for (const std::string& word : words(description)) {
        const std::size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        std::vector<std::string> items;
        for (std::size_t start = 0; start < value.size();) {
            const std::size_t plus = std::min(value.find('+', start), value.size());
            items.push_back(value.substr(start, plus - start));
            start = plus + 1;
        }
        if (key == "fullscreen") {
            answers.fullscreen = true;
        } else if (key == "fixedFullscreen") {
            answers.fullscreenSettable = false;
        } else if (key == "fixedMinimized") {
            answers.minimizedSettable = false;
        } else if (key == "portrait") {
            answers.landscape = false;
        } else if (key == "chainScreens") {
            answers.chainScreens = true;
        } else if (key == "snapped") {
            answers.snapped = true;
        } else if (key == "snappedHere") {
            answers.snapped = answers.snappedOnScreen = true;
        } else if (key == "displays") {
            answers.displays = std::stoul(value);
        } else if (key == "neighbours") {
            for (const std::string& item : items)
                answers.neighbours.push_back(caseNamed<desktop::Direction>(item));
        } else if (key == "without") {
            for (const std::string& item : items)
                answers.enabled.erase(caseNamed<settings::ActionUserType>(item));
        } else if (key == "minimized") {
            answers.minimized = std::stoul(value);
        } else if (key == "open") {
            answers.open = std::stoul(value);
        } else if (key == "tab") {
            answers.tab = caseNamed<desktop::TabAppType>(value);
        } else if (key == "tabFullscreen") {
            answers.tabFullscreen =
                value == "unknown" ? std::nullopt : std::optional<bool>(value == "true");
        } else if (key == "reroute") {
            answers.reroute = true;
        } else if (key == "space") {
            answers.spaceMovable = value == "movable";
        } else {
            throw std::invalid_argument("unknown desktop word " + word);
        }
    }
    return answers;
}

// The outcome in one line, spans written as the tables write them: "snap (0, 0)-(1, 1) in
// (2, 2)", "minimize inactive", "sendToScreen(right) chain", "clear".
inline std::string brief(const Outcome& outcome) {
    static const std::regex snap(
        R"(snap\(start: (\(\d+, \d+\)), end: (\(\d+, \d+\)), matrix: (\(\d+, \d+\))\))");
    return std::regex_replace(describe(outcome), snap, "snap $1-$2 in $3");
}

}  // namespace zoral::engine::testing
