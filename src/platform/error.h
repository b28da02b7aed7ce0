#pragma once

// The error model: an error has a description, a domain and a code, and typed errors derive from
// Error. Errors travel as ErrorRef, a shared pointer to an immutable error, so that whoever passes
// an error along passes the same object: two ErrorRefs are the same error when their pointers are
// equal.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace zoral::platform {

class Error : public std::exception {
public:
    Error(std::string domain, std::int64_t code, std::string description);

    virtual std::string description() const;
    virtual std::string domain() const;
    virtual std::int64_t code() const;
    // The description given at construction.
    const char* what() const noexcept override;

private:
    std::string domain_;
    std::int64_t code_;
    std::string description_;
};

using ErrorRef = std::shared_ptr<const Error>;

ErrorRef makeError(std::string domain, std::int64_t code, std::string description);

// Domains of the errors that stand for exceptions which are no Error.
inline constexpr std::string_view standardExceptionDomain = "StandardException";
inline constexpr std::string_view unknownExceptionDomain = "UnknownException";

// What throwError throws: carries the error itself across a throwing boundary.
class ThrownError : public std::exception {
public:
    explicit ThrownError(ErrorRef error);
    const ErrorRef& error() const { return error_; }
    const char* what() const noexcept override;

private:
    ErrorRef error_;
};

// Throws the error as a ThrownError; currentError gives back the same object.
[[noreturn]] void throwError(ErrorRef error);

// The exception in flight (call only inside a catch block) as an error:
// - a ThrownError gives the error it carries;
// - an Error thrown by value gives that very object, kept alive by the returned pointer, so that
//   asking twice for the same exception gives the same error;
// - any other std::exception gives a new error of standardExceptionDomain with its what() text;
// - anything else gives a new error of unknownExceptionDomain.
ErrorRef currentError();

// The same for a stored exception; a null pointer gives a null ErrorRef.
ErrorRef errorFromException(const std::exception_ptr& exception);

}  // namespace zoral::platform
