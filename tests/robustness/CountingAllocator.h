#pragma once

// Counting replacements for the C library's allocator entry points and pthread locks, for
// native test programs. Include this in exactly one source file of a program: it defines
// malloc, free and their relatives, pthread_mutex_lock and its relatives, each counting and
// then forwarding to the C library. Every allocation and every lock of the process ends in
// them: operator new and aligned new call malloc and aligned_alloc, CMutex and std::mutex
// call pthread_mutex_lock.
//
// The sanitizers bring allocators of their own, which these definitions would bypass, so
// under them nothing is replaced and Available() is false.

#include <dlfcn.h>
#include <errno.h>
#include <malloc.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace robustness {
namespace counting {

struct Activity {
    uint64_t allocations;
    uint64_t releases;
    uint64_t locks;
};

inline std::atomic<bool> active{false};
inline std::atomic<uint64_t> allocations{0};
inline std::atomic<uint64_t> releases{0};
inline std::atomic<uint64_t> locks{0};
// Blocks and bytes held at any moment, counted all the time.
inline std::atomic<int64_t> liveBlocks{0};
inline std::atomic<int64_t> liveBytes{0};

inline void Note(std::atomic<uint64_t>& counter)
{
    if (active.load(std::memory_order_relaxed))
        counter.fetch_add(1, std::memory_order_relaxed);
}

inline void Gained(void* block)
{
    if (!block)
        return;
    liveBlocks.fetch_add(1, std::memory_order_relaxed);
    liveBytes.fetch_add(int64_t(malloc_usable_size(block)), std::memory_order_relaxed);
}

inline void Lost(void* block)
{
    if (!block)
        return;
    liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    liveBytes.fetch_sub(int64_t(malloc_usable_size(block)), std::memory_order_relaxed);
}

template <typename Work>
Activity CountDuring(Work&& work)
{
    allocations = 0;
    releases = 0;
    locks = 0;
    active = true;
    work();
    active = false;
    return Activity{allocations.load(), releases.load(), locks.load()};
}

template <typename Function>
Function NextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

constexpr bool Available()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

}  // namespace counting
}  // namespace robustness

#if !defined(__SANITIZE_ADDRESS__)

extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* block);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) noexcept
{
    using namespace robustness::counting;
    Note(allocations);
    void* block = __libc_malloc(size);
    Gained(block);
    return block;
}

void free(void* block) noexcept
{
    using namespace robustness::counting;
    if (block)
        Note(releases);
    Lost(block);
    __libc_free(block);
}

void* calloc(size_t count, size_t size) noexcept
{
    using namespace robustness::counting;
    Note(allocations);
    void* block = __libc_calloc(count, size);
    Gained(block);
    return block;
}

void* realloc(void* block, size_t size) noexcept
{
    using namespace robustness::counting;
    Note(allocations);
    Lost(block);
    void* moved = __libc_realloc(block, size);
    // A failed reallocation keeps the old block; a zero size frees it.
    Gained(moved ? moved : (size != 0 ? block : nullptr));
    return moved;
}

void* memalign(size_t alignment, size_t size) noexcept
{
    using namespace robustness::counting;
    Note(allocations);
    void* block = __libc_memalign(alignment, size);
    Gained(block);
    return block;
}

void* aligned_alloc(size_t alignment, size_t size) noexcept
{
    return memalign(alignment, size);
}

int posix_memalign(void** block, size_t alignment, size_t size) noexcept
{
    void* allocated = memalign(alignment, size);
    if (!allocated)
        return ENOMEM;
    *block = allocated;
    return 0;
}

void* valloc(size_t size) noexcept
{
    return memalign(size_t(sysconf(_SC_PAGESIZE)), size);
}

int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept
{
    using Lock = int (*)(pthread_mutex_t*);
    static const Lock next = robustness::counting::NextDefinition<Lock>("pthread_mutex_lock");
    robustness::counting::Note(robustness::counting::locks);
    return next(mutex);
}

int pthread_mutex_trylock(pthread_mutex_t* mutex) noexcept
{
    using Lock = int (*)(pthread_mutex_t*);
    static const Lock next = robustness::counting::NextDefinition<Lock>("pthread_mutex_trylock");
    robustness::counting::Note(robustness::counting::locks);
    return next(mutex);
}

int pthread_mutex_timedlock(pthread_mutex_t* mutex, const struct timespec* limit) noexcept
{
    using Lock = int (*)(pthread_mutex_t*, const struct timespec*);
    static const Lock next = robustness::counting::NextDefinition<Lock>("pthread_mutex_timedlock");
    robustness::counting::Note(robustness::counting::locks);
    return next(mutex, limit);
}

int pthread_rwlock_rdlock(pthread_rwlock_t* lock) noexcept
{
    using Lock = int (*)(pthread_rwlock_t*);
    static const Lock next = robustness::counting::NextDefinition<Lock>("pthread_rwlock_rdlock");
    robustness::counting::Note(robustness::counting::locks);
    return next(lock);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* lock) noexcept
{
    using Lock = int (*)(pthread_rwlock_t*);
    static const Lock next = robustness::counting::NextDefinition<Lock>("pthread_rwlock_wrlock");
    robustness::counting::Note(robustness::counting::locks);
    return next(lock);
}
}  // extern "C"

#endif
