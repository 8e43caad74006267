#include "rows/CounterRef.h"

#include <algorithm>
#include <span>

#include "driver/IsoStreamEntryRef.h"
#include "rows/AsioRows.h"
#include "rows/IsoStreamRows.h"
#include "rows/PageCells.h"
#include "rows/PageDescription.h"
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

// A counter is what its page cell shows as a number.
std::optional<int64_t> NumberOf(const PageCell& cell) {
    if (cell.kind != CellKind::Number) return std::nullopt;
    return cell.number;
}

std::optional<int64_t> ReadIso(const PageSources& src, const CounterRef& ref, const IsoStreamRow& row) {
    const IsoStreamStatistics& stats = src.snapshot.isoStreamStatistics;
    if (!src.validity.isoStreams || ref.index >= stats.Count(ref.dir)) return std::nullopt;
    return NumberOf(IsoStreamCell(row, IsoStreamEntryRef::At(stats, ref.dir, ref.index), src.extended, true));
}

std::optional<int64_t> ReadChannel(const PageSources& src, const CounterRef& ref, const SingleChannelRow& row) {
    const StatisticsSnapshot& s = src.snapshot;
    if (!src.validity.bundleList || ref.index >= s.bundleList.Count(ref.dir)) return std::nullopt;
    if (ref.channel >= s.Bundle(ref.dir, ref.index).ChannelCount()) return std::nullopt;
    return NumberOf(ChannelCell(src, row, ref.dir, ref.index, ref.channel, nullptr));
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

bool IsProblemCounter(const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return a->source == AsioSource::BufferCounters;
    return IsErrorCounter(ref);
}

bool IsTotalCounter(const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return a->counts;
    if (const IsoStreamRow* i = Iso(ref)) return i->counts;
    if (const SingleChannelRow* c = Channel(ref)) return c->counts;
    return false;
}

const char* CounterDescription(const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return a->description;
    if (const IsoStreamRow* i = Iso(ref)) return i->description;
    if (const SingleChannelRow* c = Channel(ref)) return c->description;
    return nullptr;
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

std::optional<int64_t> ReadCounter(const PageSources& sources, const CounterRef& ref) {
    if (const AsioRow* a = Asio(ref)) return NumberOf(AsioCell(sources, *a));
    if (const IsoStreamRow* i = Iso(ref)) return ReadIso(sources, ref, *i);
    if (const SingleChannelRow* c = Channel(ref)) return ReadChannel(sources, ref, *c);
    return std::nullopt;
}

std::optional<CounterRef> CounterAtCell(NodeCode node, int row, int column) {
    if (row < 0 || row > 0xFFFF || column < 1) return std::nullopt;
    const PageDescription* page = PageOf(KindOf(node));
    if (page == nullptr || !page->counters) return std::nullopt;
    if (!ColumnPerItem(*page) && column != 1) return std::nullopt;
    const auto valueColumn = static_cast<uint32_t>(column - 1);
    CounterRef ref;
    ref.group = page->group;
    ref.dir = page->dir;
    ref.row = static_cast<uint16_t>(row);
    ref.index = page->columns == PageColumns::Streams ? valueColumn : IndexOf(node);
    if (page->columns == PageColumns::Channels) ref.channel = valueColumn;
    if (!IsNumericCounter(ref)) return std::nullopt;
    return ref;
}
