#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/DriverRecords.h"

// One IsoInStream or IsoOutStream entry, read in place. It is made only from the typed
// entries, so the size it reads within always matches the entry it points at.
class IsoStreamEntryRef {
public:
    IsoStreamEntryRef(IsoInStream e) : dir_(Dir::In), size_(IsoInStream::Size), p_(e.Data()) {}
    IsoStreamEntryRef(IsoOutStream e) : dir_(Dir::Out), size_(IsoOutStream::Size), p_(e.Data()) {}

    // Entry i of direction d; positions past the record's capacity read its last entry.
    static IsoStreamEntryRef At(const IsoStreamStatistics& s, Dir d, uint32_t i) {
        return d == Dir::In ? IsoStreamEntryRef(s.In(i)) : IsoStreamEntryRef(s.Out(i));
    }

    Dir Direction() const { return dir_; }
    uint8_t U8(size_t off) const { return off < size_ ? p_[off] : 0; }
    uint32_t U32(size_t off) const { return off + 4 <= size_ ? Le::U32(p_ + off) : 0; }
    uint32_t DeviceId() const { return U32(0); }
    uint32_t IsoChannel() const { return U32(4); }

private:
    Dir dir_;
    size_t size_;
    const uint8_t* p_;
};
