#include "rows/IsoStreamRows.h"

#include <array>

namespace {

using K = IsoValueKind;
namespace In = IsoInField;
namespace Out = IsoOutField;
// A total that only goes up (until Clear Statistics or a wrap), or a level that goes both ways.
constexpr bool Counts = true, Level = false;
constexpr bool Red = true, Ext = true, No = false;
constexpr const char* Quadlets = "quadlets";
constexpr const char* Bytes = "bytes";
constexpr const char* CtTicks = "CT ticks";
constexpr const char* Samples = "smp";
constexpr const char* Micros = "\xB5s";

// List order differs from field order: the error counters come before the extended values.
constexpr std::array<IsoStreamRow, 41> InRows{{
    {"1394 ISO Channel", In::IsoChannel, K::U32, nullptr, No, No, Level, "Isochronous channel number, 0..63."},
    {"IsSampleClockMaster", In::IsSampleClockMaster, K::Bool, nullptr, No, No, Level,
     "Set to true if the driver's master clock is determined by this stream, false otherwise."},
    {"IsCallbackMaster", In::IsCallbackMaster, K::Bool, nullptr, No, No, Level,
     "Set to true if this stream issues the master callbacks, false otherwise."},
    {"TotalPacketsReceived", In::TotalPacketsReceived, K::U32, nullptr, No, No, Counts,
     "Total number of isochronous packets received"},
    {"DataPacketsReceived", In::DataPacketsReceived, K::U32, nullptr, No, No, Counts,
     "Number of isochronous packets received."},
    {"EmptyPacketsReceived", In::EmptyPacketsReceived, K::U32, nullptr, No, No, Counts,
     "Number of empty isochronous packets received (CIP header only, no data blocks)."},
    {"SamplesTransferred", In::SamplesTransferred, K::U32, nullptr, No, No, Counts,
     "Number of samples read from isochronous stream packets."},
    {"SynchState", In::SynchState, K::U32, nullptr, No, No, Level, "Current state of the packet parser."},
    {"DataPathEnabled", In::DataPathEnabled, K::U32, nullptr, No, No, Level,
     "Set to true if the data path is enabled."},
    {"ExpectedDBS", In::ExpectedDBS, K::U32, Quadlets, No, No, Level, "Expected data block size in quadlets."},
    {"CurrentDBS", In::CurrentDBS, K::U32, Quadlets, No, No, Level, "Current data block size in quadlets."},
    {"ExpectedSFC", In::ExpectedSFC, K::U32, nullptr, No, No, Level, "Expected SFC (sampling frequency code)."},
    {"CurrentSFC", In::CurrentSFC, K::U32, nullptr, No, No, Level, "Current SFC (sampling frequency code)."},
    {"IsoRxError", In::IsoRxError, K::U32, nullptr, Red, No, Counts,
     "The OHCI chip reported an error during reception of an isochronous packet"},
    {"IsoRxFifoOverrun", In::IsoRxFifoOverrun, K::U32, nullptr, Red, No, Counts,
     "The OHCI chip encountered a receive FIFO overrun during reception of an isochronous packet"},
    {"MissingPacket", In::MissingPacket, K::U32, nullptr, Red, No, Counts, "An isochronous packet is missing."},
    {"PacketTooShort", In::PacketTooShort, K::U32, nullptr, Red, No, Counts,
     "Isochronous packet data length is smaller than the expected minimum which is 8 bytes (CIP header)."},
    {"PacketTooLong", In::PacketTooLong, K::U32, nullptr, Red, No, Counts,
     "Isochronous packet data length is greater than the expected maximum."},
    {"InvalidCipHeader", In::InvalidCipHeader, K::U32, nullptr, Red, No, Counts,
     "The CIP header does not contain the expected fixed values (FMT)."},
    {"UnsupportedFormat", In::UnsupportedFormat, K::U32, nullptr, Red, No, Counts, "The FDF code is unsupported."},
    {"SamplingFrequencyChanged", In::SamplingFrequencyChanged, K::U32, nullptr, Red, No, Counts,
     "The sampling frequency (SFC) has changed."},
    {"DataBlockSizeChanged", In::DataBlockSizeChanged, K::U32, nullptr, Red, No, Counts,
     "The data block size has changed (number of channels changed)."},
    {"DataBlockSequenceError", In::DataBlockSequenceError, K::U32, nullptr, Red, No, Counts,
     "A data block sequence (DBC) error has been detected."},
    {"StreamWatchdogTimedOut", In::StreamWatchdogTimedOut, K::U32, nullptr, Red, No, Counts,
     "The stream watchdog timed out and triggered a restart of streaming."},
    {"DataBlockFifoOverrun", In::DataBlockFifoOverrun, K::U32, nullptr, Red, No, Counts,
     "A data block FIFO overrun was detected."},
    {"DataBlockFifoUnderrun", In::DataBlockFifoUnderrun, K::U32, nullptr, Red, No, Counts,
     "A data block FIFO underrun was detected."},
    {"BusDriverCallFailed", In::BusDriverCallFailed, K::U32, nullptr, Red, No, Counts,
     "Calling the 1394 bus driver failed while processing buffers"},
    {"BufferAttachFailed", In::BufferAttachFailed, K::U32, nullptr, Red, No, Counts,
     "Attaching data buffers at the bus driver failed"},
    {"BufferDetachFailed", In::BufferDetachFailed, K::U32, nullptr, Red, No, Counts,
     "Detaching data buffers from the bus driver failed"},
    {"MinPacketSize", In::MinPacketSize, K::U32, Bytes, No, Ext, Level,
     "Minimum packet size, in bytes, received so far."},
    {"MaxPacketSize", In::MaxPacketSize, K::U32, Bytes, No, Ext, Level,
     "Maximum packet size, in bytes, received so far."},
    {"MinDataBlocksPerPacket", In::MinDataBlocksPerPacket, K::U32, nullptr, No, Ext, Level,
     "Minimum number of data blocks per (non-empty) packet."},
    {"MaxDataBlocksPerPacket", In::MaxDataBlocksPerPacket, K::U32, nullptr, No, Ext, Level,
     "Maximum number of data blocks per (non-empty) packet."},
    {"MinSytOffset", In::MinSytOffset, K::I32, CtTicks, No, Ext, Level, "Minimum SYT offset."},
    {"MaxSytOffset", In::MaxSytOffset, K::I32, CtTicks, No, Ext, Level, "Maximum SYT offset."},
    {"CurDbFifoLevel", In::CurDbFifoLevel, K::U32, Samples, No, Ext, Level, "Current DB FIFO level."},
    {"MinDbFifoLevel", In::MinDbFifoLevel, K::U32, Samples, No, Ext, Level, "Minimum DB FIFO level."},
    {"MaxDbFifoLevel", In::MaxDbFifoLevel, K::U32, Samples, No, Ext, Level, "Maximum DB FIFO level."},
    {"FramePtrDistance", In::FramePtrDistance, K::U32, nullptr, No, Ext, Level,
     "Actual distance between write pointer (DMA) and current frame pointer."},
    {"FramePtrDistExceedsL1", In::FramePtrDistExceedsL1, K::U32, nullptr, No, Ext, Counts,
     "Incremented if frame pointer distance exceeds limit1=CallbackInterval/2."},
    {"FramePtrDistExceedsL2", In::FramePtrDistExceedsL2, K::U32, nullptr, No, Ext, Counts,
     "Incremented if frame pointer distance exceeds limit2=CallbackInterval."},
}};

constexpr std::array<IsoStreamRow, 22> OutRows{{
    {"1394 ISO Channel", Out::IsoChannel, K::U32, nullptr, No, No, Level, "Isochronous channel number, 0..63."},
    {"IsSampleClockMaster", Out::IsSampleClockMaster, K::Bool, nullptr, No, No, Level,
     "Set to true if the driver's master clock is determined by this stream, false otherwise."},
    {"IsCallbackMaster", Out::IsCallbackMaster, K::Bool, nullptr, No, No, Level,
     "Set to true if this stream issues the master callbacks, false otherwise."},
    {"TotalPacketsSent", Out::TotalPacketsSent, K::U32, nullptr, No, No, Counts,
     "Total number of isochronous packets sent."},
    {"DataPacketsSent", Out::DataPacketsSent, K::U32, nullptr, No, No, Counts, "Number of isochronous packets sent."},
    {"EmptyPacketsSent", Out::EmptyPacketsSent, K::U32, nullptr, No, No, Counts,
     "Number of empty isochronous packets sent (CIP header only, no data blocks)."},
    {"SamplesTransferred", Out::SamplesTransferred, K::U32, nullptr, No, No, Counts,
     "Number of samples written to isochronous stream packets."},
    {"CurrentDBS", Out::CurrentDBS, K::U32, Quadlets, No, No, Level, "Current data block size in quadlets."},
    {"CurrentSFC", Out::CurrentSFC, K::U32, nullptr, No, No, Level, "Current SFC (sampling frequency code)."},
    {"FramePtrNotLocked", Out::FramePtrNotLocked, K::U32, nullptr, Red, No, Counts,
     "Slave stream is not locked to callback master."},
    {"FramePtrOffset", Out::FramePtrOffset, K::U32, nullptr, Red, No, Level, "Offset of slave stream frame pointer."},
    {"RestartForced", Out::RestartForced, K::U32, nullptr, Red, No, Counts,
     "Stream restart forced by streams watchdog timer."},
    {"BusDriverCallFailed", Out::BusDriverCallFailed, K::U32, nullptr, Red, No, Counts,
     "Calling the 1394 bus driver failed while processing buffers."},
    {"BufferAttachFailed", Out::BufferAttachFailed, K::U32, nullptr, Red, No, Counts,
     "Attaching data buffers at the bus driver failed."},
    {"BufferDetachFailed", Out::BufferDetachFailed, K::U32, nullptr, Red, No, Counts,
     "Detaching data buffers from the bus driver failed."},
    {"MinCallbackInterval", Out::MinCallbackInterval, K::U32, Micros, No, Ext, Level,
     "Minimum callback interval, in microsecs"},
    {"MaxCallbackInterval", Out::MaxCallbackInterval, K::U32, Micros, No, Ext, Level,
     "Maximum callback interval, in microsecs"},
    {"CurrentCallbackInterval", Out::CurrentCallbackInterval, K::U32, Micros, No, Ext, Level,
     "Current callback interval, in microsecs"},
    {"MinPacketSize", Out::MinPacketSize, K::U32, Bytes, No, Ext, Level, "Minimum packet size, in bytes, sent so far."},
    {"MaxPacketSize", Out::MaxPacketSize, K::U32, Bytes, No, Ext, Level, "Maximum packet size, in bytes, sent so far."},
    {"MinDataBlocksPerPacket", Out::MinDataBlocksPerPacket, K::U32, nullptr, No, Ext, Level,
     "Minimum number of data blocks per (non-empty) packet."},
    {"MaxDataBlocksPerPacket", Out::MaxDataBlocksPerPacket, K::U32, nullptr, No, Ext, Level,
     "Maximum number of data blocks per (non-empty) packet."},
}};

// Every field lies inside its entry.
constexpr bool FitsEntry(const auto& rows, size_t entrySize) {
    for (const IsoStreamRow& r : rows)
        if (r.field + (r.kind == K::Bool ? 1u : 4u) > entrySize) return false;
    return true;
}
static_assert(FitsEntry(InRows, IsoInStream::Size));
static_assert(FitsEntry(OutRows, IsoOutStream::Size));

}  // namespace

std::span<const IsoStreamRow> IsoStreamRows(Dir d) {
    if (d == Dir::In) return InRows;
    return OutRows;
}
