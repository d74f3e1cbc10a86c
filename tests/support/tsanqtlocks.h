// Makes Qt's locks visible to ThreadSanitizer in a -fsanitize=thread build. Qt 5 is not
// instrumented and QMutex and QReadWriteLock sleep on futexes, so without this every access
// they guard is reported as a race. The executable's definitions below take the place of
// Qt's own (for Qt's internal calls too), tell ThreadSanitizer about each lock and unlock,
// and forward to the real functions. Include it in exactly one source of a test binary;
// outside a ThreadSanitizer build it is empty.
#pragma once

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOLLMARK_TSAN 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define TOLLMARK_TSAN 1
#endif

#ifdef TOLLMARK_TSAN

#include <QDeadlineTimer>
#include <QMutex>
#include <QReadWriteLock>
#include <QWaitCondition>

#include <sanitizer/tsan_interface.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tsanqtlocks {

template <typename Fn> Fn real(const char* symbol)
{
    void* address = dlsym(RTLD_NEXT, symbol);
    if (!address) {
        std::fprintf(stderr, "tsanqtlocks: %s not found\n", symbol);
        std::abort();
    }
    return reinterpret_cast<Fn>(address);
}

// ThreadSanitizer must be told whether an unlock ends a read or a write hold, which
// QReadWriteLock::unlock() does not say; each thread remembers the holds it took.
inline std::vector<std::pair<const void*, unsigned>>& readWriteHolds()
{
    thread_local std::vector<std::pair<const void*, unsigned>> holds;
    return holds;
}

inline void rememberHold(const void* lock, unsigned flags)
{
    readWriteHolds().emplace_back(lock, flags);
}

inline unsigned forgetHold(const void* lock)
{
    auto& holds = readWriteHolds();
    for (auto it = holds.rbegin(); it != holds.rend(); ++it) {
        if (it->first == lock) {
            const unsigned flags = it->second;
            holds.erase(std::next(it).base());
            return flags;
        }
    }
    return 0;
}

template <typename Fn, typename Lock, typename... Args>
bool annotatedTry(Fn fn, Lock* lock, unsigned flags, Args... args)
{
    __tsan_mutex_pre_lock(lock, flags | __tsan_mutex_try_lock);
    const bool taken = fn(lock, args...);
    __tsan_mutex_post_lock(
        lock, flags | __tsan_mutex_try_lock | (taken ? 0 : __tsan_mutex_try_lock_failed), 0);
    return taken;
}

template <typename Fn, typename Lock> void annotatedLock(Fn fn, Lock* lock, unsigned flags)
{
    __tsan_mutex_pre_lock(lock, flags);
    fn(lock);
    __tsan_mutex_post_lock(lock, flags, 0);
}

template <typename Fn, typename Lock> void annotatedUnlock(Fn fn, Lock* lock, unsigned flags)
{
    __tsan_mutex_pre_unlock(lock, flags);
    fn(lock);
    __tsan_mutex_post_unlock(lock, flags);
}

} // namespace tsanqtlocks

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto fn = tsanqtlocks::real<void (*)(QMutex*)>("_ZN6QMutex4lockEv");
    tsanqtlocks::annotatedLock(fn, this, 0);
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto fn = tsanqtlocks::real<bool (*)(QMutex*, int)>("_ZN6QMutex7tryLockEi");
    return tsanqtlocks::annotatedTry(fn, this, 0, timeout);
}

void QMutex::unlock() noexcept
{
    static const auto fn = tsanqtlocks::real<void (*)(QMutex*)>("_ZN6QMutex6unlockEv");
    tsanqtlocks::annotatedUnlock(fn, this, 0);
}

void QReadWriteLock::lockForRead()
{
    static const auto fn
        = tsanqtlocks::real<void (*)(QReadWriteLock*)>("_ZN14QReadWriteLock11lockForReadEv");
    tsanqtlocks::annotatedLock(fn, this, __tsan_mutex_read_lock);
    tsanqtlocks::rememberHold(this, __tsan_mutex_read_lock);
}

void QReadWriteLock::lockForWrite()
{
    static const auto fn
        = tsanqtlocks::real<void (*)(QReadWriteLock*)>("_ZN14QReadWriteLock12lockForWriteEv");
    tsanqtlocks::annotatedLock(fn, this, 0);
    tsanqtlocks::rememberHold(this, 0);
}

bool QReadWriteLock::tryLockForRead()
{
    static const auto fn
        = tsanqtlocks::real<bool (*)(QReadWriteLock*)>("_ZN14QReadWriteLock14tryLockForReadEv");
    const bool taken = tsanqtlocks::annotatedTry(fn, this, __tsan_mutex_read_lock);
    if (taken)
        tsanqtlocks::rememberHold(this, __tsan_mutex_read_lock);
    return taken;
}

bool QReadWriteLock::tryLockForWrite()
{
    static const auto fn
        = tsanqtlocks::real<bool (*)(QReadWriteLock*)>("_ZN14QReadWriteLock15tryLockForWriteEv");
    const bool taken = tsanqtlocks::annotatedTry(fn, this, 0);
    if (taken)
        tsanqtlocks::rememberHold(this, 0);
    return taken;
}

void QReadWriteLock::unlock()
{
    static const auto fn
        = tsanqtlocks::real<void (*)(QReadWriteLock*)>("_ZN14QReadWriteLock6unlockEv");
    tsanqtlocks::annotatedUnlock(fn, this, tsanqtlocks::forgetHold(this));
}

// Qt lets go of the mutex while the thread sleeps and takes it again before returning.
bool QWaitCondition::wait(QMutex* lockedMutex, QDeadlineTimer deadline)
{
    static const auto fn = tsanqtlocks::real<bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer)>(
        "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    __tsan_mutex_pre_unlock(lockedMutex, 0);
    __tsan_mutex_post_unlock(lockedMutex, 0);
    const bool woken = fn(this, lockedMutex, deadline);
    __tsan_mutex_pre_lock(lockedMutex, 0);
    __tsan_mutex_post_lock(lockedMutex, 0, 0);
    return woken;
}

bool QWaitCondition::wait(QMutex* lockedMutex, unsigned long time)
{
    static const auto fn = tsanqtlocks::real<bool (*)(QWaitCondition*, QMutex*, unsigned long)>(
        "_ZN14QWaitCondition4waitEP6QMutexm");
    __tsan_mutex_pre_unlock(lockedMutex, 0);
    __tsan_mutex_post_unlock(lockedMutex, 0);
    const bool woken = fn(this, lockedMutex, time);
    __tsan_mutex_pre_lock(lockedMutex, 0);
    __tsan_mutex_post_lock(lockedMutex, 0, 0);
    return woken;
}

#endif
