#include "ui/event_pump.h"

#include <QCoreApplication>

#include "platform/dispatch.h"
#include "ui/application.h"

namespace zoral::ui {

struct ToolkitEventPump::State {
    double interval = 0;
    bool stopped = false;
};

namespace {

void schedule(const std::shared_ptr<ToolkitEventPump::State>& state) {
    platform::DispatchQueue::main().asyncAfter(platform::DispatchTime::now() + state->interval,
                                               [weak = std::weak_ptr(state)] {
                                                   const auto alive = weak.lock();
                                                   if (!alive || alive->stopped)
                                                       return;
                                                   processToolkitEvents();
                                                   schedule(alive);
                                               });
}

}  // namespace

void processToolkitEvents() {
    ensureApplication();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
}

ToolkitEventPump::ToolkitEventPump(double interval) : state_(std::make_shared<State>()) {
    state_->interval = interval;
    schedule(state_);
}

ToolkitEventPump::~ToolkitEventPump() {
    state_->stopped = true;
}

}  // namespace zoral::ui
