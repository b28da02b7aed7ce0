#include "shortcuts/key_event_streams.h"

#include <atomic>
#include <functional>
#include <utility>

#include "platform/dispatch.h"
#include "platform/process_state.h"
#include "shortcuts/carbon_global_shortcuts.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcut_state.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

ContinuationTable& tableOf(EventType type) {
    return type == EventType::keyDown ? detail::state().keyDownContinuations
                                      : detail::state().keyUpContinuations;
}

// Streams may be made on any thread.
struct LastStreamId {
    std::atomic<StreamId> id{0};
};

StreamId newStreamId() {
    return ++platform::processPart<LastStreamId>().id;
}

void removeDelivery(ContinuationTable& table, const Name& name, StreamId id) {
    const auto entry = table.find(name);
    if (entry == table.end())
        return;
    entry->second.erase(id);
    // An empty entry would keep counting the name's shortcut as a stream's and so keep it
    // registered for ever.
    if (entry->second.empty())
        table.erase(entry);
}

// After a stream's end: its name's shortcut goes unless a handler's or a stream's name stores it.
void releaseUnusedShortcut(const Name& name) {
    const auto shortcut = storedShortcut(name);
    if (!shortcut || shortcutsOfHandlerNames().contains(*shortcut) ||
        shortcutsOfStreamNames().contains(*shortcut)) {
        return;
    }
    CarbonGlobalShortcuts::unregisterHotKey(*shortcut);
    detail::state().registeredShortcuts.erase(*shortcut);
}

void onMainQueue(std::function<void()> work) {
    platform::DispatchQueue::main().async(std::move(work));
}

}  // namespace

AsyncStream<EventType> keyEventStream(const Name& name) {
    return AsyncStream<EventType>([&name](const AsyncStream<EventType>::Continuation& stream) {
        const StreamId id = newStreamId();
        onMainQueue([name, id, stream] {
            detail::state().keyDownContinuations[name].insert_or_assign(
                id, [stream] { stream.yield(EventType::keyDown); });
            detail::state().keyUpContinuations[name].insert_or_assign(
                id, [stream] { stream.yield(EventType::keyUp); });
            registerStoredShortcut(name);
        });
        stream.setOnTermination([name, id] {
            onMainQueue([name, id] {
                removeDelivery(detail::state().keyDownContinuations, name, id);
                removeDelivery(detail::state().keyUpContinuations, name, id);
                releaseUnusedShortcut(name);
            });
        });
    });
}

AsyncStream<EventType> filteredKeyEventStream(EventType type, const Name& name) {
    return keyEventStream(name).filter([type](EventType event) { return event == type; });
}

AsyncStream<promises::Unit> keyTriggerStream(EventType type, const Name& name) {
    using Stream = AsyncStream<promises::Unit>;
    return Stream([&name, type](const Stream::Continuation& stream) {
        const StreamId id = newStreamId();
        auto add = [name, id, type, stream] {
            tableOf(type)[name].insert_or_assign(id, [stream] { stream.yield(promises::Unit{}); });
            registerStoredShortcut(name);
        };
        if (platform::isMainThread()) {
            add();
        } else {
            onMainQueue(std::move(add));
        }
        stream.setOnTermination([name, id, type] {
            onMainQueue([name, id, type] {
                removeDelivery(tableOf(type), name, id);
                releaseUnusedShortcut(name);
            });
        });
    });
}

}  // namespace zoral::shortcuts::GlobalShortcuts
