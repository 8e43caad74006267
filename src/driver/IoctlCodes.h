#pragma once

#include <array>
#include <cstdint>

// I/O control codes of the driver: device type QOR_DEVICE_TYPE, any access, buffered.
constexpr uint32_t QOR_DEVICE_TYPE = 0x8088;
constexpr uint32_t QorControlCode(uint32_t function) { return (QOR_DEVICE_TYPE << 16) | (function << 2); }

constexpr uint32_t IOCTL_QOR_GET_DRIVER_VERSION = QorControlCode(0xA01);
constexpr uint32_t IOCTL_QOR_GET_GLOBAL_VALUE = QorControlCode(0xA04);
constexpr uint32_t IOCTL_QOR_GET_DEVICE_LIST = QorControlCode(0xA18);
constexpr uint32_t IOCTL_QOR_GET_BUNDLE_LIST = QorControlCode(0xA1A);
constexpr uint32_t IOCTL_QOR_GET_GLOBAL_PAIR = QorControlCode(0xA22);
constexpr uint32_t IOCTL_QOR_GET_SAMPLE_RATE_INFO = QorControlCode(0xA30);
constexpr uint32_t IOCTL_QOR_GET_DEVICE_INFO = QorControlCode(0xA48);
constexpr uint32_t IOCTL_QOR_GET_DEVICE_STREAM_INFO = QorControlCode(0xA4A);
constexpr uint32_t IOCTL_QOR_GET_CHANNEL_INFO = QorControlCode(0xA60);
constexpr uint32_t IOCTL_QOR_GET_BUNDLE_INFO = QorControlCode(0xA70);
constexpr uint32_t IOCTL_QOR_GET_ISO_STREAM_STATISTICS = QorControlCode(0xAB1);
constexpr uint32_t IOCTL_QOR_GET_ASIO_STATISTICS = QorControlCode(0xAB2);
constexpr uint32_t IOCTL_QOR_CLEAR_STATISTICS = QorControlCode(0xAB8);
constexpr uint32_t IOCTL_QOR_GET_TRACE_MASK = QorControlCode(0xAF1);
constexpr uint32_t IOCTL_QOR_SET_TRACE_MASK = QorControlCode(0xAF2);
constexpr uint32_t IOCTL_QOR_SET_DEFAULT_TRACE_MASK = QorControlCode(0xAF3);
constexpr uint32_t IOCTL_QOR_GET_ASIO_INFO = QorControlCode(0xD90);

// Every request the panel issues, with the sizes of its input and output records.
struct IoctlInfo {
    uint32_t code;
    const char* name;
    uint32_t inputSize;
    uint32_t outputSize;
};

inline constexpr std::array<IoctlInfo, 17> IoctlTable{{
    {IOCTL_QOR_GET_DRIVER_VERSION, "IOCTL_QOR_GET_DRIVER_VERSION", 0, 12},
    {IOCTL_QOR_GET_GLOBAL_VALUE, "IOCTL_QOR_GET_GLOBAL_VALUE", 0, 4},
    {IOCTL_QOR_GET_DEVICE_LIST, "IOCTL_QOR_GET_DEVICE_LIST", 0, 260},
    {IOCTL_QOR_GET_BUNDLE_LIST, "IOCTL_QOR_GET_BUNDLE_LIST", 0, 1032},
    {IOCTL_QOR_GET_GLOBAL_PAIR, "IOCTL_QOR_GET_GLOBAL_PAIR", 0, 8},
    {IOCTL_QOR_GET_SAMPLE_RATE_INFO, "IOCTL_QOR_GET_SAMPLE_RATE_INFO", 0, 44},
    {IOCTL_QOR_GET_DEVICE_INFO, "IOCTL_QOR_GET_DEVICE_INFO", 4, 432},
    {IOCTL_QOR_GET_DEVICE_STREAM_INFO, "IOCTL_QOR_GET_DEVICE_STREAM_INFO", 4, 212},
    {IOCTL_QOR_GET_CHANNEL_INFO, "IOCTL_QOR_GET_CHANNEL_INFO", 4, 92},
    {IOCTL_QOR_GET_BUNDLE_INFO, "IOCTL_QOR_GET_BUNDLE_INFO", 4, 908},
    {IOCTL_QOR_GET_ISO_STREAM_STATISTICS, "IOCTL_QOR_GET_ISO_STREAM_STATISTICS", 0, 4040},
    {IOCTL_QOR_GET_ASIO_STATISTICS, "IOCTL_QOR_GET_ASIO_STATISTICS", 0, 64},
    {IOCTL_QOR_CLEAR_STATISTICS, "IOCTL_QOR_CLEAR_STATISTICS", 0, 0},
    {IOCTL_QOR_GET_TRACE_MASK, "IOCTL_QOR_GET_TRACE_MASK", 0, 4},
    {IOCTL_QOR_SET_TRACE_MASK, "IOCTL_QOR_SET_TRACE_MASK", 4, 0},
    {IOCTL_QOR_SET_DEFAULT_TRACE_MASK, "IOCTL_QOR_SET_DEFAULT_TRACE_MASK", 4, 0},
    {IOCTL_QOR_GET_ASIO_INFO, "IOCTL_QOR_GET_ASIO_INFO", 0, 132},
}};
