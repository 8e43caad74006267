#pragma once

#include <cstdint>

// Counts heap allocations of the whole process while switched on. Qt allocates through
// malloc, the panel's own code mostly through operator new: both are interposed, so a count
// covers every allocation a tick causes, whoever asks for it.
class AllocationCounter {
public:
    struct Counts {
        uint64_t heap = 0;  // malloc, calloc, realloc, aligned allocations (operator new included)
        uint64_t news = 0;  // of which through operator new
    };

    static void Start();
    static Counts Stop();
    // The counts since Start, counting on.
    static Counts Peek();
};
