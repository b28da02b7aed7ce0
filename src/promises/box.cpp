#include "promises/box.h"

namespace zoral::promises::detail {

namespace {

// What waits to be released on this thread. Plain pointers and counters only, so that boxes
// released while the thread or the process ends find them intact.
struct Released {
    std::shared_ptr<const void> held;
    bool dropped;
    Released* next;
};
thread_local Released* releaseQueue = nullptr;
thread_local bool releasing = false;
thread_local int droppedWorkDepth = 0;

}  // namespace

void runAll(Next run) noexcept {
    if (!run)
        return;
    Next next;
    bool more = run->runNext(next);
    // Most often a box has one body, and a queue takes its work: nothing more to run.
    if (!next && !more)
        return;
    // Runs whose bodies are not all run yet, below the current one. Only a body that settles a
    // box while more bodies of its own box wait adds to it; a chain adds nothing.
    std::vector<Next> waiting;
    Next current = std::move(run);
    for (;;) {
        if (next) {
            if (more)
                waiting.push_back(std::move(current));
            current = std::move(next);
        } else if (!more) {
            if (waiting.empty())
                return;
            current = std::move(waiting.back());
            waiting.pop_back();
        }
        more = current->runNext(next);
    }
}

void releaseLater(std::shared_ptr<const void> held) noexcept {
    if (releasing) {
        releaseQueue = new Released{std::move(held), droppedWorkDepth > 0, releaseQueue};
        return;
    }
    releasing = true;
    held.reset();
    while (releaseQueue != nullptr) {
        Released* item = releaseQueue;
        releaseQueue = item->next;
        if (item->dropped)
            ++droppedWorkDepth;
        const bool dropped = item->dropped;
        delete item;
        if (dropped)
            --droppedWorkDepth;
    }
    releasing = false;
}

DroppedWorkRelease::DroppedWorkRelease() noexcept {
    ++droppedWorkDepth;
}

DroppedWorkRelease::~DroppedWorkRelease() {
    --droppedWorkDepth;
}

bool warnsOfDroppedBoxes() noexcept {
    return droppedWorkDepth == 0;
}

}  // namespace zoral::promises::detail
