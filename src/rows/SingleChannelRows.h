#pragma once

#include <cstdint>
#include <span>

// The rows of the single channel page, one column per channel of a bundle. The first four
// come from the channel's own record, the others from its entry in the bundle's record.

enum class ChannelValue : uint8_t {
    HardwareName,  // ChannelInfo, the driver's text
    NickName,      // ChannelInfo, the driver's text
    Direction,     // ChannelInfo, "Input" or "Output"
    DeviceName,    // the hardware name of the channel's device
    ChannelType,   // named by ChannelTypeText
    Panning,       // the number and its PanningSuffix
    Number,
    ErrorCount,    // a number, red once it counts
    YesNo,
};

constexpr bool FromChannelInfo(ChannelValue v) {
    return v == ChannelValue::HardwareName || v == ChannelValue::NickName || v == ChannelValue::Direction ||
           v == ChannelValue::DeviceName;
}

struct SingleChannelRow {
    const char* name;
    ChannelValue value;
    uint8_t entryField;  // BundleChannelEntryField, for the rows read from the bundle's entry
    bool counts;         // a total that only goes up, not a level
    const char* description;
};

std::span<const SingleChannelRow> SingleChannelRows();
