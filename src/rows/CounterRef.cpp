#include "rows/CounterRef.h"

#include <span>

#include "driver/IsoStreamEntryRef.h"
#include "rows/AsioRows.h"
#include "rows/IsoStreamRows.h"
#include "rows/SingleChannelRows.h"

namespace {

template <typename Row>
const Row* RowAt(std::span<const Row> rows, uint16_t row) {
    return row < rows.size() ? &rows[row] : nullptr;
}

const AsioRow* Asio(const CounterRef& r) {
    return r.group == CounterGroup::Asio ? RowAt(AsioRows(), r.row) : nullptr;
}
const IsoStreamRow* Iso(const CounterRef& r) {
    return r.group == CounterGroup::IsoStream ? RowAt(IsoStreamRows(r.dir), r.row) : nullptr;
}
const SingleChannelRow* Channel(const CounterRef& r) {
    return r.group == CounterGroup::Channel ? RowAt(SingleChannelRows(), r.row) : nullptr;
}

bool NumericChannelValue(ChannelValue v) {
    return v == ChannelValue::Panning || v == ChannelValue::Number || v == ChannelValue::ErrorCount;
}

std::optional<int64_t> ReadAsio(const CounterSources& src, const AsioRow& row) {
    const StatisticsSnapshot& s = src.snapshot;
    uint32_t value = 0;
    switch (row.source) {
        case AsioSource::Statistics:
            if (!src.validity.asioStatistics) return std::nullopt;
            value = s.asioStatistics.U32(row.field);
            break;
        case AsioSource::ExtendedStatistics:
            if (!src.validity.asioStatistics || !src.extended) return std::nullopt;
            value = s.asioStatistics.U32(row.field);
            break;
        case AsioSource::Spacer: return std::nullopt;
        case AsioSource::BufferCounters:
            if (!src.validity.asioInfo || s.asioInfo.CountersValid() == 0) return std::nullopt;
            value = s.asioInfo.U32(row.field);
            break;
    }
    if (value == ValueNotAvailable) return std::nullopt;
    return value;
}

std::optional<int64_t> ReadIso(const CounterSources& src, const CounterRef& ref, const IsoStreamRow& row) {
    const IsoStreamStatistics& stats = src.snapshot.isoStreamStatistics;
    if (!src.validity.isoStreams || ref.index >= stats.Count(ref.dir)) return std::nullopt;
    if (row.kind == IsoValueKind::Bool || (row.ext && !src.extended)) return std::nullopt;
    const uint32_t value = IsoStreamEntryRef::At(stats, ref.dir, ref.index).U32(row.field);
    if (value == ValueNotAvailable) return std::nullopt;
    if (row.kind == IsoValueKind::I32) return static_cast<int32_t>(value);
    return value;
}

std::optional<int64_t> ReadChannel(const CounterSources& src, const CounterRef& ref, const SingleChannelRow& row) {
    const StatisticsSnapshot& s = src.snapshot;
    if (!NumericChannelValue(row.value) || !src.validity.bundleList) return std::nullopt;
    if (ref.index >= s.bundleList.Count(ref.dir) || !src.validity.Bundle(ref.dir, ref.index)) return std::nullopt;
    const ChannelBundleInfo& bundle = s.Bundle(ref.dir, ref.index);
    if (ref.channel >= bundle.ChannelCount()) return std::nullopt;
    return bundle.Entry(ref.channel).U32(row.entryField);
}

}  // namespace

bool IsNumericCounter(const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return a->source != AsioSource::Spacer;
    if (const IsoStreamRow* i = Iso(ref)) return i->kind != IsoValueKind::Bool;
    if (const SingleChannelRow* c = Channel(ref)) return NumericChannelValue(c->value);
    return false;
}

bool IsErrorCounter(const CounterRef& ref) {
    if (const IsoStreamRow* i = Iso(ref)) return i->red;
    if (const SingleChannelRow* c = Channel(ref)) return c->value == ChannelValue::ErrorCount;
    return false;
}

const char* CounterName(const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return a->name;
    if (const IsoStreamRow* i = Iso(ref)) return i->name;
    if (const SingleChannelRow* c = Channel(ref)) return c->name;
    return nullptr;
}

const char* CounterUnit(const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return a->unit;
    if (const IsoStreamRow* i = Iso(ref)) return i->unit;
    return nullptr;
}

std::optional<int64_t> ReadCounter(const CounterSources& sources, const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return ReadAsio(sources, *a);
    if (const IsoStreamRow* i = Iso(ref)) return ReadIso(sources, ref, *i);
    if (const SingleChannelRow* c = Channel(ref)) return ReadChannel(sources, ref, *c);
    return std::nullopt;
}

std::optional<CounterRef> CounterAtCell(NodeCode node, int row, int column) {
    if (row < 0 || row > 0xFFFF || column < 1) return std::nullopt;
    CounterRef ref;
    ref.row = static_cast<uint16_t>(row);
    const uint32_t index = IndexOf(node);
    const auto valueColumn = static_cast<uint32_t>(column - 1);
    switch (KindOf(node)) {
        case NodeKind_Asio:
            if (column != 1) return std::nullopt;
            ref.group = CounterGroup::Asio;
            break;
        case NodeKind_IsoInStreams:
        case NodeKind_IsoOutStreams:
            ref.group = CounterGroup::IsoStream;
            ref.dir = KindOf(node) == NodeKind_IsoInStreams ? Dir::In : Dir::Out;
            ref.index = valueColumn;
            break;
        case NodeKind_IsoInStream:
        case NodeKind_IsoOutStream:
            if (column != 1) return std::nullopt;
            ref.group = CounterGroup::IsoStream;
            ref.dir = KindOf(node) == NodeKind_IsoInStream ? Dir::In : Dir::Out;
            ref.index = index;
            break;
        case NodeKind_ChannelIn:
        case NodeKind_ChannelOut:
            ref.group = CounterGroup::Channel;
            ref.dir = KindOf(node) == NodeKind_ChannelIn ? Dir::In : Dir::Out;
            ref.index = index;
            ref.channel = valueColumn;
            break;
        default: return std::nullopt;
    }
    if (!IsNumericCounter(ref)) return std::nullopt;
    return ref;
}
