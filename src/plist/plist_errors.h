#pragma once

// The errors of property-list documents: loading raises PListLoadError,
// saving raises LocalizedError of domain "PropertyLists", code -1.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace zoral::plist {

class PListLoadError : public platform::Error {
public:
    // Only the first two are raised; the others complete the set that callers
    // may already match on.
    enum class Kind {
        fileNotFound,
        formatNotExpected,
        unexpectedKeyTypeEncountered,
        unexpectedKeyValueEncountered,
        unhandledType
    };

    static constexpr std::string_view errorDomain = "PropertyLists.PList.LoadError";

    explicit PListLoadError(Kind kind);
    // With what went wrong: the description is the kind's name, a colon and the detail.
    PListLoadError(Kind kind, const std::string& detail);
    Kind kind() const { return kind_; }

    // Equal by case, whatever the detail.
    friend bool operator==(const PListLoadError& a, const PListLoadError& b) {
        return a.kind_ == b.kind_;
    }

private:
    Kind kind_;
};

const char* kindName(PListLoadError::Kind kind);

// An error with a description, a failure reason and an optional recovery
// suggestion, as the document's saving reports them.
class LocalizedError : public platform::Error {
public:
    static constexpr std::string_view errorDomain = "PropertyLists";
    static constexpr std::int64_t errorCode = -1;

    LocalizedError(std::string description, std::string failureReason,
                   std::optional<std::string> recoverySuggestion);

    const std::string& failureReason() const { return failureReason_; }
    const std::optional<std::string>& recoverySuggestion() const { return recoverySuggestion_; }

private:
    std::string failureReason_;
    std::optional<std::string> recoverySuggestion_;
};

// The text serves as both description and failure reason. The program ships
// no string tables, so localising leaves every text as it is.
LocalizedError makeLocalizedError(const std::string& text,
                                  const std::optional<std::string>& recoverySuggestion = {});

}  // namespace zoral::plist
