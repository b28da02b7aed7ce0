#include "settings/defaults_keys.h"

#include <set>
#include <utility>

#include "platform/process_state.h"
#include "platform/thread_safety.h"
#include "platform/user_defaults.h"

namespace zoral::settings::Defaults {

std::shared_ptr<platform::UserDefaults> standardSuite() {
    return platform::UserDefaults::sharedStandard();
}

namespace {

// The keys whose defaults are registered in this state of the process.
struct RegisteredKeys {
    platform::Mutex mutex;
    std::set<const Keys*> keys ZORAL_GUARDED_BY(mutex);
};

}  // namespace

Keys::Keys(std::string name, std::shared_ptr<platform::UserDefaults> suite)
    : name_(std::move(name)), suite_(std::move(suite)) {}

Keys::~Keys() {
    // Another key made later at the same address registers its own default.
    auto& registered = platform::processPart<RegisteredKeys>();
    const platform::MutexLock lock(registered.mutex);
    registered.keys.erase(this);
}

std::shared_ptr<platform::UserDefaults> Keys::suite() const {
    return suite_ ? suite_ : standardSuite();
}

void Keys::registerOnce() const {
    {
        auto& registered = platform::processPart<RegisteredKeys>();
        const platform::MutexLock lock(registered.mutex);
        if (!registered.keys.insert(this).second)
            return;
    }
    registerDefault();
}

}  // namespace zoral::settings::Defaults
