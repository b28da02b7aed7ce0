#include "platform/user_defaults.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <utility>
#include <variant>

#include "platform/dispatch.h"
#include "platform/home.h"
#include "platform/identity.h"
#include "platform/output.h"
#include "platform/plist_serialization.h"
#include "platform/process_state.h"
#include "platform/regular_file.h"
#include "platform/scheduler.h"
#include "platform/thread_safety.h"
#include "platform/user_defaults_coercion.h"
#include "platform/user_defaults_storage.h"

namespace zoral::platform {
namespace {

struct Registry {
    // Held through a save, from taking the values to the file in place, so that saves follow one
    // another in the order of the values they took and the last one holds the latest. Taken before
    // `mutex`, never while holding it.
    platform::Mutex saving;
    platform::Mutex mutex;
    std::map<std::string, detail::StoredDomain, std::less<>> domains ZORAL_GUARDED_BY(mutex);
    std::map<std::string, std::shared_ptr<UserDefaults>, std::less<>> suites
        ZORAL_GUARDED_BY(mutex);
    std::shared_ptr<UserDefaults> standard ZORAL_GUARDED_BY(mutex);
    std::uint64_t nextObservationId ZORAL_GUARDED_BY(mutex) = 1;
    // Counts the resets: a save that took its values before one leaves the domains read after it
    // alone.
    std::uint64_t generation ZORAL_GUARDED_BY(mutex) = 0;
    // The save waiting on a scheduler's clock: the scheduler, and the save's number.
    Scheduler* scheduledOn ZORAL_GUARDED_BY(mutex) = nullptr;
    std::uint64_t scheduledSave ZORAL_GUARDED_BY(mutex) = 0;
    std::uint64_t lastSave ZORAL_GUARDED_BY(mutex) = 0;
    std::atomic<bool> savesAtOnce{false};
    const DispatchQueue saveQueue{"user-defaults.save", DispatchQoS::utility};
};

Registry& registry() {
    return processPart<Registry>();
}

void printLines(const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        output::printLine(line);
}

bool isFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

detail::StoredDomain& loadedDomain(Registry& registry, std::string_view name,
                                   std::vector<std::string>& lines) ZORAL_REQUIRES(registry.mutex) {
    auto found = registry.domains.find(name);
    if (found == registry.domains.end()) {
        auto loaded = detail::loadDomain(name, preferencesFile(name), lines);
        found = registry.domains.emplace(std::string(name), std::move(loaded.domain)).first;
    }
    return found->second;
}

// Refuses, before anything changes, values that no file could hold: otherwise every later save of
// the domain would fail.
void checkStorable(const PlistDictionary& values) {
    try {
        (void)writePlist(PlistObject::dictionary(values), PlistFormat::binary);
    } catch (const PlistSerializationError& error) {
        throw std::invalid_argument(std::string("cannot store in user defaults: ") + error.what());
    }
}

void checkDomainName(std::string_view name) {
    if (!isFileName(name)) {
        throw std::invalid_argument("not a user defaults domain name: \"" + std::string(name) +
                                    "\"");
    }
}

// Saves the domain named, or every domain, that has changes not yet on disk; false when one could
// not be saved. The files are made and written without the registry's lock, so readers and writers
// go on meanwhile.
bool saveDomains(std::optional<std::string_view> only) {
    auto& all = registry();
    std::vector<std::string> lines;
    bool saved = true;
    {
        const MutexLock saving(all.saving);
        std::vector<detail::DomainSave> saves;
        std::uint64_t generation = 0;
        {
            const MutexLock lock(all.mutex);
            generation = all.generation;
            for (const auto& [name, domain] : all.domains) {
                if (domain.hasUnsavedChanges() && (!only || name == *only))
                    saves.push_back(detail::takeSave(name, domain));
            }
        }
        std::vector<std::optional<detail::SaveFailure>> failures;
        failures.reserve(saves.size());
        for (const auto& save : saves)
            failures.push_back(detail::writeDomain(save));

        const MutexLock lock(all.mutex);
        for (std::size_t i = 0; i < saves.size(); ++i) {
            const auto& failure = failures[i];
            saved = saved && !failure;
            const auto found = all.domains.find(saves[i].name);
            if (all.generation != generation || found == all.domains.end() ||
                found->second.path != saves[i].path) {
                if (failure)
                    lines.push_back(failure->line);
                continue;
            }
            detail::StoredDomain& domain = found->second;
            if (!failure) {
                domain.savedVersion = std::max(domain.savedVersion, saves[i].version);
                domain.lastFailure.reset();
            } else if (domain.lastFailure != failure->kind) {
                domain.lastFailure = failure->kind;
                lines.push_back(failure->line);
            }
        }
    }
    printLines(lines);
    return saved;
}

// A save waiting on a scheduler's clock. Dropped with its scheduler before it ran, it leaves the
// way open for the next change to ask for another.
class ScheduledSave {
public:
    explicit ScheduledSave(std::uint64_t number) : number_(number) {}
    ~ScheduledSave() { forget(); }
    ScheduledSave(const ScheduledSave&) = delete;
    ScheduledSave& operator=(const ScheduledSave&) = delete;

