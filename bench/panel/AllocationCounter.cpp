#include "AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

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
std::atomic<bool> counting{false};
std::atomic<uint64_t> heapCount{0};
std::atomic<uint64_t> newCount{0};

inline void CountHeap() {
    if (counting.load(std::memory_order_relaxed)) heapCount.fetch_add(1, std::memory_order_relaxed);
}

void* NewBlock(std::size_t size, std::size_t alignment = 0) {
    if (counting.load(std::memory_order_relaxed)) newCount.fetch_add(1, std::memory_order_relaxed);
    CountHeap();
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t) ? __libc_memalign(alignment, size) : __libc_malloc(size);
    if (!p) throw std::bad_alloc();
    return p;
}
}  // namespace

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

void* operator new(std::size_t size) { return NewBlock(size); }
void* operator new[](std::size_t size) { return NewBlock(size); }
void* operator new(std::size_t size, std::align_val_t a) { return NewBlock(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return NewBlock(size, static_cast<std::size_t>(a)); }
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
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }
