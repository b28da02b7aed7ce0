#include "platform/error.h"

#include <utility>

namespace zoral::platform {

Error::Error(std::string domain, std::int64_t code, std::string description)
    : domain_(std::move(domain)), code_(code), description_(std::move(description)) {}

std::string Error::description() const {
    return description_;
}

std::string Error::domain() const {
    return domain_;
}

std::int64_t Error::code() const {
    return code_;
}

const char* Error::what() const noexcept {
    return description_.c_str();
}

ErrorRef makeError(std::string domain, std::int64_t code, std::string description) {
    return std::make_shared<const Error>(std::move(domain), code, std::move(description));
}

ThrownError::ThrownError(ErrorRef error) : error_(std::move(error)) {}

const char* ThrownError::what() const noexcept {
    return error_ ? error_->what() : "ThrownError without an error";
}

void throwError(ErrorRef error) {
    throw ThrownError(std::move(error));
}

ErrorRef currentError() {
    return errorFromException(std::current_exception());
}

ErrorRef errorFromException(const std::exception_ptr& exception) {
    if (!exception) {
        return nullptr;
    }
    try {
        std::rethrow_exception(exception);
    } catch (const ThrownError& thrown) {
        return thrown.error();
    } catch (const Error& error) {
        // Share ownership with the exception object itself rather than copying it, which keeps
        // both its identity and its dynamic type.
        auto keeper = std::make_shared<const std::exception_ptr>(exception);
        return ErrorRef(keeper, &error);
    } catch (const std::exception& other) {
        return makeError(std::string(standardExceptionDomain), 0, other.what());
    } catch (...) {
        return makeError(std::string(unknownExceptionDomain), 0, "Unknown exception");
    }
}

}  // namespace zoral::platform
