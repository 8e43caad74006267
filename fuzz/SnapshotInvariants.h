#pragma once

#include <cstddef>
#include <vector>

class CDev;

// What must hold of CDev and its snapshot whatever the driver answered: counts within their
// capacities, texts inside their fields, and no record read outside its own bytes. A broken
// invariant is printed and aborts, so that the fuzzer keeps the input.
class SnapshotInvariants {
public:
    static void Check(const CDev& dev, const char* when);
    // After a refresh: every record CDev tells as answered got a whole answer in it. The answers
    // are offsets into the snapshot (see DeviceSlot::Answered); they are sorted here. The sample
    // rate is left out: only the devices page reads it, and it stays answered until then.
    static void CheckAnswered(const CDev& dev, std::vector<size_t>& answered, const char* when);
    // A name from CDev::GetDeviceName: null, or a text that ends inside the name buffer.
    static void CheckDeviceName(const char* name, const char* when);
};
