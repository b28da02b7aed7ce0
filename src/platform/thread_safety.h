#pragma once

// Capability annotations for clang's -Wthread-safety, and a mutex that carries them (the standard
// library's mutex does not). State that a lock guards says so:
//
//   mutable platform::Mutex mutex_;
//   std::map<Key, Value> entries_ ZORAL_GUARDED_BY(mutex_);
//
//   const platform::MutexLock lock(mutex_);
//
// Other compilers ignore the annotations.

#include <mutex>

#if defined(__clang__)
#define ZORAL_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ZORAL_THREAD_ANNOTATION(x)
#endif

#define ZORAL_CAPABILITY(x) ZORAL_THREAD_ANNOTATION(capability(x))
#define ZORAL_SCOPED_CAPABILITY ZORAL_THREAD_ANNOTATION(scoped_lockable)
#define ZORAL_GUARDED_BY(x) ZORAL_THREAD_ANNOTATION(guarded_by(x))
#define ZORAL_PT_GUARDED_BY(x) ZORAL_THREAD_ANNOTATION(pt_guarded_by(x))
#define ZORAL_REQUIRES(...) ZORAL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ZORAL_EXCLUDES(...) ZORAL_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ZORAL_ACQUIRE(...) ZORAL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ZORAL_RELEASE(...) ZORAL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define ZORAL_TRY_ACQUIRE(...) ZORAL_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))

namespace zoral::platform {

class ZORAL_CAPABILITY("mutex") Mutex {
public:
    void lock() ZORAL_ACQUIRE() { mutex_.lock(); }
    void unlock() ZORAL_RELEASE() { mutex_.unlock(); }
    bool try_lock() ZORAL_TRY_ACQUIRE(true) { return mutex_.try_lock(); }

private:
    std::mutex mutex_;
};

// Holds the mutex for its scope.
class ZORAL_SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) ZORAL_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLock() ZORAL_RELEASE() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
};

}  // namespace zoral::platform
