#include "history/ErrorWatch.h"

#include <algorithm>
#include <chrono>

#include "base/LittleEndian.h"
#include "driver/IsoStreamEntryRef.h"
#include "rows/AsioRows.h"
#include "rows/IsoStreamRows.h"
#include "rows/PageText.h"
#include "rows/SingleChannelRows.h"

namespace {
constexpr uint32_t Streams = IsoStreamStatistics::Capacity;
constexpr uint32_t Bundles = StatisticsSnapshot::BundleCapacity;
constexpr uint32_t Channels = ChannelBundleInfo::EntryCapacity;
constexpr int64_t CheckpointMs = 10000;
constexpr uint32_t NotAvailable = 0xFFFFFFFF;  // what the pages show as "n/a"

constexpr size_t StreamRowsMax = 64;  // more than any stream table has
NodeMark Stronger(NodeMark a, NodeMark b) { return std::max(a, b); }

template <typename Rows>
std::vector<uint16_t> ProblemRows(Rows rows, CounterGroup group, Dir d) {
    std::vector<uint16_t> out;
    for (size_t r = 0; r < rows.size() && r < 256; ++r)
        if (IsProblemCounter({group, d, 0, 0, static_cast<uint16_t>(r)})) out.push_back(static_cast<uint16_t>(r));
    return out;
}
}  // namespace

ErrorWatch::ErrorWatch(const PublishedDriverVersion& published, WallClockMs wallClock)
    : published_(published), wallClock_(std::move(wallClock)) {
    if (!wallClock_)
        wallClock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
    asioRows_ = ProblemRows(AsioRows(), CounterGroup::Asio, Dir::In);
    for (Dir d : {Dir::In, Dir::Out}) streamRows_[size_t(d)] = ProblemRows(IsoStreamRows(d), CounterGroup::IsoStream, d);
    channelRows_ = ProblemRows(SingleChannelRows(), CounterGroup::Channel, Dir::In);
    // A row's place among its table's problem rows: the counters of a stream or channel lie together.
    for (Dir d : {Dir::In, Dir::Out})
        for (size_t i = 0; i < streamRows_[size_t(d)].size() && i < StreamRowsMax; ++i)
            position_[size_t(d)][uint8_t(streamRows_[size_t(d)][i])] = static_cast<uint8_t>(i);
    streamRows_[0].resize(std::min(streamRows_[0].size(), StreamRowsMax));
    streamRows_[1].resize(std::min(streamRows_[1].size(), StreamRowsMax));
    for (size_t i = 0; i < channelRows_.size(); ++i) {
        position_[2][uint8_t(channelRows_[i])] = static_cast<uint8_t>(i);
        channelFields_.push_back(SingleChannelRows()[channelRows_[i]].entryField);
    }
    indexOf_.assign(ChannelSlot(Dir::In, 2 * Bundles, 0), -1);
    problems_.reserve(64);
}

size_t ErrorWatch::SlotOf(const CounterRef& r) const {
    const uint8_t row = static_cast<uint8_t>(r.row);
    switch (r.group) {
        case CounterGroup::Asio: return r.row;
        case CounterGroup::IsoStream: return StreamSlot(r.dir, r.index) + position_[size_t(r.dir)][row];
        default: return ChannelSlot(r.dir, r.index, r.channel) + position_[2][row];
    }
}

size_t ErrorWatch::StreamSlot(Dir d, uint32_t k) const {
    return AsioRows().size() + (static_cast<size_t>(d) * Streams + k) * StreamRowsMax;
}

size_t ErrorWatch::ChannelSlot(Dir d, uint32_t b, uint32_t c) const {
    return StreamSlot(Dir::In, 2 * Streams) + ((static_cast<size_t>(d) * Bundles + b) * Channels + c) * channelRows_.size();
}

