// The desktop model's cost of one gesture start on a desktop of 50 windows of 10 applications: the
// origin's classification of the point under the pointer, which is the system-wide hit test and
// then the reads the classification makes on the element it finds (its frame, role, subrole and
// application, attributes a text does not have, the parent chain up to its window, the window's
// subrole and position), all on fresh elements as at every gesture start. The pointer is on the
// front window's text, whose own frame is unknown, so that the classification climbs to the
// window.
//
// Applications answer an attribute they do not have with "unsupported", or with another code (a
// plain failure): the second run has the text and its group answer that way.

#include <initializer_list>
#include <string_view>

#include <benchmark/benchmark.h>

#include "desktop/screen.h"
#include "desktop/system_wide.h"
#include "engine/gesture/origin_classification.h"
#include "engine/windows/screen_rebuild.h"
#include "fifty_windows.h"
#include "platform/events.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/input_devices.h"

namespace {

using namespace zoral;

struct OriginDesk {
    OriginDesk() {
        platform::UserDefaults::resetForTesting();
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        engine::reinitializeScreens();
        engine::titlebarHeightCache().clear();
    }
    ~OriginDesk() {
        platform::output::setSink(previousSink);
        engine::titlebarHeightCache().clear();
        desktop::Screen::setScreens({});
        platform::UserDefaults::resetForTesting();
    }

    platform::TemporaryHomeDirectory home;
    bench::FiftyWindows desktop;
    platform::output::Sink previousSink = platform::output::setSink([](std::string_view) {});
};

void classifyRepeatedly(benchmark::State& state, OriginDesk& desk) {
    const auto& text = desk.desktop.front.text;
    const auto textFrame = text->frame();
    if (textFrame)
        sim::InputDevices::of(*desk.desktop.world)
            .movePointer({textFrame->midX(), textFrame->midY()});
    const auto event = platform::eventCreate();
    const auto hit = event ? desktop::SystemWide::shared()->elementAtPosition(event->location.x,
                                                                              event->location.y)
                           : nullptr;
    if (!textFrame || !event || !hit || hit->element() != text->element()) {
        state.SkipWithError("the pointer is not over the front window's text");
        return;
    }
    for (auto _ : state) {
        auto origin = engine::originAtPointer(*event);
        benchmark::DoNotOptimize(origin);
    }
}

void BM_OriginReads50Windows(benchmark::State& state) {
    OriginDesk desk;
    classifyRepeatedly(state, desk);
}
BENCHMARK(BM_OriginReads50Windows);

void BM_OriginReads50WindowsFailingReads(benchmark::State& state) {
    OriginDesk desk;
    auto& world = *desk.desktop.world;
    for (const auto& node : {desk.desktop.front.text, desk.desktop.front.group}) {
        for (const char* attribute : {"AXFrame", "AXSubrole", "AXWindow", "AXTitle", "AXURL"})
            world.injectError(node->element(), attribute, platform::ax::failure);
    }
    classifyRepeatedly(state, desk);
}
BENCHMARK(BM_OriginReads50WindowsFailingReads);

}  // namespace
