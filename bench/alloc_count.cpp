// The C library's allocation entry points are replaced here and handed to glibc's own
// allocator; operator new reaches them through libstdc++. Allocations are attributed by
// return address: a call site inside this executable's text is the program's (vinca_core is
// linked in statically), anything else a library's (new from the program's code included,
// which it does not use).
#include "alloc_count.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *p, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *p);
extern char __executable_start;
extern char etext;
}

namespace {

thread_local bool onMainThread = false;
long long mainAll = 0;
long long mainFromProgram = 0;
std::atomic<long long> otherThreads{0};

inline void note(const void *caller) {
    if (onMainThread) {
        mainAll++;
        if (caller >= &__executable_start && caller < &etext) {
            mainFromProgram++;
        }
    } else {
        otherThreads.fetch_add(1, std::memory_order_relaxed);
    }
}

} // namespace

void markMainThread() {
    onMainThread = true;
}

AllocCounts allocCounts() {
    return {mainAll, mainFromProgram, otherThreads.load(std::memory_order_relaxed)};
}

AllocCounts operator-(const AllocCounts &a, const AllocCounts &b) {
    return {a.all - b.all, a.fromProgram - b.fromProgram, a.otherThreads - b.otherThreads};
}

extern "C" {

void *malloc(size_t size) noexcept {
    note(__builtin_return_address(0));
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) noexcept {
    note(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

void *realloc(void *p, size_t size) noexcept {
    note(__builtin_return_address(0));
    return __libc_realloc(p, size);
}

void *memalign(size_t alignment, size_t size) noexcept {
    note(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

void *aligned_alloc(size_t alignment, size_t size) noexcept {
    note(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

int posix_memalign(void **out, size_t alignment, size_t size) noexcept {
    note(__builtin_return_address(0));
    void *p = __libc_memalign(alignment, size);
    if (p == nullptr) {
        return 12; // ENOMEM
    }
    *out = p;
    return 0;
}

void free(void *p) noexcept {
    __libc_free(p);
}

} // extern "C"
