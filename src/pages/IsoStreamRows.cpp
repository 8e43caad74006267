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
    {"1394 ISO Channel", 4, K::U32, nullptr, No, No, "Isochronous channel number, 0..63."},
    {"IsSampleClockMaster", 8, K::Bool, nullptr, No, No,
     "Set to true if the driver's master clock is determined by this stream, false otherwise."},
    {"IsCallbackMaster", 9, K::Bool, nullptr, No, No,
     "Set to true if this stream issues the master callbacks, false otherwise."},
    {"TotalPacketsReceived", 12, K::U32, nullptr, No, No, "Total number of isochronous packets received"},
    {"DataPacketsReceived", 16, K::U32, nullptr, No, No, "Number of isochronous packets received."},
    {"EmptyPacketsReceived", 20, K::U32, nullptr, No, No,
     "Number of empty isochronous packets received (CIP header only, no data blocks)."},
    {"SamplesTransferred", 24, K::U32, nullptr, No, No, "Number of samples read from isochronous stream packets."},
    {"SynchState", 28, K::U32, nullptr, No, No, "Current state of the packet parser."},
    {"DataPathEnabled", 32, K::U32, nullptr, No, No, "Set to true if the data path is enabled."},
    {"ExpectedDBS", 36, K::U32, Quadlets, No, No, "Expected data block size in quadlets."},
    {"CurrentDBS", 40, K::U32, Quadlets, No, No, "Current data block size in quadlets."},
    {"ExpectedSFC", 44, K::U32, nullptr, No, No, "Expected SFC (sampling frequency code)."},
    {"CurrentSFC", 48, K::U32, nullptr, No, No, "Current SFC (sampling frequency code)."},
    {"IsoRxError", 100, K::U32, nullptr, Red, No,
     "The OHCI chip reported an error during reception of an isochronous packet"},
    {"IsoRxFifoOverrun", 104, K::U32, nullptr, Red, No,
     "The OHCI chip encountered a receive FIFO overrun during reception of an isochronous packet"},
    {"MissingPacket", 108, K::U32, nullptr, Red, No, "An isochronous packet is missing."},
    {"PacketTooShort", 112, K::U32, nullptr, Red, No,
     "Isochronous packet data length is smaller than the expected minimum which is 8 bytes (CIP header)."},
    {"PacketTooLong", 116, K::U32, nullptr, Red, No,
     "Isochronous packet data length is greater than the expected maximum."},
    {"InvalidCipHeader", 120, K::U32, nullptr, Red, No,
     "The CIP header does not contain the expected fixed values (FMT)."},
    {"UnsupportedFormat", 124, K::U32, nullptr, Red, No, "The FDF code is unsupported."},
    {"SamplingFrequencyChanged", 128, K::U32, nullptr, Red, No, "The sampling frequency (SFC) has changed."},
    {"DataBlockSizeChanged", 132, K::U32, nullptr, Red, No,
     "The data block size has changed (number of channels changed)."},
    {"DataBlockSequenceError", 136, K::U32, nullptr, Red, No, "A data block sequence (DBC) error has been detected."},
    {"StreamWatchdogTimedOut", 140, K::U32, nullptr, Red, No,
     "The stream watchdog timed out and triggered a restart of streaming."},
    {"DataBlockFifoOverrun", 144, K::U32, nullptr, Red, No, "A data block FIFO overrun was detected."},
    {"DataBlockFifoUnderrun", 148, K::U32, nullptr, Red, No, "A data block FIFO underrun was detected."},
    {"BusDriverCallFailed", 152, K::U32, nullptr, Red, No,
     "Calling the 1394 bus driver failed while processing buffers"},
    {"BufferAttachFailed", 156, K::U32, nullptr, Red, No, "Attaching data buffers at the bus driver failed"},
    {"BufferDetachFailed", 160, K::U32, nullptr, Red, No, "Detaching data buffers from the bus driver failed"},
    {"MinPacketSize", 52, K::U32, Bytes, No, Ext, "Minimum packet size, in bytes, received so far."},
    {"MaxPacketSize", 56, K::U32, Bytes, No, Ext, "Maximum packet size, in bytes, received so far."},
    {"MinDataBlocksPerPacket", 60, K::U32, nullptr, No, Ext, "Minimum number of data blocks per (non-empty) packet."},
    {"MaxDataBlocksPerPacket", 64, K::U32, nullptr, No, Ext, "Maximum number of data blocks per (non-empty) packet."},
    {"MinSytOffset", 68, K::I32, CtTicks, No, Ext, "Minimum SYT offset."},
    {"MaxSytOffset", 72, K::I32, CtTicks, No, Ext, "Maximum SYT offset."},
    {"CurDbFifoLevel", 76, K::U32, Samples, No, Ext, "Current DB FIFO level."},
    {"MinDbFifoLevel", 80, K::U32, Samples, No, Ext, "Minimum DB FIFO level."},
    {"MaxDbFifoLevel", 84, K::U32, Samples, No, Ext, "Maximum DB FIFO level."},
    {"FramePtrDistance", 88, K::U32, nullptr, No, Ext,
     "Actual distance between write pointer (DMA) and current frame pointer."},
    {"FramePtrDistExceedsL1", 92, K::U32, nullptr, No, Ext,
     "Incremented if frame pointer distance exceeds limit1=CallbackInterval/2."},
    {"FramePtrDistExceedsL2", 96, K::U32, nullptr, No, Ext,
     "Incremented if frame pointer distance exceeds limit2=CallbackInterval."},
}};

