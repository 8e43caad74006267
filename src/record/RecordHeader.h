#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The fixed start of a recording of the driver's answers, little-endian, HeaderSize bytes:
//
//   0  8  magic "QORREC\r\n"
//   8  4  format version
//  12  6  the recording panel's version, three 16-bit numbers, then 2 bytes of zero
//  20  8  start time, milliseconds since 1970-01-01 UTC (signed)
//  28  4  poll period in milliseconds
//  32 32  platform, text padded with NULs
//
// A zlib stream of sessions follows to the end of the file (RecordWriter).
struct RecordHeader {
    static constexpr size_t Size = 64;
    static constexpr size_t PlatformSize = 32;
    static constexpr uint32_t CurrentVersion = 1;
    static constexpr uint8_t Magic[8] = {'Q', 'O', 'R', 'R', 'E', 'C', '\r', '\n'};

    uint32_t version = CurrentVersion;
    uint16_t panel[3] = {};
    int64_t startMs = 0;
    uint32_t periodMs = 0;
    std::string platform;

    // The header of a recording made here and now by this program.
    static RecordHeader ThisPanel(int64_t startMs, uint32_t periodMs);
    static const char* ThisPlatform();

    void Encode(uint8_t (&out)[Size]) const;
    // Empty on success, otherwise what is wrong with the bytes.
    std::string Decode(const uint8_t (&in)[Size]);
};
