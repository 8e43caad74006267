#pragma once

#include <cstdint>

#include "platform/WireProtocol.h"

// The unpacked stream after a recording's header: sessions, one per opening of the control
// device (a tick of the panel, or a command between ticks), each framed by its length so that a
// file cut off inside one still replays every session before it:
//
//   'S' length payload          length: the payload's bytes. All numbers are varints.
//   payload: gap openResult, then records until its end; gap is the milliseconds since the
//   previous session (the first: since the start), openResult what opening the device returned.
//     'K' code inSize input     defines the next key (a request: code and input)
//     'F' key status count bytes   the request's answer in full (count is 0 unless status is 0)
//     'P' key status count runs (gap len bytes)...   the answer as the key's previous one with
//                               the runs of changed bytes replaced; it grows with zeros
//     'U' key                   the request answered exactly as the previous time
//
// Every limit below binds the writer and is checked by the reader.
namespace RecordStream {
constexpr uint8_t Session = 'S';
constexpr uint8_t Key = 'K';
constexpr uint8_t Full = 'F';
constexpr uint8_t Patch = 'P';
constexpr uint8_t Same = 'U';

constexpr uint32_t MaxKeys = 1u << 16;
constexpr uint32_t MaxInputBytes = Wire::MaxInputSize;
constexpr uint32_t MaxAnswerBytes = Wire::MaxOutputSize;
// All answers held at once: a driver at its largest answers about 6 MB a tick.
constexpr uint64_t MaxTableBytes = 64ull << 20;
constexpr uint64_t MaxSessionBytes = 80ull << 20;
constexpr uint32_t MaxExchanges = 1u << 16;
constexpr uint64_t MaxGapMs = 1ull << 32;
}  // namespace RecordStream
