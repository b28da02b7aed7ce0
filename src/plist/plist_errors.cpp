#include "plist/plist_errors.h"

namespace zoral::plist {

const char* kindName(PListLoadError::Kind kind) {
    switch (kind) {
        case PListLoadError::Kind::fileNotFound:
            return "fileNotFound";
        case PListLoadError::Kind::formatNotExpected:
            return "formatNotExpected";
        case PListLoadError::Kind::unexpectedKeyTypeEncountered:
            return "unexpectedKeyTypeEncountered";
        case PListLoadError::Kind::unexpectedKeyValueEncountered:
            return "unexpectedKeyValueEncountered";
        case PListLoadError::Kind::unhandledType:
            return "unhandledType";
    }
    return "unknown";
}

PListLoadError::PListLoadError(Kind kind)
    : platform::Error(std::string(errorDomain), static_cast<std::int64_t>(kind), kindName(kind)),
      kind_(kind) {}

PListLoadError::PListLoadError(Kind kind, const std::string& detail)
    : platform::Error(std::string(errorDomain), static_cast<std::int64_t>(kind),
                      std::string(kindName(kind)) + ": " + detail),
      kind_(kind) {}

LocalizedError::LocalizedError(std::string description, std::string failureReason,
                               std::optional<std::string> recoverySuggestion)
    : platform::Error(std::string(errorDomain), errorCode, std::move(description)),
      failureReason_(std::move(failureReason)),
      recoverySuggestion_(std::move(recoverySuggestion)) {}

LocalizedError makeLocalizedError(const std::string& text,
                                  const std::optional<std::string>& recoverySuggestion) {
    return LocalizedError(text, text, recoverySuggestion);
}

}  // namespace zoral::plist