void ErrorWatch::OnTick(const TickFacts& facts) {
    nowMs_ = facts.monotonicMs;
    // Stopped reading: the pages keep their values, and so does the watch; only the marks age.
    const bool stopped = facts.deviceOpen && !facts.refreshed;
    if (!stopped) ++tick_;
    const int64_t checkpoint = nowMs_ / CheckpointMs;
    const bool newCheckpoint = checkpoint != checkpoint_;
    checkpoint_ = checkpoint;
    if (facts.refreshed && facts.snapshot != nullptr && facts.validity != nullptr) {
        const PageSources src{*facts.snapshot, *facts.validity, published_.ExtendedStatistics != 0};
        for (uint16_t row : asioRows_) {
            const CounterRef ref{CounterGroup::Asio, Dir::In, 0, 0, row};
            if (const std::optional<int64_t> value = ReadCounter(src, ref))
                Seen(src, ref, NodeKind_Asio, static_cast<uint32_t>(*value), 0);
        }
        for (Dir d : {Dir::In, Dir::Out}) {
            WalkStreams(src, d);
            WalkBundles(src, d);
        }
        readBefore_ = true;
    }

    asio_ = NodeMark::None;
    streams_ = {};
    bundles_ = {};
    streamRoots_ = {};
    bundleRoots_ = {};
    int64_t wallMs = 0;
    for (Problem& p : problems_) {
        if (!stopped && p.seenTick != tick_ && !p.gone) {
            // Not read this tick: its stream or channel is no more, or the driver went.
            if (wallMs == 0) wallMs = wallClock_();
            p.gone = true;
            p.goneWallMs = wallMs;
        }
        if (newCheckpoint) {
            std::rotate(p.checkpoints.begin(), p.checkpoints.begin() + 1, p.checkpoints.end());
            p.checkpoints.back() = p.value;
        }
        p.risePerMinute = p.value >= p.checkpoints.front() ? p.value - p.checkpoints.front() : p.value;
        if (!p.gone) Mark(p.node, p.lastRiseMs >= 0 && nowMs_ - p.lastRiseMs < RecentMs ? NodeMark::Recent : NodeMark::Standing);
    }
}

// Thousands of counters at maximum load: read in place from the records, as ReadCounter reads
// them, rather than through it, which would check the record again for each.
void ErrorWatch::WalkStreams(const PageSources& src, Dir d) {
    if (!src.validity.isoStreams) return;
    const IsoStreamStatistics& stats = src.snapshot.isoStreamStatistics;
    const uint32_t kind = d == Dir::In ? NodeKind_IsoInStream : NodeKind_IsoOutStream;
    const auto rows = IsoStreamRows(d);
    for (uint32_t k = 0; k < std::min(stats.Count(d), Streams); ++k) {
        const IsoStreamEntryRef entry = IsoStreamEntryRef::At(stats, d, k);
        const uint32_t owner = entry.DeviceId();
        for (uint16_t row : streamRows_[size_t(d)]) {
            if (rows[row].ext && !src.extended) continue;
            const uint32_t value = entry.U32(rows[row].field);
            if (value != NotAvailable)
                Seen(src, {CounterGroup::IsoStream, d, k, 0, row}, MakeNodeCode(kind, k), value, owner);
        }
    }
}

void ErrorWatch::WalkBundles(const PageSources& src, Dir d) {
    if (!src.validity.bundleList) return;
    const StatisticsSnapshot& s = src.snapshot;
    const uint32_t kind = d == Dir::In ? NodeKind_ChannelIn : NodeKind_ChannelOut;
    const size_t rows = channelFields_.size();
    const uint8_t* fields = channelFields_.data();
    const uint32_t bundles = std::min(s.bundleList.Count(d), Bundles);
    for (uint32_t b = 0; b < bundles; ++b) {
        if (!src.validity.Bundle(d, b)) continue;
        const ChannelBundleInfo& bundle = s.Bundle(d, b);
        const uint8_t* entry = bundle.Data() + ChannelBundleInfo::EntriesOffset;
        const int32_t* index = indexOf_.data() + ChannelSlot(d, b, 0);
        const uint32_t channels = std::min(bundle.ChannelCount(), Channels);
        const uint32_t owner = s.Channel(d, b, 0).DeviceId();
        for (uint32_t c = 0; c < channels; ++c, entry += BundleChannelEntry::Size)
            for (size_t r = 0; r < rows; ++r, ++index) {
                const uint32_t value = Le::U32(entry + fields[r]);
                // Nothing counted and nothing followed: the usual case, kept short.
                if ((value == 0 && *index < 0) || value == NotAvailable) continue;
                Seen(src, {CounterGroup::Channel, d, b, c, channelRows_[r]}, MakeNodeCode(kind, b), value, owner);
            }
    }
}

