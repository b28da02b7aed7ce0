#include "sim/alerts.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/scheduler.h"
#include "sim/world.h"

namespace zoral::sim {

using platform::ModalResponse;

Alerts::Alerts(World& world) : world_(world), queue_("AlertAnswers") {}

Alerts& Alerts::of(World& world) {
    return world.component<Alerts>();
}

Alerts& Alerts::current() {
    return of(World::current());
}

std::vector<AlertShown> Alerts::onScreen() const {
    std::vector<AlertShown> shown;
    for (const auto& alert : onScreen_)
        shown.push_back(alert->record);
    return shown;
}

std::shared_ptr<Alerts::Shown> Alerts::show(const platform::Alert& alert,
                                            std::optional<platform::WindowNumber> sheetWindow) {
    auto shown = std::make_shared<Shown>();
    shown->record = AlertShown{.time = platform::uptimeSeconds(),
                               .alert = ++lastAlert_,
                               .messageText = alert.messageText,
                               .informativeText = alert.informativeText,
                               .style = alert.alertStyle,
                               .icon = alert.icon,
                               .buttons = alert.buttonTitles(),
                               .sheetWindow = sheetWindow};
    onScreen_.push_back(shown);
    Journal::of(world_).record(shown->record);
    if (!arranged_.empty()) {
        const Arranged arranged = arranged_.front();
        arranged_.pop_front();
        queue_.asyncAfter(platform::DispatchTime::now() + arranged.delay,
                          [weakWorld = world_.weak(), weakShown = std::weak_ptr<Shown>(shown),
                           button = arranged.button] {
                              const auto world = weakWorld.lock();
                              const auto target = weakShown.lock();
                              if (world && target)
                                  Alerts::of(*world).press(target, button);
                          });
    }
    return shown;
}

bool Alerts::answer(std::size_t button) {
    return !onScreen_.empty() && press(onScreen_.back(), button);
}

bool Alerts::answer(std::string_view title) {
    if (onScreen_.empty())
        return false;
    const auto& buttons = onScreen_.back()->record.buttons;
    const auto found = std::find(buttons.begin(), buttons.end(), title);
    return found != buttons.end() &&
           press(onScreen_.back(), static_cast<std::size_t>(found - buttons.begin()));
}

void Alerts::answerNextWith(std::size_t button, double delay) {
    arranged_.push_back({button, delay});
}

bool Alerts::press(std::shared_ptr<Shown> shown, std::size_t button) {
    const auto found = std::find(onScreen_.begin(), onScreen_.end(), shown);
    if (found == onScreen_.end() || button >= shown->record.buttons.size())
        return false;
    onScreen_.erase(found);
    const ModalResponse response =
        platform::alertFirstButtonReturn + static_cast<ModalResponse>(button);
    shown->response = response;
    Journal::of(world_).record(AlertAnswered{
        .time = platform::uptimeSeconds(), .alert = shown->record.alert, .response = response});
    if (auto completion = std::move(shown->completion)) {
        auto deliver = [completion = std::move(completion), response] { completion(response); };
        if (!sessions_.empty()) {
            sessions_.back()->inbox.push_back(std::move(deliver));
        } else {
            platform::DispatchQueue::main().async(std::move(deliver));
        }
    }
    // A wait for the answer checks again.
    platform::Scheduler::current().wake();
    return true;
}

void Alerts::waitUntil(const std::function<bool()>& condition, const char* what) {
    platform::Scheduler& scheduler = platform::Scheduler::current();
    if (!scheduler.drive(condition, platform::DispatchTime::never(),
                         /*waitWhenIdle=*/!scheduler.isVirtual())) {
        throw std::logic_error(std::string(what) + " waits for an answer that nothing will give");
    }
}

ModalResponse Alerts::runModal(const platform::Alert& alert) {
    const auto shown = show(alert, std::nullopt);
    waitUntil([shown] { return shown->response.has_value(); }, "a modal alert");
    return *shown->response;
}

void Alerts::beginSheet(const platform::Alert& alert, platform::WindowNumber window,
                        std::function<void(ModalResponse)> completionHandler) {
    show(alert, window)->completion = std::move(completionHandler);
}

ModalResponse Alerts::runModalSession(platform::WindowNumber /*window*/) {
    const auto session = std::make_shared<Session>();
    sessions_.push_back(session);
    // Out of the list however the session ends, also when the scheduler unwinds it after the
    // world has gone.
    struct Leave {
        std::weak_ptr<World> world;
        std::shared_ptr<Session> session;
        ~Leave() {
            if (const auto owner = world.lock())
                std::erase(Alerts::of(*owner).sessions_, session);
        }
    } leave{world_.weak(), session};
    for (;;) {
        while (!session->inbox.empty()) {
            auto work = std::move(session->inbox.front());
            session->inbox.pop_front();
            work();
        }
        if (session->stopped)
            return *session->stopped;
        waitUntil([session] { return session->stopped || !session->inbox.empty(); },
                  "a modal session");
    }
}

void Alerts::stopModal(ModalResponse code) {
    if (sessions_.empty())
        return;
    sessions_.back()->stopped = code;
    platform::Scheduler::current().wake();
}

void Alerts::beep() {
    Journal::of(world_).record(Beep{.time = platform::uptimeSeconds()});
}

}  // namespace zoral::sim

namespace zoral::platform {

ModalResponse Alert::runModal() const {
    return sim::Alerts::current().runModal(*this);
}

void Alert::beginSheetModalForWindow(WindowNumber window,
                                     std::function<void(ModalResponse)> completionHandler) const {
    sim::Alerts::current().beginSheet(*this, window, std::move(completionHandler));
}

void beep() {
    sim::Alerts::current().beep();
}

ModalResponse runModalForWindow(WindowNumber window) {
    return sim::Alerts::current().runModalSession(window);
}

void stopModalWithCode(ModalResponse code) {
    sim::Alerts::current().stopModal(code);
}

}  // namespace zoral::platform
