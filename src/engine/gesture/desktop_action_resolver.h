#pragma once

// The gesture's action resolution on the desktop: reads the gesture, asks the resolution tables
// with the desktop's answers for the gesture's origin, and hands their resolution to the gesture,
// which applies it (Gesture::apply): its grid spans, the application switcher and a tab taken for
// its window move on, then it proposes, clears or cancels. The resolver writes nothing into the
// gesture itself.
//
// It remembers, per gesture and for as long as the gesture lives, the directions and phases it last
// resolved, so that a resolution after a mere change of the modifier keys does not step the grids
// a second time for the same scroll.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "desktop/direction.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/model/origin.h"
#include "engine/model/phase.h"
#include "engine/resolution/resolution_query.h"
#include "promises/guarantee.h"
#include "promises/result.h"

namespace zoral::engine {

class DesktopActionResolver final : public ActionResolver {
public:
    // Makes the query one resolution asks; by default the desktop model's answers.
    using QueryFactory = std::function<std::unique_ptr<ResolutionQuery>(const Origin&)>;

    DesktopActionResolver();
    explicit DesktopActionResolver(QueryFactory makeQuery);

    promises::Guarantee<promises::Unit> resolveAction(Gesture& gesture) override;

private:
    struct Seen {
        std::vector<desktop::Direction> directions;
        std::vector<Phase> phases;
    };

    QueryFactory makeQuery_;
    std::map<std::weak_ptr<Gesture>, Seen, std::owner_less<>> seen_;
};

}  // namespace zoral::engine
