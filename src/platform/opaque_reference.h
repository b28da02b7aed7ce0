#pragma once

// A reference to one of the system's objects, as its C interfaces hand them out: copies name the
// same object, and the null reference names none. The tag keeps references of different kinds
// apart.

#include <compare>
#include <cstdint>

namespace zoral::platform {

template <class Tag>
class OpaqueReference {
public:
    constexpr OpaqueReference() = default;
    explicit constexpr OpaqueReference(std::uint64_t identifier) : identifier_(identifier) {}

    constexpr std::uint64_t identifier() const { return identifier_; }
    constexpr explicit operator bool() const { return identifier_ != 0; }
    friend constexpr bool operator==(OpaqueReference, OpaqueReference) = default;
    friend constexpr auto operator<=>(OpaqueReference, OpaqueReference) = default;

private:
    std::uint64_t identifier_ = 0;
};

}  // namespace zoral::platform
