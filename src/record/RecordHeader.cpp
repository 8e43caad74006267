#include "record/RecordHeader.h"

#include <cstring>

#include "base/LittleEndian.h"
#include "res/StringTable.h"

namespace {
void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
}  // namespace

RecordHeader RecordHeader::ThisPanel(int64_t startMs, uint32_t periodMs) {
    RecordHeader h;
    for (int i = 0; i < 3; ++i) h.panel[i] = static_cast<uint16_t>(Str::PanelVersion[i]);
    h.startMs = startMs;
    h.periodMs = periodMs;
    h.platform = ThisPlatform();
    return h;
}

const char* RecordHeader::ThisPlatform() {
#ifdef _WIN32
    return "Windows";
#elif defined(__linux__)
    return "Linux";
#else
    return "POSIX";
#endif
}

void RecordHeader::Encode(uint8_t (&out)[Size]) const {
    std::memset(out, 0, Size);
    std::memcpy(out, Magic, sizeof Magic);
    Le::PutU32(out + 8, version);
    for (int i = 0; i < 3; ++i) PutU16(out + 12 + 2 * i, panel[i]);
    const uint64_t start = static_cast<uint64_t>(startMs);
    Le::PutU32(out + 20, static_cast<uint32_t>(start));
    Le::PutU32(out + 24, static_cast<uint32_t>(start >> 32));
    Le::PutU32(out + 28, periodMs);
    Le::PutText(out + 32, PlatformSize - 1, platform);
}

std::string RecordHeader::Decode(const uint8_t (&in)[Size]) {
    if (std::memcmp(in, Magic, sizeof Magic) != 0) return "not a recording of the driver (no QORREC header)";
    version = Le::U32(in + 8);
    if (version == 0 || version > CurrentVersion)
        return "format version " + std::to_string(version) + ", this program reads version " +
               std::to_string(CurrentVersion);
    for (int i = 0; i < 3; ++i) panel[i] = U16(in + 12 + 2 * i);
    startMs = static_cast<int64_t>(uint64_t(Le::U32(in + 20)) | uint64_t(Le::U32(in + 24)) << 32);
    periodMs = Le::U32(in + 28);
    platform.clear();
    // Only printable ASCII of the platform is kept: it is shown on a terminal.
    for (char c : Le::Text(in + 32, PlatformSize))
        platform.push_back(c >= 0x20 && c < 0x7F ? c : '?');
    return {};
}
