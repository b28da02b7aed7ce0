#pragma once

// Environment variables set for the life of an object, and put back as they were afterwards.

#include <optional>
#include <string>

namespace zoral::testing {

class ScopedEnvironmentVariable {
public:
    // Sets the variable to the value, or removes it with none.
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// The process's time zone (TZ), so that local times in tests do not depend on the machine.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<ScopedEnvironmentVariable> variable_;
};

}  // namespace zoral::testing
