#pragma once

// Capability annotations for clang's -Wthread-safety, and a mutex that carries them (the standard
// library's mutex does not). State that a lock guards says so:
//
//   mutable platform::Mutex mutex_;
//   std::map<Key, Value> entries_ ZORAL_GUARDED_BY(mutex_);
//
//   const platform::MutexLock lock(mutex_);
//
// A condition variable waits on a held platform::Mutex; the caller loops on its own condition,
// so the analysis sees the lock held where the condition is read:
//
//   while (!ready_)
//       changed_.wait(mutex_);
//
// Other compilers ignore the annotations.

#include <chrono>
#include <condition_variable>
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
// Turns the analysis off for one function, where a lock pattern is beyond what the annotations
// express; say why at each use.
#define ZORAL_NO_THREAD_SAFETY_ANALYSIS ZORAL_THREAD_ANNOTATION(no_thread_safety_analysis)

namespace zoral::platform {

class ZORAL_CAPABILITY("mutex") Mutex {
public:
    void lock() ZORAL_ACQUIRE() { mutex_.lock(); }
    void unlock() ZORAL_RELEASE() { mutex_.unlock(); }
    bool try_lock() ZORAL_TRY_ACQUIRE(true) { return mutex_.try_lock(); }

private:
    friend class ConditionVariable;
    std::mutex mutex_;
};

// The standard condition variable, waiting on a Mutex that the caller holds: it lets go of the
// mutex while it waits and holds it again when it returns. Wake-ups may be spurious.
class ConditionVariable {
public:
    void notifyOne() noexcept { changed_.notify_one(); }
    void notifyAll() noexcept { changed_.notify_all(); }

    void wait(Mutex& mutex) ZORAL_REQUIRES(mutex) {
        std::unique_lock<std::mutex> lock(mutex.mutex_, std::adopt_lock);
        changed_.wait(lock);
        lock.release();
    }

    template <class Clock, class Duration>
    std::cv_status waitUntil(Mutex& mutex, const std::chrono::time_point<Clock, Duration>& deadline)
        ZORAL_REQUIRES(mutex) {
        std::unique_lock<std::mutex> lock(mutex.mutex_, std::adopt_lock);
        const std::cv_status status = changed_.wait_until(lock, deadline);
        lock.release();
        return status;
    }

private:
    std::condition_variable changed_;
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

// Lets go of a mutex that the caller holds for its scope, and takes it back at the end of the
// scope, also when an exception leaves it.
class ZORAL_SCOPED_CAPABILITY MutexUnlock {
public:
    explicit MutexUnlock(Mutex& mutex) ZORAL_RELEASE(mutex) : mutex_(mutex) { mutex_.unlock(); }
    ~MutexUnlock() ZORAL_RELEASE() { mutex_.lock(); }
    MutexUnlock(const MutexUnlock&) = delete;
    MutexUnlock& operator=(const MutexUnlock&) = delete;

private:
    Mutex& mutex_;
};

}  // namespace zoral::platform
