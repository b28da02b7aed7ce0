#pragma once

// Saving the user defaults when the process is asked to end by SIGTERM or SIGINT. Their changes
// are saved behind the writes (user_defaults.h), so a process that the signal's default action
// ended would lose the last second of them. Nothing of that can run in a signal handler, so the
// signals are blocked instead and a thread of this object's own waits for them (signalfd): when one
// comes, that thread saves every domain with pending changes at once and then asks the program to
// end, which it does its own way (stopping the main run loop, unwinding its work). A second signal
// while the program is still ending takes its default action at once, so that a program whose main
// queue is stuck can still be ended.
//
// The signals are blocked in the thread that makes the object, and so in the threads it starts
// later: make it before starting any other thread, or a thread that does not block them takes the
// signal and ends the process without a save.

#include <functional>
#include <thread>

#include <signal.h>

namespace zoral::platform {

class UserDefaultsTermination {
public:
    // Called on the waiting thread after the save, with the signal's number: it asks the program
    // to end (a stop of the main run loop, work for the main queue) and returns.
    using Terminate = std::function<void(int signal)>;

    // Throws std::system_error when the signals cannot be waited for.
    explicit UserDefaultsTermination(Terminate terminate);
    // Stops waiting and lets the signals through again, in the thread that made the object.
    ~UserDefaultsTermination();
    UserDefaultsTermination(const UserDefaultsTermination&) = delete;
    UserDefaultsTermination& operator=(const UserDefaultsTermination&) = delete;

    // Ends the process by the signal's default action, as if it had not been caught: for the end
    // of a program that ended because of it, so that whoever started it sees why.
    [[noreturn]] static void endBySignal(int signal);

private:
    void wait();
    void release();

    Terminate terminate_;
    sigset_t previousMask_{};
    int signals_ = -1;  // the signalfd
    int stop_ = -1;     // an eventfd that ends the wait
    std::thread waiter_;
};

}  // namespace zoral::platform
