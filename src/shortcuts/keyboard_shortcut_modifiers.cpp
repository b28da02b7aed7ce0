#include "shortcuts/keyboard_shortcut_modifiers.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "platform/dispatch.h"
#include "shortcuts/key_event_streams.h"
#include "ui/visibility.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

// The loop over the name's stream while the view is shown.
class ShortcutTask : public std::enable_shared_from_this<ShortcutTask> {
public:
    ShortcutTask(Name name, std::optional<EventType> type, std::function<void(EventType)> perform)
        : name_(std::move(name)), type_(type), perform_(std::move(perform)) {}

    void visibilityChanged(bool shown) {
        if (shown)
            start();
        else
            stop();
    }

private:
    void start() {
        stop();
        ++run_;
        stream_ = std::make_unique<AsyncStream<EventType>>(
            type_ ? filteredKeyEventStream(*type_, name_) : keyEventStream(name_));
        awaitNext();
    }

    // Cancelling ends the stream: its entries leave the tables on the main queue.
    void stop() {
        ++run_;
        stream_.reset();
    }

    void awaitNext() {
        if (!stream_)
            return;
        stream_->next().attachValueHandler(
            [weak = weak_from_this(), run = run_](const std::optional<EventType>& value) {
                if (!value)
                    return;
                // The action runs on the main queue, even when the value came from elsewhere.
                platform::DispatchQueue::main().async([weak, run, type = *value] {
                    const auto self = weak.lock();
                    if (!self || self->run_ != run)
                        return;
                    self->perform_(type);
                    if (self->run_ == run)
                        self->awaitNext();
                });
            });
    }

    Name name_;
    std::optional<EventType> type_;
    std::function<void(EventType)> perform_;
    std::unique_ptr<AsyncStream<EventType>> stream_;
    // Counts the starts and stops, so that a value of an ended run is dropped.
    std::uint64_t run_ = 0;
};

void runWhileShown(ui::View& view, const Name& name, std::optional<EventType> type,
                   std::function<void(EventType)> perform) {
    auto task = std::make_shared<ShortcutTask>(name, type, std::move(perform));
    ui::observeVisibility(view, [task](bool shown) { task->visibilityChanged(shown); });
}

}  // namespace

void onKeyboardShortcut(ui::View& view, const Name& name,
                        std::function<void(EventType type)> perform) {
    runWhileShown(view, name, std::nullopt, std::move(perform));
}

void onKeyboardShortcut(ui::View& view, const Name& name, EventType type,
                        std::function<void()> perform) {
    runWhileShown(view, name, type, [perform = std::move(perform)](EventType) { perform(); });
}

}  // namespace zoral::shortcuts::GlobalShortcuts