    void run() {
        // Changes from here on ask for a save of their own.
        forget();
        (void)saveDomains(std::nullopt);
    }

private:
    void forget() {
        auto& all = registry();
        const MutexLock lock(all.mutex);
        if (all.scheduledSave == number_) {
            all.scheduledOn = nullptr;
            all.scheduledSave = 0;
        }
    }

    const std::uint64_t number_;
};

// Asks for a save after the delay unless one is waiting already on the current scheduler.
void scheduleSave() {
    auto& all = registry();
    Scheduler& scheduler = Scheduler::current();
    std::uint64_t number = 0;
    {
        const MutexLock lock(all.mutex);
        if (all.scheduledOn == &scheduler)
            return;
        all.scheduledOn = &scheduler;
        number = all.scheduledSave = ++all.lastSave;
    }
    const auto save = std::make_shared<ScheduledSave>(number);
    all.saveQueue.asyncAfter(scheduler.now() + UserDefaults::saveDelay, [save] { save->run(); });
}

// How a change alters the size of a domain's file, measured before the lock is taken: the one
// entry it sets or removes, or the size of the whole new domain; nothing when it is unknown.
using SizeChange = std::variant<std::monostate, detail::EntryChange, detail::DomainFileSize>;

// Makes the change to the domain unless its file would grow larger than can be read back (then
// one line says so); whether anything changed.
bool storeChange(std::string_view name, detail::StoredDomain& domain,
                 const std::function<bool(PlistDictionary&)>& apply, const SizeChange& size,
                 std::vector<std::string>& lines) {
    const auto* entry = std::get_if<detail::EntryChange>(&size);
    if (entry != nullptr) {
        // Well inside the limit in XML, as nearly every change is: made in place.
        const auto xml = domain.size.xmlAfter(*entry);
        if (!domain.path || (xml && *xml <= propertyListFileSizeLimit())) {
            const bool changed = apply(domain.values);
            if (changed)
                domain.size.apply(*entry);
            return changed;
        }
    }
    PlistDictionary updated = domain.values;
    if (!apply(updated))
        return false;
    detail::DomainFileSize updatedSize;
    if (entry != nullptr) {
        updatedSize = domain.size;
        updatedSize.apply(*entry);
    } else if (const auto* whole = std::get_if<detail::DomainFileSize>(&size)) {
        updatedSize = *whole;
    } else {
        updatedSize = detail::DomainFileSize::of(updated);
    }
    if (domain.path) {
        if (auto refusal = detail::oversizedFile(name, updated, updatedSize)) {
            lines.push_back(*refusal);
            return false;
        }
    }
    domain.values = std::move(updated);
    domain.size = std::move(updatedSize);
    return true;
}

}  // namespace

struct UserDefaults::Observation {
    std::uint64_t id = 0;
    std::string key;
    KeyValueObservingOptions options = KeyValueObservingOptions::none;
    KeyValueObserver observer;
    // Cleared on removal, so that a change already collected for delivery is dropped.
    std::atomic<bool> active{true};

