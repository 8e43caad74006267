#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "support/AllocationCounter.h"

namespace {

// Kept where the compiler cannot see it go unused, so that no allocation is optimised away.
void* volatile escaped = nullptr;
template <typename T>
T* Keep(T* p) {
    escaped = p;
    return p;
}

struct Case {
    const char* name;
    std::function<void()> allocate;
    uint64_t news;
    uint64_t heap;  // where malloc is counted
};

// The zero counts the allocation tests expect mean something only if the counter sees every
// kind of allocation it claims to.
TEST(AllocationCounter, CountsEveryKindOfAllocationWhileOnAndNoneAfter) {
    const Case cases[] = {
        {"new", [] { delete Keep(new int(1)); }, 1, 1},
        {"new[]", [] { delete[] Keep(new int[3]); }, 1, 1},
        {"nothrow new", [] { delete Keep(new (std::nothrow) int(1)); }, 1, 1},
        {"string", [] { Keep(std::string(100, 'x').data()); }, 1, 1},
        {"malloc", [] { std::free(Keep(std::malloc(16))); }, 0, 1},
        {"calloc and realloc", [] { std::free(Keep(std::realloc(std::calloc(2, 8), 64))); }, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AllocationCounter::Start();
        c.allocate();
        const AllocationCounter::Counts counted = AllocationCounter::Stop();
        EXPECT_EQ(counted.news, c.news);
        EXPECT_EQ(counted.heap, AllocationCounter::CountsHeap() ? c.heap : 0u);

        c.allocate();
        EXPECT_EQ(AllocationCounter::Peek().news, counted.news) << "counted while off";
        EXPECT_EQ(AllocationCounter::Peek().heap, counted.heap) << "counted while off";
    }
}

}  // namespace