void ErrorWatch::Seen(const PageSources& sources, const CounterRef& ref, NodeCode node, uint32_t value,
                      uint32_t owner) {
    int32_t& index = indexOf_[SlotOf(ref)];
    if (index < 0 && value == 0) return;  // the usual case
    if (index >= 0 && problems_[static_cast<size_t>(index)].owner != owner) {
        Detach(static_cast<size_t>(index));
        if (value == 0) return;
    }
    if (value == 0) {
        Forget(static_cast<size_t>(index));
        return;
    }
    if (index < 0) {
        if (problems_.size() >= Capacity) return;
        index = static_cast<int32_t>(problems_.size());
        Problem& p = problems_.emplace_back();
        p.counter = ref;
        p.node = node;
        p.owner = owner;
        p.where = NodePath(sources, node);
        // What counted before the panel's first read did not rise in its sight; later ones rose from 0.
        p.value = readBefore_ ? 0 : value;
        p.checkpoints.fill(p.value);
    }
    Problem& p = problems_[static_cast<size_t>(index)];
    if (value > p.value) {
        p.lastRiseMs = nowMs_;
        p.lastRiseWallMs = wallClock_();
    }
    p.value = value;
    p.gone = false;
    p.seenTick = tick_;
}

void ErrorWatch::Forget(size_t i) {
    indexOf_[SlotOf(problems_[i].counter)] = -1;
    Remove(i);
}

void ErrorWatch::Detach(size_t i) {
    Problem& p = problems_[i];
    indexOf_[SlotOf(p.counter)] = -1;
    p.detached = true;
    if (!p.gone) {
        p.gone = true;
        p.goneWallMs = wallClock_();
    }
    if (++detached_ <= DetachedCapacity) return;
    size_t oldest = i;
    for (size_t k = 0; k < problems_.size(); ++k)
        if (problems_[k].detached && problems_[k].goneWallMs < problems_[oldest].goneWallMs) oldest = k;
    Remove(oldest);
}

// Takes the problem out of the list; the last one moves into its place.
void ErrorWatch::Remove(size_t i) {
    if (problems_[i].detached) --detached_;
    if (i + 1 != problems_.size()) {
        problems_[i] = std::move(problems_.back());
        if (!problems_[i].detached) indexOf_[SlotOf(problems_[i].counter)] = static_cast<int32_t>(i);
    }
    problems_.pop_back();
}

void ErrorWatch::Mark(NodeCode node, NodeMark mark) {
    const uint32_t index = IndexOf(node);
    switch (KindOf(node)) {
        case NodeKind_Asio: asio_ = Stronger(asio_, mark); break;
        case NodeKind_IsoInStream:
        case NodeKind_IsoOutStream: {
            const size_t d = KindOf(node) == NodeKind_IsoInStream ? 0 : 1;
            streams_[d][index] = Stronger(streams_[d][index], mark);
            streamRoots_[d] = Stronger(streamRoots_[d], mark);
            break;
        }
        default: {
            const size_t d = KindOf(node) == NodeKind_ChannelIn ? 0 : 1;
            bundles_[d][index] = Stronger(bundles_[d][index], mark);
            bundleRoots_[d] = Stronger(bundleRoots_[d], mark);
        }
    }
}

NodeMark ErrorWatch::MarkOf(NodeCode node) const {
    const uint32_t index = IndexOf(node);
    switch (KindOf(node)) {
        case NodeKind_Asio: return asio_;
        case NodeKind_IsoInStreams: return streamRoots_[0];
        case NodeKind_IsoOutStreams: return streamRoots_[1];
        case NodeKind_ChannelsIn: return bundleRoots_[0];
        case NodeKind_ChannelsOut: return bundleRoots_[1];
        case NodeKind_IsoInStream: return index < Streams ? streams_[0][index] : NodeMark::None;
        case NodeKind_IsoOutStream: return index < Streams ? streams_[1][index] : NodeMark::None;
        case NodeKind_ChannelIn: return index < Bundles ? bundles_[0][index] : NodeMark::None;
        case NodeKind_ChannelOut: return index < Bundles ? bundles_[1][index] : NodeMark::None;
        default: return NodeMark::None;
    }
}