    bool wants(KeyValueObservingOptions option) const { return options.contains(option); }

    KeyValueChange priorChange(const std::optional<PlistObject>& oldValue) const {
        KeyValueChange change;
        change.isPrior = true;
        if (wants(KeyValueObservingOptions::old))
            change.oldValue = oldValue;
        return change;
    }

    KeyValueChange change(const std::optional<PlistObject>& oldValue,
                          const std::optional<PlistObject>& newValue) const {
        KeyValueChange change;
        if (wants(KeyValueObservingOptions::new_))
            change.newValue = newValue;
        if (wants(KeyValueObservingOptions::old))
            change.oldValue = oldValue;
        return change;
    }
};

// One change of one layer of the search lists.
struct UserDefaults::Mutation {
    // The domain changed; empty for the registration domain of the instance that changes.
    std::string domain;
    // Returns whether anything changed; a domain left as it was is not saved again.
    std::function<bool(PlistDictionary&)> apply;
    SizeChange size;
    // Saved before the change returns rather than behind it.
    bool saveAtOnce = false;
    // On a reload: the domain as its file has it now; its values replace the ones held unless the
    // file could not be read.
    std::optional<detail::LoadedDomain> reloaded;
};

struct UserDefaults::Override {
    // The domain read from values, or empty for registrationOf's registration domain.
    std::string_view domain;
    const UserDefaults* registrationOf = nullptr;
    const PlistDictionary* values = nullptr;
};

struct UserDefaults::Delivery {
    std::shared_ptr<Observation> observation;
    KeyValueChange change;
};

void UserDefaults::deliver(const std::vector<Delivery>& deliveries) {
    for (const auto& delivery : deliveries) {
        if (delivery.observation->active.load())
            delivery.observation->observer(delivery.change);
    }
}

UserDefaults::UserDefaults(std::string domainName) : domainName_(std::move(domainName)) {}

UserDefaults::~UserDefaults() = default;

std::shared_ptr<UserDefaults> UserDefaults::make(std::string domainName) {
    std::shared_ptr<UserDefaults> instance(new UserDefaults(std::move(domainName)));
    auto& all = registry();
    std::vector<std::string> lines;
    {
        const MutexLock lock(all.mutex);
        loadedDomain(all, instance->domainName_, lines);
        loadedDomain(all, globalDomainName, lines);
    }
    printLines(lines);
    return instance;
}

UserDefaults& UserDefaults::standard() {
    return *sharedStandard();
}

std::shared_ptr<UserDefaults> UserDefaults::sharedStandard() {
    auto& all = registry();
    {
        const MutexLock lock(all.mutex);
        if (all.standard)
            return all.standard;
    }
    auto made = make(std::string(identity::bundleIdentifier));
    const MutexLock lock(all.mutex);
    // Another thread may have made it meanwhile; the first one stays.
    if (!all.standard)
        all.standard = std::move(made);
    return all.standard;
}

std::shared_ptr<UserDefaults> UserDefaults::suite(std::string_view name) {
    if (!isFileName(name) || name == identity::bundleIdentifier || name == globalDomainName) {
        return nullptr;
    }
    auto& all = registry();
    {
        const MutexLock lock(all.mutex);
        if (auto found = all.suites.find(name); found != all.suites.end())
            return found->second;
    }
    auto made = make(std::string(name));
    const MutexLock lock(all.mutex);
    // Another thread may have made the same suite meanwhile; the first one stays.
    return all.suites.emplace(std::string(name), std::move(made)).first->second;
}

void UserDefaults::resetForTesting() {
    // Made here if need be, so that every reset leaves the standard domains read from the home in
    // place.
    (void)standard();
    auto& all = registry();
    // A relaunch follows a program that ended, and saved as it did.
    (void)synchronizeAll();
    std::vector<std::string> lines;
    {
        const MutexLock lock(all.mutex);
        ++all.generation;
        all.domains.clear();
        all.suites.clear();
        all.standard->registration_.clear();
        for (const auto& observation : all.standard->observations_)
            observation->active = false;
        all.standard->observations_.clear();
        loadedDomain(all, all.standard->domainName_, lines);
        loadedDomain(all, globalDomainName, lines);
    }
    printLines(lines);
}

bool UserDefaults::readsDomain(std::string_view name) const {
    return name == domainName_ || name == globalDomainName;
}

// Runs with the registry's lock held, which the header cannot name.
std::optional<PlistObject> UserDefaults::lookup(
    std::string_view key, const Override* override) const ZORAL_NO_THREAD_SAFETY_ANALYSIS {
    auto& all = registry();
    for (const std::string_view layer : {std::string_view(domainName_), globalDomainName}) {
        const PlistDictionary* values = nullptr;
        if (override != nullptr && override->registrationOf == nullptr &&
            override->domain == layer) {
            values = override->values;
        } else if (auto found = all.domains.find(layer); found != all.domains.end()) {
            values = &found->second.values;
        }
        if (values == nullptr)
            continue;
        if (auto found = values->find(key); found != values->end())
            return found->second;
    }
    const PlistDictionary& registered =
        override != nullptr && override->registrationOf == this ? *override->values : registration_;
    if (auto found = registered.find(key); found != registered.end())
        return found->second;
    return std::nullopt;
}

void UserDefaults::change(Mutation mutation) {
    auto& all = registry();
    const bool registration = mutation.domain.empty();

    // Instances whose search list the mutation touches; a suite dropped by resetForTesting still
    // sees its own changes.
    const auto affected = [&]() ZORAL_REQUIRES(all.mutex) {
        std::vector<UserDefaults*> instances;
        if (registration) {
            instances.push_back(this);
            return instances;
        }
        if (readsDomain(mutation.domain))
            instances.push_back(this);
        const auto add = [&](const std::shared_ptr<UserDefaults>& instance) {
            if (instance && instance.get() != this && instance->readsDomain(mutation.domain)) {
                instances.push_back(instance.get());
            }
        };
        add(all.standard);
        for (const auto& [name, instance] : all.suites)
            add(instance);
        return instances;
    };

    std::vector<std::string> lines;
    std::vector<Delivery> priors;
    {
        const MutexLock lock(all.mutex);
        const auto instances = affected();
        const bool anyPrior = std::any_of(instances.begin(), instances.end(), [](auto* instance) {
            return std::any_of(instance->observations_.begin(), instance->observations_.end(),
                               [](const auto& observation) {
                                   return observation->wants(KeyValueObservingOptions::prior);
                               });
        });
        if (anyPrior) {
            PlistDictionary future =
                registration ? registration_ : loadedDomain(all, mutation.domain, lines).values;
            (void)mutation.apply(future);
            const Override override{mutation.domain, registration ? this : nullptr, &future};
            for (auto* instance : instances) {
                for (const auto& observation : instance->observations_) {
                    if (!observation->wants(KeyValueObservingOptions::prior))
                        continue;
                    auto before = instance->lookup(observation->key, nullptr);
                    if (before != instance->lookup(observation->key, &override)) {
                        priors.push_back({observation, observation->priorChange(before)});
                    }
                }
            }
        }
    }
    printLines(lines);
    lines.clear();
    deliver(priors);

    std::vector<Delivery> changes;
    bool unsaved = false;
    {
        const MutexLock lock(all.mutex);
        const auto instances = affected();
        struct Before {
            UserDefaults* instance;
            std::shared_ptr<Observation> observation;
            std::optional<PlistObject> value;
        };
        std::vector<Before> befores;
        for (auto* instance : instances) {
            for (const auto& observation : instance->observations_) {
                befores.push_back(
                    {instance, observation, instance->lookup(observation->key, nullptr)});
            }
        }

        if (registration) {
            (void)mutation.apply(registration_);
        } else {
            detail::StoredDomain& domain = loadedDomain(all, mutation.domain, lines);
            if (auto& reloaded = mutation.reloaded) {
                domain.path = reloaded->domain.path;
                domain.saveBlocked = reloaded->domain.saveBlocked;
                if (!reloaded->keepsValues) {
                    (void)mutation.apply(domain.values);
                    domain.size = std::move(reloaded->domain.size);
                    // What is held now is what the file holds.
                    domain.savedVersion = ++domain.version;
                    domain.lastFailure.reset();
                }
            } else {
                if (storeChange(mutation.domain, domain, mutation.apply, mutation.size, lines))
                    ++domain.version;
                unsaved = domain.hasUnsavedChanges();
            }
        }

        for (auto& before : befores) {
            auto after = before.instance->lookup(before.observation->key, nullptr);
            const bool announced = std::any_of(
                priors.begin(), priors.end(),
                [&](const Delivery& prior) { return prior.observation == before.observation; });
            // A prior change is always followed by its change, even when another thread made the
            // value equal again in between.
            if (after != before.value || announced) {
                changes.push_back(
                    {before.observation, before.observation->change(before.value, after)});
            }
        }
    }
    printLines(lines);
    if (unsaved) {
        if (mutation.saveAtOnce || all.savesAtOnce.load()) {
            (void)saveDomains(mutation.domain);
        } else {
            scheduleSave();
        }
    }
    deliver(changes);
}

void UserDefaults::registerDefaults(const PlistDictionary& defaults) {
    change({.domain = std::string(), .apply = [&defaults](PlistDictionary& registered) {
                for (const auto& [key, value] : defaults)
                    registered.insert_or_assign(key, value);
                return true;
            }});
}

std::optional<PlistObject> UserDefaults::objectForKey(std::string_view key) const {
    auto& all = registry();
    const MutexLock lock(all.mutex);
    return lookup(key, nullptr);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    const auto value = objectForKey(key);
    return value ? detail::coerceToString(*value) : std::nullopt;
}

std::optional<PlistData> UserDefaults::dataForKey(std::string_view key) const {
    auto value = objectForKey(key);
    if (!value)
        return std::nullopt;
    if (auto* data = value->getIf<PlistData>())
        return std::move(*data);
    return std::nullopt;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    const auto value = objectForKey(key);
    return value && detail::coerceToBool(*value);
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
    const auto value = objectForKey(key);
    return value ? detail::coerceToInteger(*value) : 0;
}

double UserDefaults::doubleForKey(std::string_view key) const {
    const auto value = objectForKey(key);
    return value ? detail::coerceToDouble(*value) : 0;
}

void UserDefaults::setObject(std::optional<PlistObject> value, std::string_view key) {
    if (!value) {
        removeObjectForKey(key);
        return;
    }
    PlistDictionary entry;
    entry.emplace(std::string(key), std::move(*value));
    checkStorable(entry);
    const auto& stored = *entry.begin();
    change({.domain = domainName_,
            .apply =
                [&stored](PlistDictionary& values) {
                    const auto found = values.find(stored.first);
                    if (found != values.end() && found->second == stored.second)
                        return false;
                    values.insert_or_assign(stored.first, stored.second);
                    return true;
                },
            .size = detail::EntryChange{stored.first, false,
                                        detail::xmlEntrySize(stored.first, stored.second)}});
}

void UserDefaults::setURL(std::optional<std::string> url, std::string_view key) {
    if (!url) {
        removeObjectForKey(key);
        return;
    }
    setObject(PlistObject::string(std::move(*url)), key);
}

void UserDefaults::setBool(bool value, std::string_view key) {
    setObject(PlistObject::boolean(value), key);
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    change({.domain = domainName_,
            .apply =
                [key](PlistDictionary& values) {
                    const auto found = values.find(key);
                    if (found == values.end())
                        return false;
                    values.erase(found);
                    return true;
                },
            .size = detail::EntryChange{std::string(key), true, std::nullopt}});
}

PlistDictionary UserDefaults::dictionaryRepresentation() const {
    auto& all = registry();
    const MutexLock lock(all.mutex);
    PlistDictionary merged = registration_;
    for (const std::string_view layer : {globalDomainName, std::string_view(domainName_)}) {
        if (auto found = all.domains.find(layer); found != all.domains.end()) {
            for (const auto& [key, value] : found->second.values)
                merged.insert_or_assign(key, value);
        }
    }
    return merged;
}

PlistDictionary UserDefaults::persistentDomainForName(std::string_view name) const {
    checkDomainName(name);
    auto& all = registry();
    std::vector<std::string> lines;
    PlistDictionary values;
    {
        const MutexLock lock(all.mutex);
        values = loadedDomain(all, name, lines).values;
    }
    printLines(lines);
    return values;
}

void UserDefaults::setPersistentDomain(const PlistDictionary& values, std::string_view name) {
    checkDomainName(name);
    checkStorable(values);
    change({.domain = std::string(name),
            .apply =
                [&values](PlistDictionary& stored) {
                    if (stored == values)
                        return false;
                    stored = values;
                    return true;
                },
            .size = detail::DomainFileSize::of(values),
            .saveAtOnce = true});
}

void UserDefaults::removePersistentDomainForName(std::string_view name) {
    checkDomainName(name);
    change({.domain = std::string(name),
            .apply =
                [](PlistDictionary& stored) {
                    if (stored.empty())
                        return false;
                    stored.clear();
                    return true;
                },
            .size = detail::DomainFileSize(),
            .saveAtOnce = true});
}

void UserDefaults::reload() {
    for (const std::string_view name : {std::string_view(domainName_), globalDomainName}) {
        // What was written and waits for its save is kept, as a program that ends keeps it.
        (void)saveDomains(name);
        std::vector<std::string> lines;
        auto fresh = detail::loadDomain(name, preferencesFile(name), lines);
        printLines(lines);
        // A file that cannot be opened now leaves the values in memory as they are.
        const bool keeps = fresh.keepsValues;
        auto values = std::move(fresh.domain.values);
        change({.domain = std::string(name),
                .apply =
                    [keeps, &values](PlistDictionary& stored) {
                        if (keeps)
                            return false;
                        stored = values;
                        return true;
                    },
                .reloaded = std::move(fresh)});
    }
}

bool UserDefaults::synchronize() {
    return synchronizeAll();
}

bool UserDefaults::synchronizeAll() {
    return saveDomains(std::nullopt);
}

void UserDefaults::setSavesAtOnceForTesting(bool atOnce) {
    registry().savesAtOnce = atOnce;
}

KeyValueObserverToken UserDefaults::addObserver(std::string key, KeyValueObservingOptions options,
                                                KeyValueObserver observer) {
    auto observation = std::make_shared<Observation>();
    observation->key = std::move(key);
    observation->options = options;
    observation->observer = std::move(observer);

    auto& all = registry();
    std::vector<Delivery> initial;
    {
        const MutexLock lock(all.mutex);
        observation->id = all.nextObservationId++;
        observations_.push_back(observation);
        if (observation->wants(KeyValueObservingOptions::initial)) {
            auto change = observation->change(std::nullopt, lookup(observation->key, nullptr));
            initial.push_back({observation, std::move(change)});
        }
    }
    deliver(initial);
    return {observation->id};
}

void UserDefaults::removeObserver(KeyValueObserverToken token) {
    auto& all = registry();
    const MutexLock lock(all.mutex);
    const auto found =
        std::find_if(observations_.begin(), observations_.end(),
                     [&](const auto& observation) { return observation->id == token.id; });
    assert(found != observations_.end() && "removing an observer that is not registered");
    if (found == observations_.end())
        return;
    (*found)->active = false;
    observations_.erase(found);
}

}  // namespace zoral::platform
