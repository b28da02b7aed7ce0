// Until the desktop and the engine exist, the program shows its foundation at
// work: it runs its scheduler on the wall clock for a moment and logs what it does.

#include <atomic>
#include <iostream>

#include "platform/date.h"
#include "platform/dispatch.h"
#include "platform/identity.h"
#include "platform/process_state.h"
#include "platform/run_loop.h"
#include "platform/user_defaults.h"
#include "platform/user_defaults_termination.h"

int main() {
    using namespace zoral::platform;
    ProcessState state;
    // Before any other thread starts. The settings are saved on the way; the run loop stops.
    std::atomic<int> endingSignal{0};
    const UserDefaultsTermination termination([&endingSignal](int signal) {
        endingSignal = signal;
        RunLoop::main().stop();
    });
    const auto stamp = [] { return formatLogTime(Date::now()); };
    std::cout << identity::appName << " " << identity::shortVersion << " ("
              << identity::buildVersion << ") " << identity::bundleIdentifier << "\n";
    std::cout << "The window engine is not built yet; running the scheduler for one second.\n";

    DispatchQueue background("demo.background", DispatchQoS::utility,
                             DispatchQueue::Attributes::concurrent);
    for (int i = 1; i <= 4; ++i) {
        DispatchQueue::main().asyncAfter(DispatchTime::now() + 0.25 * i, [&, i] {
            std::cout << stamp() << " main queue: tick " << i << "\n";
            background.async([&, i] {
                std::cout << stamp() << " " << DispatchQueue::currentLabel() << ": work " << i
                          << "\n";
                if (i == 4)
                    RunLoop::main().stop();
            });
        });
    }
    RunLoop::main().run();
    std::cout << stamp() << " stopped\n";
    // The quit path: what waits for its save is saved before the process ends.
    (void)UserDefaults::synchronizeAll();
    if (const int signal = endingSignal.load(); signal != 0)
        UserDefaultsTermination::endBySignal(signal);
    return 0;
}
