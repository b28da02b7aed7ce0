#pragma once

// What the world fuzz targets check of a world that loaded: everything it holds answers the
// accessibility calls, hit tests and the window list without a crash, and it dumps into a file
// that loads back into an equal world.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/accessibility.h"
#include "platform/home.h"
#include "platform/json.h"
#include "platform/output.h"
#include "platform/window_list.h"
#include "sim/displays.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace zoral::fuzz {

// The input as JSON, none when it is not JSON. The first call also gives the process a quiet
// output sink and a home of the fuzzer's own.
inline std::optional<platform::Json> decodeInput(const std::uint8_t* data, std::size_t size) {
    static const auto quiet = platform::output::setSink([](std::string_view) {});
    static const platform::TemporaryHomeDirectory home;
    (void)quiet;
    (void)home;
    auto decoded =
        platform::decodeJson(std::string_view(reinterpret_cast<const char*>(data), size));
    return std::move(decoded).optional();
}

// Reads every attribute of the element and of everything below it.
inline void readAll(platform::ax::Element element, int depth = 0) {
    namespace ax = platform::ax;
    const auto names = ax::copyAttributeNames(element);
    if (!names.ok() || depth > 64)
        return;
    for (const std::string& name : names.value()) {
        (void)ax::isAttributeSettable(element, name);
        const auto value = ax::copyAttributeValue(element, name);
        const auto* children = value.ok() ? value.value().getIf<ax::Value::Array>() : nullptr;
        if (name == "AXChildren" && children != nullptr) {
            for (const ax::Value& child : *children) {
                if (const auto* inner = child.getIf<ax::Element>())
                    readAll(*inner, depth + 1);
            }
        }
    }
    (void)ax::copyActionNames(element);
}

inline void checkWorld(sim::World& world) {
    namespace ax = platform::ax;
    for (const platform::ProcessId pid : world.processIds())
        readAll(ax::createApplication(pid));
    for (const sim::Display& display : sim::Displays::of(world).displays()) {
        const platform::CGRect& frame = display.frame;
        for (double x = 0; x < 1; x += 0.25) {
            for (double y = 0; y < 1; y += 0.25) {
                (void)ax::copyElementAtPosition(
                    ax::createSystemWide(), static_cast<float>(frame.minX() + x * frame.width()),
                    static_cast<float>(frame.minY() + y * frame.height()));
            }
        }
    }
    (void)platform::windowListCopyWindowInfo(platform::windowListOptionOnScreenOnly, 0);

    // A dump loads back, into a world that dumps the same.
    const platform::Json dumped = sim::dumpWorld(world);
    sim::ScopedWorld again;
    try {
        sim::loadWorld(*again, dumped);
    } catch (const sim::WorldFileError&) {
        std::abort();
    }
    if (sim::dumpWorld(*again) != dumped)
        std::abort();
}

}  // namespace zoral::fuzz
