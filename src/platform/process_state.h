#pragma once

// The state of the process, in one object.
//
// Everything the program keeps for the life of the process (registries, caches, counters, what the
// application's cycle remembers, the notification centres, the settings, the home directory, ...)
// is a part of one ProcessState. `main` makes it; a test resets it as a whole, so that no test sees
// what another left behind and tests pass alone, in any order, and twice in one process. Nothing
// else in the program is a mutable static: a function-local or namespace-scope static holds only a
// constant.
//
// A part is any default-constructible type, made the first time it is asked for and kept until the
// state is reset. The owner knows nothing of its parts, so a subsystem of any layer adds its part
// with one line where it reaches it:
//
//     AppCycleState& AppCycleState::shared() { return platform::processPart<AppCycleState>(); }
//
// Each type is one part, so a subsystem names a type of its own (a struct in an unnamed namespace
// will do) rather than a shared one such as `int` or `std::string`.
//
// A part's constructor and destructor may use other parts. A reset destroys the parts in the
// reverse of the order in which they were finished, so a part goes before every part it used while
// it was made; a part asked for while the others are being destroyed is made afresh and destroyed
// in the same reset. After a reset every part is made anew, as in a new process.
//
// Threads: parts are made and found under a lock, and each part guards its own contents. A part is
// made once even when two threads ask for it at the same moment. A reset runs while no other
// thread uses the state (before and after each test, at the end of `main`).
//
// What a scope installs and puts back itself (the current scheduler, the simulated world) is not a
// part: the scope's object owns it, and a reset under a live scope would pull it from under its
// users.

#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::platform {

class ProcessState {
public:
    // Becomes the process's state until it is destroyed; the state in place before comes back then.
    ProcessState();
    // Resets, so every part is destroyed while the things it uses are still there.
    ~ProcessState();
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;

    // The state `main` made; without one (a fuzz target, code running after `main` returned), one
    // that lives as long as the process.
    static ProcessState& current();

    // The part of this type, made now if there is none.
    template <class Part>
    Part& part() {
        const Key key = &tag<Part>;
        if (void* found = find(key))
            return *static_cast<Part*>(found);
        return *static_cast<Part*>(make(key, [] { return Holder(new Part, &destroy<Part>); }));
    }

    // Destroys every part, last finished first.
    void reset();

    // How many parts there are now: for tests of the state itself.
    std::size_t partCount() const;

private:
    struct Uninstalled {};
    explicit ProcessState(Uninstalled);

    using Holder = std::unique_ptr<void, void (*)(void*)>;
    using Maker = Holder (*)();
    // A part's type, as the address of a constant of its own.
    using Key = const void*;
    template <class Part>
    static constexpr char tag = 0;

    template <class Part>
    static void destroy(void* part) {
        delete static_cast<Part*>(part);
    }

    void* find(Key key) const;
    void* make(Key key, Maker maker);

    mutable Mutex mutex_;
    std::unordered_map<Key, Holder> parts_ ZORAL_GUARDED_BY(mutex_);
    // The parts' keys in the order the parts were finished.
    std::vector<Key> finished_ ZORAL_GUARDED_BY(mutex_);
    // Held while a part is made, so that one is made at a time and a part's constructor may ask
    // for others.
    std::recursive_mutex making_;
    ProcessState* previous_ = nullptr;
    bool installed_ = false;
};

// The part of this type in the process's state.
template <class Part>
Part& processPart() {
    return ProcessState::current().part<Part>();
}

}  // namespace zoral::platform
