#include "promises/promises_error.h"

#include <utility>

namespace zoral::promises {

namespace {

std::string prefixed(const char* operation, const std::string& typeName,
                     const std::string& valueText) {
    return std::string("Could not `") + operation + "<" + typeName + ">`: " + valueText;
}

}  // namespace

std::string PromisesError::text(Kind kind) {
    switch (kind) {
        case Kind::flatMap:
            return "Could not `flatMap`";
        case Kind::compactMap:
            return "Could not `compactMap`";
        case Kind::invalidCallingConvention:
            return "A closure was called with an invalid calling convention, probably (nil, nil)";
        case Kind::returnedSelf:
            return "A promise handler returned itself";
        case Kind::badInput:
            return "Bad input was provided to a Promises function";
        case Kind::cancelled:
            return "The asynchronous sequence was cancelled";
        case Kind::emptySequence:
            return "The first or last element was requested for an empty sequence";
        case Kind::noWinner:
            return "All thenables passed to race(fulfilled:) were rejected";
    }
    return "";
}

PromisesError::PromisesError(Kind kind)
    : platform::Error(std::string(errorDomain), static_cast<std::int64_t>(kind), text(kind)),
      kind_(kind),
      targetType_(typeid(void)) {}

PromisesError::PromisesError(Kind kind, std::any value, std::type_index targetType,
                             std::string targetTypeName, const std::string& valueText)
    : platform::Error(
          std::string(errorDomain), static_cast<std::int64_t>(kind),
          prefixed(kind == Kind::flatMap ? "flatMap" : "compactMap", targetTypeName, valueText)),
      kind_(kind),
      value_(std::move(value)),
      targetType_(targetType),
      targetTypeName_(std::move(targetTypeName)) {}

ErrorRef PromisesError::make(Kind kind) {
    return std::make_shared<const PromisesError>(kind);
}

ErrorRef rejectionError(ErrorRef error) {
    // A null error would leave the rejection without anything to report or rethrow.
    return error ? error : PromisesError::invalidCallingConvention();
}

bool countsAsCancelled(const platform::Error& error) {
    if (const auto* own = dynamic_cast<const PromisesError*>(&error)) {
        if (own->kind() == PromisesError::Kind::cancelled)
            return true;
    }
    if (const auto* cancellable = dynamic_cast<const CancellableError*>(&error))
        return cancellable->countsAsCancelled();
    const std::string domain = error.domain();
    const std::int64_t code = error.code();
    if (domain == urlLoadingErrorDomain)
        return code == urlLoadingCancelled;
    if (domain == systemErrorDomain)
        return code == systemUserCancelled;
    return domain == paymentErrorDomain && code == paymentCancelled;
}

bool countsAsCancelled(const ErrorRef& error) {
    return error && countsAsCancelled(*error);
}

}  // namespace zoral::promises
