#include "support/AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

// malloc can be interposed on glibc alone, and not under AddressSanitizer: its runtime
// intercepts malloc itself.
#if defined(__SANITIZE_ADDRESS__)
#define QOR_ALLOC_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QOR_ALLOC_ASAN 1
#endif
#endif
#if defined(__GLIBC__) && !defined(QOR_ALLOC_ASAN)
#define QOR_ALLOC_HEAP 1
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<uint64_t> heapCount{0};
std::atomic<uint64_t> newCount{0};

inline void CountNew() {
    if (counting.load(std::memory_order_relaxed)) newCount.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

bool AllocationCounter::CountsHeap() {
#ifdef QOR_ALLOC_HEAP
    return true;
#else
    return false;
#endif
}

void AllocationCounter::Start() {
    heapCount = 0;
    newCount = 0;
    counting = true;
}

AllocationCounter::Counts AllocationCounter::Stop() {
    counting = false;
    return Peek();
}

AllocationCounter::Counts AllocationCounter::Peek() { return {heapCount.load(), newCount.load()}; }

#ifdef QOR_ALLOC_HEAP

// glibc's own entry points: the interposed functions below forward to them, so nothing has
// to be looked up (and no allocation can happen) before the first counted call.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

namespace {
inline void CountHeap() {
    if (counting.load(std::memory_order_relaxed)) heapCount.fetch_add(1, std::memory_order_relaxed);
}
void* NewBlock(std::size_t size, std::size_t alignment = 0) {
    CountNew();
    CountHeap();
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t) ? __libc_memalign(alignment, size) : __libc_malloc(size);
    if (!p) throw std::bad_alloc();
    return p;
}
void FreeBlock(void* p) noexcept { __libc_free(p); }
}  // namespace

extern "C" {
void* malloc(std::size_t size) noexcept {
    CountHeap();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    CountHeap();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    CountHeap();
    return __libc_realloc(p, size);
}
void free(void* p) noexcept { __libc_free(p); }
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    CountHeap();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    CountHeap();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    CountHeap();
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}

void* operator new(std::size_t size, std::align_val_t a) { return NewBlock(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return NewBlock(size, static_cast<std::size_t>(a)); }
void operator delete(void* p, std::align_val_t) noexcept { FreeBlock(p); }
void operator delete[](void* p, std::align_val_t) noexcept { FreeBlock(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { FreeBlock(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { FreeBlock(p); }

#else

// Operator new alone, on malloc and free. The aligned forms stay the library's, new and
// delete alike, so that every block goes back the way it came.
namespace {
void* NewBlock(std::size_t size) {
    CountNew();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void FreeBlock(void* p) noexcept { std::free(p); }
}  // namespace

#endif

void* operator new(std::size_t size) { return NewBlock(size); }
void* operator new[](std::size_t size) { return NewBlock(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return NewBlock(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return NewBlock(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { FreeBlock(p); }
void operator delete[](void* p) noexcept { FreeBlock(p); }
void operator delete(void* p, std::size_t) noexcept { FreeBlock(p); }
void operator delete[](void* p, std::size_t) noexcept { FreeBlock(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { FreeBlock(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { FreeBlock(p); }
