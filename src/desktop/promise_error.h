#pragma once

// The error with which the program's own promise chains fail. It is a platform::Error, so that it
// travels through the chains as an ErrorRef like any other; code that retries or reports asks
// promiseErrorOf() whether an error is one of these.
//
// domain "Zoral.PromiseError"; code 0 generic, 1 default, 2 cancel; description "PromiseError."
// and the case name, a generic error adding its message in parentheses. The cancel case is an
// ordinary error, not a cancellation: handlers that skip cancellations still receive it.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace zoral::desktop {

class PromiseError : public platform::Error {
public:
    enum class Kind : std::uint8_t { generic, default_, cancel };

    static constexpr std::string_view errorDomain = "Zoral.PromiseError";

    static PromiseError generic(std::string message);
    // "default" is a keyword: the case is default_.
    static PromiseError default_();
    static PromiseError cancel();

    // The same, ready to reject a promise with.
    static platform::ErrorRef makeGeneric(std::string message);
    static platform::ErrorRef makeDefault();
    static platform::ErrorRef makeCancel();

    Kind kind() const { return kind_; }
    // The message of a generic error; empty for the others.
    const std::string& message() const { return message_; }

    // Same case, and for generic the same message.
    friend bool operator==(const PromiseError& a, const PromiseError& b) {
        return a.kind_ == b.kind_ && a.message_ == b.message_;
    }

private:
    PromiseError(Kind kind, std::string message);

    Kind kind_;
    std::string message_;
};

// The error as a PromiseError, or null when it is none (or null).
const PromiseError* promiseErrorOf(const platform::ErrorRef& error);

}  // namespace zoral::desktop
