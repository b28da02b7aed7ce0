#pragma once

// Makes file permissions hold for the calling thread for the life of a scope, as they hold for a
// user other than the super-user: the capabilities that override them are dropped from the
// thread's effective set, and raised again at the end. Tests that need a file that cannot be read
// or a directory that cannot be written run under it, whoever runs them; for a user without those
// capabilities it changes nothing.

#include <cstdint>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zoral::testing {

class ScopedFilePermissions {
public:
    ScopedFilePermissions() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;  // the calling thread
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        constexpr std::uint32_t overrides =
            (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
        lowered[0].effective &= ~overrides;
        changed_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~ScopedFilePermissions() {
        if (changed_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    ScopedFilePermissions(const ScopedFilePermissions&) = delete;
    ScopedFilePermissions& operator=(const ScopedFilePermissions&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

}  // namespace zoral::testing
