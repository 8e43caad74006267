#pragma once

#include <cstdint>

// Item data of every tree node: the node kind in bits 31..24, an index in bits 23..0.
using NodeCode = uint32_t;

constexpr uint32_t NodeKind_Asio = 0x10000000;
constexpr uint32_t NodeKind_Devices = 0x11000000;
constexpr uint32_t NodeKind_IsoInStreams = 0x12000000;
constexpr uint32_t NodeKind_IsoOutStreams = 0x14000000;
constexpr uint32_t NodeKind_ChannelsIn = 0x16000000;
constexpr uint32_t NodeKind_ChannelsOut = 0x17000000;
constexpr uint32_t NodeKind_Info = 0x18000000;
constexpr uint32_t NodeKind_IsoInStream = 0x19000000;
constexpr uint32_t NodeKind_IsoOutStream = 0x20000000;
constexpr uint32_t NodeKind_ChannelIn = 0x21000000;
constexpr uint32_t NodeKind_ChannelOut = 0x22000000;

constexpr uint32_t NodeKindMask = 0xFF000000;
constexpr uint32_t NodeIndexMask = 0x00FFFFFF;

constexpr uint32_t KindOf(NodeCode code) { return code & NodeKindMask; }
constexpr uint32_t IndexOf(NodeCode code) { return code & NodeIndexMask; }
constexpr NodeCode MakeNodeCode(uint32_t kind, uint32_t index) { return kind | (index & NodeIndexMask); }
