#pragma once

#include <cstdint>

// The Windows error codes the control device reports, whatever the platform.
namespace WinError {
constexpr uint32_t Success = 0;
constexpr uint32_t InvalidFunction = 1;     // unknown control code
constexpr uint32_t FileNotFound = 2;        // no driver
constexpr uint32_t AccessDenied = 5;
constexpr uint32_t InvalidHandle = 6;
constexpr uint32_t InvalidData = 13;        // malformed answer
constexpr uint32_t GenFailure = 31;
constexpr uint32_t InvalidParameter = 87;
constexpr uint32_t SemTimeout = 121;        // no answer in time
constexpr uint32_t InsufficientBuffer = 122;
constexpr uint32_t DeviceNotConnected = 1167;
}  // namespace WinError
