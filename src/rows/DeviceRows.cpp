#include "rows/DeviceRows.h"

#include <array>

namespace {

// It begins with a blank, so the cell reads the number, two blanks and the unit.
constexpr const char* SampleRateUnit = " samples/s";

constexpr std::array<DeviceRow, 4> Rows{{
    {"ID", DeviceValue::Id, nullptr, "Unambiguously device id."},
    {"HardwareName", DeviceValue::HardwareName, nullptr, "Hardware name of this device."},
    {"NickName", DeviceValue::NickName, nullptr, "Assigned nick name of this device."},
    {"SampleRate", DeviceValue::SampleRate, SampleRateUnit, "Current sample rate, in units of samples per second."},
}};

}  // namespace

std::span<const DeviceRow> DeviceRows() { return Rows; }
