#pragma once

#include <cstdint>
#include <string_view>

// The driver's version as the latest version read left it, read by the information page,
// the trace mask command and the pages with extended rows.
struct PublishedDriverVersion {
    uint8_t interfaceMajor = 0;
    uint8_t interfaceMinor = 0;
    uint8_t releaseMajor = 0;
    uint8_t releaseMinor = 0;
    uint32_t releaseBuild = 0;
    uint32_t DebugBuild = 0;          // flags AND 1
    uint32_t ExtendedStatistics = 0;  // flags AND 2
    // "Debug Build", "Release Build" or empty; only the information page sets it.
    std::string_view BuildText;
};
