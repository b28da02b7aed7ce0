#include "engine/input/tap.h"

#include <string>
#include <utility>

#include "desktop/event_descriptions.h"
#include "desktop/log_time_formatter.h"
#include "platform/output.h"

namespace zoral::engine {

using platform::CGEventType;

std::shared_ptr<Tap> Tap::make(platform::CGEventTapOptions options,
                               platform::CGEventTapPlacement placement, platform::CGEventMask mask,
                               Handler handler, std::function<void()> reenabled) {
    auto tap = std::make_shared<Tap>(Passkey{}, std::move(handler), std::move(reenabled));
    // The port calls back into the tap while it lives; a released tap has invalidated it.
    tap->tap_ = platform::eventTapCreate(
        platform::CGEventTapLocation::session, placement, options, mask,
        [weak = std::weak_ptr<Tap>(tap)](
            CGEventType type, const platform::CGEvent& event) -> std::optional<platform::CGEvent> {
            const auto self = weak.lock();
            if (!self)
                return event;
            return self->handleEvent(type, event);
        });
    if (!tap->tap_)
        return nullptr;
    tap->source_ = platform::machPortCreateRunLoopSource(tap->tap_, 0);
    if (!tap->source_) {
        platform::machPortInvalidate(tap->tap_);
        return nullptr;
    }
    platform::RunLoop::current().addSource(tap->source_, platform::RunLoopMode::commonModes);
    platform::output::printLine("CGEventTap: initialized");
    return tap;
}

Tap::Tap(Passkey, Handler handler, std::function<void()> reenabled)
    : handler_(std::move(handler)), reenabled_(std::move(reenabled)) {}

Tap::~Tap() {
    if (tap_)
        invalidate();
}

void Tap::invalidate() {
    // Letting go of the handler may release the owner and with it this tap: keep it to the end.
    const std::shared_ptr<Tap> self = weak_from_this().lock();
    Handler handler;
    std::function<void()> reenabled;
    if (source_)
        platform::RunLoop::current().removeSource(source_, platform::RunLoopMode::commonModes);
    if (tap_)
        platform::machPortInvalidate(tap_);
    platform::output::printLine("CGEventTap: invalidated");
    // The handler holds its owner; no event comes any more, so let go of it (after the call in
    // progress, when the handler itself invalidates).
    if (handling_ == 0) {
        handler = std::exchange(handler_, nullptr);
        reenabled = std::exchange(reenabled_, nullptr);
    } else {
        released_ = true;
    }
}

std::optional<platform::CGEvent> Tap::handleEvent(CGEventType type,
                                                  const platform::CGEvent& event) {
    return internalHandler(type, event);
}

std::optional<platform::CGEvent> Tap::internalHandler(CGEventType type,
                                                      const platform::CGEvent& event) {
    if ((type == CGEventType::tapDisabledByTimeout ||
         type == CGEventType::tapDisabledByUserInput) &&
        tap_) {
        platform::output::printLine("CGEventTap: interrupted by " + desktop::description(type) +
                                    " " + desktop::currentLogTime());
        platform::eventTapEnable(tap_, true);
        if (reenabled_ && !released_)
            reenabled_();
        return event;
    }
    if (!handler_)
        return event;
    ++handling_;
    struct Leave {
        Tap& tap;
        ~Leave() {
            if (--tap.handling_ == 0 && tap.released_) {
                tap.handler_ = nullptr;
                tap.reenabled_ = nullptr;
            }
        }
    } leave{*this};
    return handler_(platform::toolkitType(event), event);
}

}  // namespace zoral::engine
