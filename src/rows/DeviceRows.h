#pragma once

#include <cstdint>
#include <span>

// The rows of the devices page, one column per device.

enum class DeviceValue : uint8_t {
    Id,            // DeviceInfo, "0x%08X"
    HardwareName,  // DeviceInfo, the driver's text
    NickName,      // DeviceInfo, the driver's text
    SampleRate,    // SampleRateInfo, the same in every column
};

struct DeviceRow {
    const char* name;
    DeviceValue value;
    const char* unit;  // nullptr: none
    const char* description;
};

std::span<const DeviceRow> DeviceRows();
