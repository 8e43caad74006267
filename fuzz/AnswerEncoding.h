#pragma once

#include <array>
#include <cstdint>

#include "platform/WinError.h"

// How a fuzz input spells the driver's side of a panel session. Both the harness (which reads
// it) and the seed recorder (which writes it) use these, so recorded seeds replay exactly.
//
//   input   := flags [storedNode:u32 if flags & HasStoredNode] tick*
//   tick    := action event*            (events in the order the panel asks for them)
//   event   := open | answer
//   open    := byte                     (OpenFails(byte): the device cannot be opened)
//   answer  := status [shape [count:u16 if explicit] payload]   (shape and payload only after Success)
//   payload := mode [bytes | fill | [patchCount:u16 if extended] patches]
//
// Words are little-endian. An input that ends early reads as a driver that is gone: every open
// fails and every request fails, and the session stops at the next tick.
namespace AnswerEncoding {

constexpr uint8_t HasStoredNode = 0x01;

// Open: most bytes open the device, so mutations rarely lose the driver altogether.
constexpr uint8_t OpenFailValue = 0x07;
constexpr bool OpenFails(uint8_t b) { return (b & 0x07) == OpenFailValue; }
constexpr uint8_t OpenOk = 0x00;

// Status: the low three bits pick the result; half of the values succeed. Repeat is a success
// that gives the previous answer (see AnswerHistory::Base; a refused one does not count) again,
// byte count and all (zeros at full size when there was none), so that a steady driver costs one
// byte per request.
constexpr uint8_t StatusOk = 0x00;
constexpr uint8_t StatusRepeat = 0x01;
constexpr std::array<uint32_t, 8> Statuses{
    WinError::Success,          WinError::Success,          WinError::Success,   WinError::Success,
    WinError::InvalidFunction,  WinError::GenFailure,       WinError::InvalidParameter,
    WinError::SemTimeout,
};
// Errors after which the real transport drops the connection: later requests fail until reopened.
constexpr bool DropsConnection(uint32_t status) {
    return status == WinError::SemTimeout || status == WinError::InvalidData;
}

// Shape: the top two bits pick how the byte count relates to the caller's capacity.
enum class Shape : uint8_t { Full = 0, Short = 1, Long = 2, Explicit = 3 };
constexpr Shape ShapeOf(uint8_t b) { return static_cast<Shape>(b >> 6); }
constexpr uint8_t ShapeArg(uint8_t b) { return b & 0x3F; }
constexpr uint8_t MakeShape(Shape s, uint8_t arg = 0) { return uint8_t(uint8_t(s) << 6 | (arg & 0x3F)); }
// Short: capacity * arg / 64 bytes; Long: capacity + 1 + arg bytes (refused as the real transport does).
constexpr uint32_t ShortCount(uint32_t capacity, uint8_t arg) { return capacity * arg / 64; }
constexpr uint32_t LongCount(uint32_t capacity, uint8_t arg) { return capacity + 1 + arg; }

// Payload: the low two bits pick where the bytes come from.
enum class Payload : uint8_t {
    Raw = 0,       // count bytes follow (zeros once the input ends)
    Zeros = 1,
    Previous = 2,  // the previous answer (AnswerHistory::Base) or zeros, then word patches
    Fill = 3,      // one byte follows and fills the whole answer
};
constexpr Payload PayloadOf(uint8_t b) { return static_cast<Payload>(b & 0x03); }
// (mode >> 2) patches; the largest value says that a u16 patch count follows instead.
constexpr uint8_t PatchCountOf(uint8_t b) { return b >> 2; }
constexpr uint8_t ExtendedPatches = 63;
constexpr uint8_t MakePayload(Payload p, uint8_t patches = 0) { return uint8_t(patches << 2 | uint8_t(p)); }
// A patch: offset:u16 (taken modulo the byte count), value:u32 written from there, cut at the end.
constexpr uint32_t PatchSize = 6;

// Action byte of a tick.
constexpr uint8_t ActionStartStop = 0xC0;  // both bits: toggle reading before the tick
constexpr uint8_t ActionClear = 0x20;      // clear statistics before the tick
constexpr uint8_t ActionWalk = 0x10;       // walk the whole tree after the tick
constexpr uint8_t ActionElapsed = 0x08;    // one elapsed-time tick as well
constexpr bool TogglesReading(uint8_t a) { return (a & ActionStartStop) == ActionStartStop; }

}  // namespace AnswerEncoding
