#pragma once

// Mission Control's spaces: whether Mission Control shows, the element of one space button of a
// display's spaces bar, the window server's spaces per display, whether a space may be sent to
// another display, and the synthetic drag that sends it there.
//
// Mission Control's tree as read here: the Dock's application element has a child titled
// "Mission Control" (or "App Expose"); among its children and grandchildren stands, per display,
// a "Spaces Bar" lying on that display, with a list whose buttons are the display's spaces. The
// n-th button stands for the n-th space the window server lists for that display.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/direction.h"
#include "desktop/screen.h"
#include "desktop/ui_element.h"
#include "platform/enum_table.h"
#include "platform/spaces.h"

namespace zoral::desktop {

class Application;

enum class MissionControlSpaceType : std::uint8_t { desktop, fullscreen };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::MissionControlSpaceType> {
    using enum desktop::MissionControlSpaceType;
    static constexpr std::array<NamedCase<desktop::MissionControlSpaceType>, 2> cases{{
        {desktop, "desktop"},
        {fullscreen, "fullscreen"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::MissionControlSpaceType>());

}  // namespace zoral::platform

namespace zoral::desktop {

// One space of one display as the window server reports it.
struct SpaceRecord {
    std::int64_t spaceID = 0;
    bool isCurrent = false;
    MissionControlSpaceType type = MissionControlSpaceType::desktop;

    friend bool operator==(const SpaceRecord&, const SpaceRecord&) = default;
};

// Display identifier to that display's spaces, in the window server's order.
using ManagedDisplaySpaces = std::map<std::string, std::vector<SpaceRecord>>;

// The process's connection to the window server, taken once.
platform::CGSConnectionID windowServerConnection();

// Read afresh on every call. A display entry that lacks a string identifier, a current space with
// an integer identifier other than -1, or an array of space dictionaries each with an integer
// identifier, is left out whole, so that buttons and records never pair up wrongly.
ManagedDisplaySpaces copyManagedDisplaySpaces();

// True while the Dock has a child titled "Mission Control" or "App Expose".
bool isMissionControlShowing();

class MissionControlSpace final : public UIElement {
    struct Passkey {};

public:
    using Type = MissionControlSpaceType;

    // Only from a button with an ancestor titled "Spaces Bar" (within 30 steps, never past the
    // application element) while Mission Control shows.
    static std::shared_ptr<MissionControlSpace> make(const UIElementRef& element);
    MissionControlSpace(Passkey, platform::ax::Element element);

    // Whether the space may be sent to another display: a full-screen space always, the current
    // desktop never, another desktop when its display has more than one. `screen` is the screen
    // its button lies on.
    bool isMovable(const Screen& screen) const;

    // Sends the space to the display next to `screen` in the direction by dragging its button,
    // on axQueue, behind the last button of that display's spaces bar. The neighbouring screen
    // when the space may move (even when that display shows no buttons, and then nothing is
    // dragged); none otherwise.
    std::optional<Screen> missionControlSpaceAction(Direction direction, const Screen& screen);

    // The drag onto `target` (a button of `screen`'s spaces bar) and the activation of what lies
    // at the centre of `screen`. Blocks the calling thread for about half a second.
    void dragSpaceToScreen(const UIElementRef& target, const Screen& screen);
};

}  // namespace zoral::desktop
