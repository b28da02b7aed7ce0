#pragma once

// What a finished gesture does: one Action, some carrying a grid span or a direction. Each action
// counts as one of the user-facing kinds that the settings enable and count, and is previewed by a
// tooltip of its own look.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "desktop/direction.h"
#include "engine/model/grid_span.h"
#include "engine/model/tooltip_style.h"
#include "platform/enum_table.h"
#include "settings/action_user_type.h"

namespace zoral::engine {

class Action {
public:
    // The cases with a payload come first: snap carries a span, the next seven a direction.
    enum class Kind : std::uint8_t {
        snap,
        sendToFullscreen,
        sendToScreen,
        sendToSpace,
        cycle,
        sendAllToScreen,
        sendSpaceToScreen,
        cmdTab,
        close,
        terminateWin,
        minimize,
        minimizeFS,
        fullscreen,
        unfullscreen,
        hideWin,
        hideWinExcept,
        closeTab,
        detachTab,
        cancelDetachTab,
        center,
        activate,
        terminateApp,
        minimizeNext,
        minimizeAll,
        unminimizeLast,
        unminimizeAll,
        unminimizeFromPreview,
        hide,
        hideExcept,
        cmdNew,
        scrollToTop,
        unsnapScreen,
        unsnapGlobal,
        minimizeScreen,
        minimizeGlobal,
        unminimizeScreen,
        unminimizeGlobal,
        invokeAppSwitcher,
        exitAppSwitcher,
    };

    // Stored by name in the settings "actions" and "numberOfActions".
    using UserType = settings::ActionUserType;

    // What kind of payload a case carries.
    enum class PayloadKind : std::uint8_t { none, span, direction };
    static constexpr PayloadKind payloadKind(Kind kind) {
        if (kind == Kind::snap)
            return PayloadKind::span;
        return kind <= Kind::cmdTab ? PayloadKind::direction : PayloadKind::none;
    }

    // A case without payload. Throws std::invalid_argument for a case that carries one.
    explicit Action(Kind kind);
    // A case that carries a direction. Throws std::invalid_argument for any other case.
    Action(Kind kind, desktop::Direction direction);
    static Action snap(const GridSpan& span) { return Action(span); }

    Kind kind() const { return kind_; }
    std::optional<GridSpan> span() const;
    std::optional<desktop::Direction> direction() const;

    // The case name with the payload in parentheses: "snap(start: (0, 0), end: (1, 1), matrix:
    // (2, 1))", "sendToScreen(left)", "close".
    std::string description() const;

    UserType userType() const;
    TooltipStyle tooltipStyle() const;

    // The same case with the same payload, which is what equal descriptions amount to.
    friend bool operator==(const Action&, const Action&) = default;

private:
    explicit Action(const GridSpan& span) : kind_(Kind::snap), payload_(span) {}

    Kind kind_;
    std::variant<std::monostate, GridSpan, desktop::Direction> payload_;
};

std::ostream& operator<<(std::ostream& stream, const Action& action);

}  // namespace zoral::engine

namespace zoral::platform {

template <>
struct EnumTable<engine::Action::Kind> {
    using enum engine::Action::Kind;
    static constexpr std::array<NamedCase<engine::Action::Kind>, 39> cases{{
        {snap, "snap"},
        {sendToFullscreen, "sendToFullscreen"},
        {sendToScreen, "sendToScreen"},
        {sendToSpace, "sendToSpace"},
        {cycle, "cycle"},
        {sendAllToScreen, "sendAllToScreen"},
        {sendSpaceToScreen, "sendSpaceToScreen"},
        {cmdTab, "cmdTab"},
        {close, "close"},
        {terminateWin, "terminateWin"},
        {minimize, "minimize"},
        {minimizeFS, "minimizeFS"},
        {fullscreen, "fullscreen"},
        {unfullscreen, "unfullscreen"},
        {hideWin, "hideWin"},
        {hideWinExcept, "hideWinExcept"},
        {closeTab, "closeTab"},
        {detachTab, "detachTab"},
        {cancelDetachTab, "cancelDetachTab"},
        {center, "center"},
        {activate, "activate"},
        {terminateApp, "terminateApp"},
        {minimizeNext, "minimizeNext"},
        {minimizeAll, "minimizeAll"},
        {unminimizeLast, "unminimizeLast"},
        {unminimizeAll, "unminimizeAll"},
        {unminimizeFromPreview, "unminimizeFromPreview"},
        {hide, "hide"},
        {hideExcept, "hideExcept"},
        {cmdNew, "cmdNew"},
        {scrollToTop, "scrollToTop"},
        {unsnapScreen, "unsnapScreen"},
        {unsnapGlobal, "unsnapGlobal"},
        {minimizeScreen, "minimizeScreen"},
        {minimizeGlobal, "minimizeGlobal"},
        {unminimizeScreen, "unminimizeScreen"},
        {unminimizeGlobal, "unminimizeGlobal"},
        {invokeAppSwitcher, "invokeAppSwitcher"},
        {exitAppSwitcher, "exitAppSwitcher"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::Action::Kind>());

}  // namespace zoral::platform