constexpr std::array<IsoStreamRow, 22> OutRows{{
    {"1394 ISO Channel", 4, K::U32, nullptr, No, No, "Isochronous channel number, 0..63."},
    {"IsSampleClockMaster", 8, K::Bool, nullptr, No, No,
     "Set to true if the driver's master clock is determined by this stream, false otherwise."},
    {"IsCallbackMaster", 9, K::Bool, nullptr, No, No,
     "Set to true if this stream issues the master callbacks, false otherwise."},
    {"TotalPacketsSent", 12, K::U32, nullptr, No, No, "Total number of isochronous packets sent."},
    {"DataPacketsSent", 16, K::U32, nullptr, No, No, "Number of isochronous packets sent."},
    {"EmptyPacketsSent", 20, K::U32, nullptr, No, No,
     "Number of empty isochronous packets sent (CIP header only, no data blocks)."},
    {"SamplesTransferred", 24, K::U32, nullptr, No, No, "Number of samples written to isochronous stream packets."},
    {"CurrentDBS", 28, K::U32, Quadlets, No, No, "Current data block size in quadlets."},
    {"CurrentSFC", 32, K::U32, nullptr, No, No, "Current SFC (sampling frequency code)."},
    {"FramePtrNotLocked", 64, K::U32, nullptr, Red, No, "Slave stream is not locked to callback master."},
    {"FramePtrOffset", 68, K::U32, nullptr, Red, No, "Offset of slave stream frame pointer."},
    {"RestartForced", 72, K::U32, nullptr, Red, No, "Stream restart forced by streams watchdog timer."},
    {"BusDriverCallFailed", 76, K::U32, nullptr, Red, No,
     "Calling the 1394 bus driver failed while processing buffers."},
    {"BufferAttachFailed", 80, K::U32, nullptr, Red, No, "Attaching data buffers at the bus driver failed."},
    {"BufferDetachFailed", 84, K::U32, nullptr, Red, No, "Detaching data buffers from the bus driver failed."},
    {"MinCallbackInterval", 36, K::U32, Micros, No, Ext, "Minimum callback interval, in microsecs"},
    {"MaxCallbackInterval", 40, K::U32, Micros, No, Ext, "Maximum callback interval, in microsecs"},
    {"CurrentCallbackInterval", 44, K::U32, Micros, No, Ext, "Current callback interval, in microsecs"},
    {"MinPacketSize", 48, K::U32, Bytes, No, Ext, "Minimum packet size, in bytes, sent so far."},
    {"MaxPacketSize", 52, K::U32, Bytes, No, Ext, "Maximum packet size, in bytes, sent so far."},
    {"MinDataBlocksPerPacket", 56, K::U32, nullptr, No, Ext, "Minimum number of data blocks per (non-empty) packet."},
    {"MaxDataBlocksPerPacket", 60, K::U32, nullptr, No, Ext, "Maximum number of data blocks per (non-empty) packet."},
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
