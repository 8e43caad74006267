#pragma once

#include <cstdint>

// Counts the allocations of the whole process while switched on. Operator new is replaced
// everywhere. Qt allocates through malloc, so where it can be done safely (glibc, no
// AddressSanitizer, which owns malloc itself) malloc and its kin are interposed too, and a
// count then covers every allocation, whoever asks for it.
//
// Linking the counter replaces the allocation functions of the whole binary: link it as the
// object library qor_alloc_counter, so that the replacements are there even where nothing
// calls the counter.
class AllocationCounter {
public:
    struct Counts {
        uint64_t heap = 0;  // malloc, calloc, realloc, aligned allocations (operator new included)
        uint64_t news = 0;  // through operator new
    };

    // Whether Counts::heap counts anything; where it does not, it stays 0.
    static bool CountsHeap();

    static void Start();
    static Counts Stop();
    // The counts since Start, counting on.
    static Counts Peek();
};
