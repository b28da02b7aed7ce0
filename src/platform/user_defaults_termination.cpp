#include "platform/user_defaults_termination.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <utility>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "platform/user_defaults.h"

namespace zoral::platform {
namespace {

sigset_t terminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

UserDefaultsTermination::UserDefaultsTermination(Terminate terminate)
    : terminate_(std::move(terminate)) {
    const sigset_t set = terminationSignals();
    if (const int error = ::pthread_sigmask(SIG_BLOCK, &set, &previousMask_); error != 0)
        throw std::system_error(error, std::generic_category(), "cannot block SIGTERM and SIGINT");
    signals_ = ::signalfd(-1, &set, SFD_CLOEXEC);
    stop_ = signals_ >= 0 ? ::eventfd(0, EFD_CLOEXEC) : -1;
    if (stop_ < 0) {
        const int error = errno;
        release();
        throw std::system_error(error, std::generic_category(),
                                "cannot wait for SIGTERM and SIGINT");
    }
    waiter_ = std::thread([this] { wait(); });
}

UserDefaultsTermination::~UserDefaultsTermination() {
    // Adding to an eventfd's count does not fail short of overflowing it.
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(stop_, &one, sizeof one);
    waiter_.join();
    release();
}

void UserDefaultsTermination::release() {
    if (signals_ >= 0)
        ::close(signals_);
    if (stop_ >= 0)
        ::close(stop_);
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void UserDefaultsTermination::wait() {
    bool ending = false;
    for (;;) {
        pollfd sources[2] = {{signals_, POLLIN, 0}, {stop_, POLLIN, 0}};
        if (::poll(sources, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if ((sources[1].revents & POLLIN) != 0)
            return;
        signalfd_siginfo received{};
        if (::read(signals_, &received, sizeof received) != sizeof received)
            continue;
        const int signal = static_cast<int>(received.ssi_signo);
        if (ending)
            endBySignal(signal);
        ending = true;
        (void)UserDefaults::synchronizeAll();
        if (terminate_)
            terminate_(signal);
    }
}

void UserDefaultsTermination::endBySignal(int signal) {
    // The default action would drop what the program printed and has not written out yet.
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    // A signal whose default action does not end the process.
    std::_Exit(128 + signal);
}

}  // namespace zoral::platform
