#pragma once

// The promise module's own errors, and the test that decides whether an error stands for a
// cancellation (error handlers may be told to let cancellations pass).

#include <any>
#include <cstdint>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>

#include "platform/error.h"
#include "promises/text_form.h"

namespace zoral::promises {

class PromisesError : public platform::Error {
public:
    enum class Kind {
        flatMap,
        compactMap,
        invalidCallingConvention,
        returnedSelf,
        badInput,
        cancelled,
        emptySequence,
        noWinner
    };

    static constexpr std::string_view errorDomain = "PromisesError";

    // A kind without payload; flatMap and compactMap take theirs through the templates below.
    explicit PromisesError(Kind kind);

    static ErrorRef make(Kind kind);
    static ErrorRef invalidCallingConvention() { return make(Kind::invalidCallingConvention); }
    static ErrorRef returnedSelf() { return make(Kind::returnedSelf); }
    static ErrorRef badInput() { return make(Kind::badInput); }
    static ErrorRef cancelled() { return make(Kind::cancelled); }
    static ErrorRef emptySequence() { return make(Kind::emptySequence); }
    static ErrorRef noWinner() { return make(Kind::noWinner); }

    // A value that a conversion to `Target` could not turn into one.
    template <class Target, class Value>
    static ErrorRef flatMap(const Value& value) {
        return withPayload(Kind::flatMap, value, typeid(Target), typeName<Target>());
    }
    template <class Target, class Value>
    static ErrorRef compactMap(const Value& value) {
        return withPayload(Kind::compactMap, value, typeid(Target), typeName<Target>());
    }

    Kind kind() const { return kind_; }
    // The payload of flatMap and compactMap: the input value and the type that was asked for.
    const std::any& value() const { return value_; }
    std::type_index targetType() const { return targetType_; }
    const std::string& targetTypeName() const { return targetTypeName_; }

    std::string debugDescription() const { return description(); }
    std::string localizedDescription() const { return description(); }

    // The text of a kind, for kinds without payload.
    static std::string text(Kind kind);

private:
    PromisesError(Kind kind, std::any value, std::type_index targetType, std::string targetTypeName,
                  const std::string& valueText);

    template <class Value>
    static ErrorRef withPayload(Kind kind, const Value& value, const std::type_info& target,
                                std::string targetName) {
        return ErrorRef(new PromisesError(kind, std::any(value), std::type_index(target),
                                          std::move(targetName), textForm(value)));
    }

    Kind kind_;
    std::any value_;
    std::type_index targetType_;
    std::string targetTypeName_;
};

// An error type of any module says through this whether one of its values is a cancellation.
class CancellableError {
public:
    virtual ~CancellableError() = default;
    virtual bool countsAsCancelled() const = 0;
};

// The errors of the system that stand for a cancellation, by domain and code.
inline constexpr std::string_view urlLoadingErrorDomain = "NSURLErrorDomain";
inline constexpr std::int64_t urlLoadingCancelled = -999;
inline constexpr std::string_view systemErrorDomain = "NSCocoaErrorDomain";
inline constexpr std::int64_t systemUserCancelled = 3072;
// A payment that the user cancelled.
inline constexpr std::string_view paymentErrorDomain = "SKErrorDomain";
inline constexpr std::int64_t paymentCancelled = 2;

bool countsAsCancelled(const platform::Error& error);
bool countsAsCancelled(const ErrorRef& error);

}  // namespace zoral::promises
