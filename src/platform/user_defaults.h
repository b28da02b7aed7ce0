#pragma once

// The user defaults: named domains of property-list values, each kept in its own file at
// <home>/Library/Preferences/<domain>.plist. An instance reads through its search list: its own
// domain, then the global domain, then its registration domain (volatile defaults that are never
// written to disk). Writes go to its own domain.
//
// A write is seen by every reader at once and saved behind it: the first change of a domain asks
// for a save on a background queue saveDelay seconds later, which saves every domain changed by
// then, so that a burst of changes makes one save and the writer never waits for a disk. The save
// takes a copy of the values under the lock and makes and writes the file outside it. synchronize()
// and synchronizeAll() save at once, and so must the program when it ends (its quit path, and
// SIGTERM and SIGINT through platform/user_defaults_termination.h). A save replaces the file
// atomically (through a symbolic link to the file it names, keeping the file's permissions), so a
// save killed half-way leaves the old file or the new one whole. A save that fails prints one
// line, once for as long as the same fault lasts, and the values stay in memory for the next save.
//
// A write that would make the file larger than can be read back is refused with one line, when it
// is made. Files are XML, or binary for a domain holding what XML cannot (control characters in
// strings) or too large in XML. A file whose content cannot be used is moved aside to
// <domain>.plist.corrupt (numbered when earlier copies are there), with one line, and the domain
// starts empty; one that cannot be opened stays in place and is never saved over
// (user_defaults_storage.h). Without a home (platform/home.h) the domains live in memory only.
//
// Every call is safe from any thread. Observers are called on the writing thread, before the write
// returns, with no lock held, so that a handler may read and write again.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/key_value_observing.h"
#include "platform/plist_object.h"

namespace zoral::platform {

class UserDefaults {
public:
    // Shared by every instance: the system-wide settings, such as the appearance, live here.
    static constexpr std::string_view globalDomainName = "NSGlobalDomain";

    // How long after a domain's first unsaved change its save comes, in seconds of the scheduler's
    // clock: the changes of that time go into one save.
    static constexpr double saveDelay = 1.0;

    // The program's own domain, named by its bundle identifier. It lives as long as the process's
    // state (platform/process_state.h).
    static UserDefaults& standard();
    // The same instance, shared.
    static std::shared_ptr<UserDefaults> sharedStandard();

    // The one instance for the named domain. Null for names that cannot be opened as a suite: the
    // empty name, the program's own domain, the global domain, and names that cannot be a file name
    // ("." and "..", or containing '/' or a NUL character).
    static std::shared_ptr<UserDefaults> suite(std::string_view name);

    // Saves at once every domain with changes not yet on disk, waiting for their save or left by
    // one that failed; false when one cannot be saved. The program's termination calls it (without
    // making the standard instance, which synchronize() needs).
    static bool synchronizeAll();

    // Saves what is not saved yet, as a program that ends does, then forgets every suite, every
    // registration and observer and every loaded domain, and makes the standard instance read its
    // files again from the current home. References to standard() stay valid. For tests.
    static void resetForTesting();

    // Saves in the write itself, before it returns, instead of behind it: for tests that look at
    // the file right after each write. Resets leave it as it is.
    static void setSavesAtOnceForTesting(bool atOnce);

    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    const std::string& domainName() const { return domainName_; }

    // Merges into the registration domain: a key registered again takes the new value. Observers
    // whose effective value changes are told, as for a write.
    void registerDefaults(const PlistDictionary& defaults);

    // The value found first along the search list.
    std::optional<PlistObject> objectForKey(std::string_view key) const;
    // A string, or a number as its text (true as "1", 3.0 as "3").
    std::optional<std::string> stringForKey(std::string_view key) const;
    std::optional<PlistData> dataForKey(std::string_view key) const;
    // A boolean or a number (non-zero), or a string "YES"/"true" (any case) or of a non-zero
    // integer; false otherwise.
    bool boolForKey(std::string_view key) const;
    // A number (a real truncated towards zero, out-of-range values clamped), a boolean as 0 or 1,
    // or a string that starts with an integer; 0 otherwise.
    std::int64_t integerForKey(std::string_view key) const;
    // A number, a boolean as 0 or 1, or a string that starts with a number; 0 otherwise.
    double doubleForKey(std::string_view key) const;

    // Stores the value in this instance's domain, to be saved behind the write; no value removes
    // the key. Throws std::invalid_argument, changing nothing, for a value that no property-list
    // file can hold (a string that is not valid UTF-8, nesting too deep). A value that would make
    // the file too large to be read back is not stored; one line says so.
    void setObject(std::optional<PlistObject> value, std::string_view key);
    // A URL is stored as its text; no URL removes the key.
    void setURL(std::optional<std::string> url, std::string_view key);
    void setBool(bool value, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // Every key of the search list with the value a read would give.
    PlistDictionary dictionaryRepresentation() const;

    // The stored values of any domain, whether or not an instance reads it (empty when it has
    // none). Names are checked as for suite(), but the program's and the global domain are allowed;
    // an invalid name throws std::invalid_argument.
    PlistDictionary persistentDomainForName(std::string_view name) const;
    // Replaces a whole domain and saves it at once, not behind: a whole domain is handed to the
    // other readers of its file (the system's own domains are read from their files), and such
    // replacements are rare. Observers of every instance that reads it are told. Throws
    // std::invalid_argument as setObject does.
    void setPersistentDomain(const PlistDictionary& values, std::string_view name);
    void removePersistentDomainForName(std::string_view name);

    // Reads this instance's domain and the global domain from their files again, from the current
    // home, as a relaunch would (their changes not yet on disk are saved first, as the program
    // does when it ends); observers of values that differ are told.
    void reload();

    // Saves at once every domain with changes not yet on disk: synchronizeAll().
    bool synchronize();

    // Calls the observer for each change of the key's effective value (the value a read gives, so
    // registrations and the global domain count). Writes that leave the value as it was tell
    // nobody. With initial, the observer is called once before this returns, with the current
    // value as the new one.
    KeyValueObserverToken addObserver(std::string key, KeyValueObservingOptions options,
                                      KeyValueObserver observer);
    // Removing an observer that is not registered here is a programming error.
    void removeObserver(KeyValueObserverToken token);

private:
    struct Observation;
    struct Mutation;
    struct Override;
    struct Delivery;

    explicit UserDefaults(std::string domainName);
    static std::shared_ptr<UserDefaults> make(std::string domainName);

    void change(Mutation mutation);
    // The effective value; with an override, one layer reads as given there. Call with the lock.
    std::optional<PlistObject> lookup(std::string_view key, const Override* override) const;
    bool readsDomain(std::string_view name) const;
    // Calls the observers still registered; call without the lock.
    static void deliver(const std::vector<Delivery>& deliveries);

    const std::string domainName_;
    // Guarded by the process-wide lock of all domains.
    PlistDictionary registration_;
    std::vector<std::shared_ptr<Observation>> observations_;
};

}  // namespace zoral::platform
