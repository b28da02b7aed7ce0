#include "desktop/promise_error.h"

#include <memory>
#include <utility>

namespace zoral::desktop {
namespace {

std::string describe(PromiseError::Kind kind, const std::string& message) {
    switch (kind) {
        case PromiseError::Kind::generic:
            return "PromiseError.generic(" + message + ")";
        case PromiseError::Kind::default_:
            return "PromiseError.default";
        case PromiseError::Kind::cancel:
            return "PromiseError.cancel";
    }
    return "PromiseError";
}

}  // namespace

PromiseError::PromiseError(Kind kind, std::string message)
    : platform::Error(std::string(errorDomain), static_cast<std::int64_t>(kind),
                      describe(kind, message)),
      kind_(kind),
      message_(std::move(message)) {}

PromiseError PromiseError::generic(std::string message) {
    return PromiseError(Kind::generic, std::move(message));
}

PromiseError PromiseError::default_() {
    return PromiseError(Kind::default_, {});
}

PromiseError PromiseError::cancel() {
    return PromiseError(Kind::cancel, {});
}

platform::ErrorRef PromiseError::makeGeneric(std::string message) {
    return std::make_shared<const PromiseError>(generic(std::move(message)));
}

platform::ErrorRef PromiseError::makeDefault() {
    return std::make_shared<const PromiseError>(default_());
}

platform::ErrorRef PromiseError::makeCancel() {
    return std::make_shared<const PromiseError>(cancel());
}

const PromiseError* promiseErrorOf(const platform::ErrorRef& error) {
    return dynamic_cast<const PromiseError*>(error.get());
}

}  // namespace zoral::desktop
