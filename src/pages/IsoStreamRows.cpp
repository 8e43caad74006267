#include "pages/IsoStreamRows.h"

#include <array>

#include "controls/CListColorCtrlEx.h"

namespace {

using K = IsoValueKind;
constexpr bool Red = true, Ext = true, No = false;
constexpr const char* Quadlets = "quadlets";
constexpr const char* Bytes = "bytes";
constexpr const char* CtTicks = "CT ticks";
constexpr const char* Samples = "smp";
constexpr const char* Micros = "\xB5s";

// List order differs from field order: the error counters come before the extended values.
constexpr std::array<IsoStreamRow, 41> InRows{{
    {"1394 ISO Channel", IsoInField::IsoChannel, K::U32, nullptr, No, No, "Isochronous channel number, 0..63."},
    {"IsSampleClockMaster", IsoInField::IsSampleClockMaster, K::Bool, nullptr, No, No,
     "Set to true if the driver's master clock is determined by this stream, false otherwise."},
    {"IsCallbackMaster", IsoInField::IsCallbackMaster, K::Bool, nullptr, No, No,
     "Set to true if this stream issues the master callbacks, false otherwise."},
    {"TotalPacketsReceived", IsoInField::TotalPacketsReceived, K::U32, nullptr, No, No, "Total number of isochronous packets received"},
    {"DataPacketsReceived", IsoInField::DataPacketsReceived, K::U32, nullptr, No, No, "Number of isochronous packets received."},
    {"EmptyPacketsReceived", IsoInField::EmptyPacketsReceived, K::U32, nullptr, No, No,
     "Number of empty isochronous packets received (CIP header only, no data blocks)."},
    {"SamplesTransferred", IsoInField::SamplesTransferred, K::U32, nullptr, No, No, "Number of samples read from isochronous stream packets."},
    {"SynchState", IsoInField::SynchState, K::U32, nullptr, No, No, "Current state of the packet parser."},
    {"DataPathEnabled", IsoInField::DataPathEnabled, K::U32, nullptr, No, No, "Set to true if the data path is enabled."},
    {"ExpectedDBS", IsoInField::ExpectedDBS, K::U32, Quadlets, No, No, "Expected data block size in quadlets."},
    {"CurrentDBS", IsoInField::CurrentDBS, K::U32, Quadlets, No, No, "Current data block size in quadlets."},
    {"ExpectedSFC", IsoInField::ExpectedSFC, K::U32, nullptr, No, No, "Expected SFC (sampling frequency code)."},
    {"CurrentSFC", IsoInField::CurrentSFC, K::U32, nullptr, No, No, "Current SFC (sampling frequency code)."},
    {"IsoRxError", IsoInField::IsoRxError, K::U32, nullptr, Red, No,
     "The OHCI chip reported an error during reception of an isochronous packet"},
    {"IsoRxFifoOverrun", IsoInField::IsoRxFifoOverrun, K::U32, nullptr, Red, No,
     "The OHCI chip encountered a receive FIFO overrun during reception of an isochronous packet"},
    {"MissingPacket", IsoInField::MissingPacket, K::U32, nullptr, Red, No, "An isochronous packet is missing."},
    {"PacketTooShort", IsoInField::PacketTooShort, K::U32, nullptr, Red, No,
     "Isochronous packet data length is smaller than the expected minimum which is 8 bytes (CIP header)."},
    {"PacketTooLong", IsoInField::PacketTooLong, K::U32, nullptr, Red, No,
     "Isochronous packet data length is greater than the expected maximum."},
    {"InvalidCipHeader", IsoInField::InvalidCipHeader, K::U32, nullptr, Red, No,
     "The CIP header does not contain the expected fixed values (FMT)."},
    {"UnsupportedFormat", IsoInField::UnsupportedFormat, K::U32, nullptr, Red, No, "The FDF code is unsupported."},
    {"SamplingFrequencyChanged", IsoInField::SamplingFrequencyChanged, K::U32, nullptr, Red, No, "The sampling frequency (SFC) has changed."},
    {"DataBlockSizeChanged", IsoInField::DataBlockSizeChanged, K::U32, nullptr, Red, No,
     "The data block size has changed (number of channels changed)."},
    {"DataBlockSequenceError", IsoInField::DataBlockSequenceError, K::U32, nullptr, Red, No, "A data block sequence (DBC) error has been detected."},
    {"StreamWatchdogTimedOut", IsoInField::StreamWatchdogTimedOut, K::U32, nullptr, Red, No,
     "The stream watchdog timed out and triggered a restart of streaming."},
    {"DataBlockFifoOverrun", IsoInField::DataBlockFifoOverrun, K::U32, nullptr, Red, No, "A data block FIFO overrun was detected."},
    {"DataBlockFifoUnderrun", IsoInField::DataBlockFifoUnderrun, K::U32, nullptr, Red, No, "A data block FIFO underrun was detected."},
    {"BusDriverCallFailed", IsoInField::BusDriverCallFailed, K::U32, nullptr, Red, No,
     "Calling the 1394 bus driver failed while processing buffers"},
    {"BufferAttachFailed", IsoInField::BufferAttachFailed, K::U32, nullptr, Red, No, "Attaching data buffers at the bus driver failed"},
    {"BufferDetachFailed", IsoInField::BufferDetachFailed, K::U32, nullptr, Red, No, "Detaching data buffers from the bus driver failed"},
    {"MinPacketSize", IsoInField::MinPacketSize, K::U32, Bytes, No, Ext, "Minimum packet size, in bytes, received so far."},
    {"MaxPacketSize", IsoInField::MaxPacketSize, K::U32, Bytes, No, Ext, "Maximum packet size, in bytes, received so far."},
    {"MinDataBlocksPerPacket", IsoInField::MinDataBlocksPerPacket, K::U32, nullptr, No, Ext, "Minimum number of data blocks per (non-empty) packet."},
    {"MaxDataBlocksPerPacket", IsoInField::MaxDataBlocksPerPacket, K::U32, nullptr, No, Ext, "Maximum number of data blocks per (non-empty) packet."},
    {"MinSytOffset", IsoInField::MinSytOffset, K::I32, CtTicks, No, Ext, "Minimum SYT offset."},
    {"MaxSytOffset", IsoInField::MaxSytOffset, K::I32, CtTicks, No, Ext, "Maximum SYT offset."},
    {"CurDbFifoLevel", IsoInField::CurDbFifoLevel, K::U32, Samples, No, Ext, "Current DB FIFO level."},
    {"MinDbFifoLevel", IsoInField::MinDbFifoLevel, K::U32, Samples, No, Ext, "Minimum DB FIFO level."},
    {"MaxDbFifoLevel", IsoInField::MaxDbFifoLevel, K::U32, Samples, No, Ext, "Maximum DB FIFO level."},
    {"FramePtrDistance", IsoInField::FramePtrDistance, K::U32, nullptr, No, Ext,
     "Actual distance between write pointer (DMA) and current frame pointer."},
    {"FramePtrDistExceedsL1", IsoInField::FramePtrDistExceedsL1, K::U32, nullptr, No, Ext,
     "Incremented if frame pointer distance exceeds limit1=CallbackInterval/2."},
    {"FramePtrDistExceedsL2", IsoInField::FramePtrDistExceedsL2, K::U32, nullptr, No, Ext,
     "Incremented if frame pointer distance exceeds limit2=CallbackInterval."},
}};

constexpr std::array<IsoStreamRow, 22> OutRows{{
    {"1394 ISO Channel", IsoOutField::IsoChannel, K::U32, nullptr, No, No, "Isochronous channel number, 0..63."},
    {"IsSampleClockMaster", IsoOutField::IsSampleClockMaster, K::Bool, nullptr, No, No,
     "Set to true if the driver's master clock is determined by this stream, false otherwise."},
    {"IsCallbackMaster", IsoOutField::IsCallbackMaster, K::Bool, nullptr, No, No,
     "Set to true if this stream issues the master callbacks, false otherwise."},
    {"TotalPacketsSent", IsoOutField::TotalPacketsSent, K::U32, nullptr, No, No, "Total number of isochronous packets sent."},
    {"DataPacketsSent", IsoOutField::DataPacketsSent, K::U32, nullptr, No, No, "Number of isochronous packets sent."},
    {"EmptyPacketsSent", IsoOutField::EmptyPacketsSent, K::U32, nullptr, No, No,
     "Number of empty isochronous packets sent (CIP header only, no data blocks)."},
    {"SamplesTransferred", IsoOutField::SamplesTransferred, K::U32, nullptr, No, No, "Number of samples written to isochronous stream packets."},
    {"CurrentDBS", IsoOutField::CurrentDBS, K::U32, Quadlets, No, No, "Current data block size in quadlets."},
    {"CurrentSFC", IsoOutField::CurrentSFC, K::U32, nullptr, No, No, "Current SFC (sampling frequency code)."},
    {"FramePtrNotLocked", IsoOutField::FramePtrNotLocked, K::U32, nullptr, Red, No, "Slave stream is not locked to callback master."},
    {"FramePtrOffset", IsoOutField::FramePtrOffset, K::U32, nullptr, Red, No, "Offset of slave stream frame pointer."},
    {"RestartForced", IsoOutField::RestartForced, K::U32, nullptr, Red, No, "Stream restart forced by streams watchdog timer."},
    {"BusDriverCallFailed", IsoOutField::BusDriverCallFailed, K::U32, nullptr, Red, No,
     "Calling the 1394 bus driver failed while processing buffers."},
    {"BufferAttachFailed", IsoOutField::BufferAttachFailed, K::U32, nullptr, Red, No, "Attaching data buffers at the bus driver failed."},
    {"BufferDetachFailed", IsoOutField::BufferDetachFailed, K::U32, nullptr, Red, No, "Detaching data buffers from the bus driver failed."},
    {"MinCallbackInterval", IsoOutField::MinCallbackInterval, K::U32, Micros, No, Ext, "Minimum callback interval, in microsecs"},
    {"MaxCallbackInterval", IsoOutField::MaxCallbackInterval, K::U32, Micros, No, Ext, "Maximum callback interval, in microsecs"},
    {"CurrentCallbackInterval", IsoOutField::CurrentCallbackInterval, K::U32, Micros, No, Ext, "Current callback interval, in microsecs"},
    {"MinPacketSize", IsoOutField::MinPacketSize, K::U32, Bytes, No, Ext, "Minimum packet size, in bytes, sent so far."},
    {"MaxPacketSize", IsoOutField::MaxPacketSize, K::U32, Bytes, No, Ext, "Maximum packet size, in bytes, sent so far."},
    {"MinDataBlocksPerPacket", IsoOutField::MinDataBlocksPerPacket, K::U32, nullptr, No, Ext, "Minimum number of data blocks per (non-empty) packet."},
    {"MaxDataBlocksPerPacket", IsoOutField::MaxDataBlocksPerPacket, K::U32, nullptr, No, Ext, "Maximum number of data blocks per (non-empty) packet."},
}};

// Every field lies inside its entry.
constexpr bool FitsEntry(const auto& rows, size_t entrySize) {
    for (const IsoStreamRow& r : rows)
        if (r.offset + (r.kind == K::Bool ? 1u : 4u) > entrySize) return false;
    return true;
}
static_assert(FitsEntry(InRows, IsoInStream::Size));
static_assert(FitsEntry(OutRows, IsoOutStream::Size));

}  // namespace

std::span<const IsoStreamRow> IsoStreamRows(Dir d) {
    if (d == Dir::In) return InRows;
    return OutRows;
}

const char* IsoStreamRowDescription(Dir d, int row) {
    std::span<const IsoStreamRow> rows = IsoStreamRows(d);
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return nullptr;
    return rows[static_cast<size_t>(row)].description;
}

void WriteIsoValueCell(CListColorCtrlEx& list, int row, int column, uint32_t value, const char* unit, bool highlight,
                       NumberFormat format) {
    if (value == ValueNotAvailable)
        list.SetCellText(row, column, Str::NotAvailable);
    else
        list.SetCellNumber(row, column, value, unit, highlight && value != 0, 0, format);
}
