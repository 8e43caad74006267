#include "history/ErrorWatch.h"

#include <algorithm>
#include <chrono>

#include "rows/AsioRows.h"
#include "rows/IsoStreamRows.h"
#include "rows/PageText.h"
#include "rows/SingleChannelRows.h"

namespace {
constexpr uint32_t Streams = IsoStreamStatistics::Capacity;
constexpr uint32_t Bundles = StatisticsSnapshot::BundleCapacity;
constexpr uint32_t Channels = ChannelBundleInfo::EntryCapacity;
constexpr int64_t CheckpointMs = 10000;

size_t IsoRowCount() { return std::max(IsoStreamRows(Dir::In).size(), IsoStreamRows(Dir::Out).size()); }
size_t StreamBase() { return AsioRows().size(); }
size_t ChannelBase() { return StreamBase() + 2 * Streams * IsoRowCount(); }

NodeMark Stronger(NodeMark a, NodeMark b) { return std::max(a, b); }

template <typename Rows>
std::vector<uint16_t> ProblemRows(Rows rows, CounterGroup group, Dir d) {
    std::vector<uint16_t> out;
    for (size_t r = 0; r < rows.size(); ++r)
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
    indexOf_.assign(ChannelBase() + 2 * Bundles * Channels * SingleChannelRows().size(), -1);
    problems_.reserve(64);
}

size_t ErrorWatch::SlotOf(const CounterRef& r) const {
    const size_t d = static_cast<size_t>(r.dir);
    switch (r.group) {
        case CounterGroup::Asio: return r.row;
        case CounterGroup::IsoStream: return StreamBase() + (d * Streams + r.index) * IsoRowCount() + r.row;
        default: return ChannelBase() + ((d * Bundles + r.index) * Channels + r.channel) * SingleChannelRows().size() + r.row;
    }
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
        const CounterSources src{*facts.snapshot, *facts.validity, published_.ExtendedStatistics != 0};
        for (uint16_t row : asioRows_) Visit(src, {CounterGroup::Asio, Dir::In, 0, 0, row}, NodeKind_Asio);
        for (Dir d : {Dir::In, Dir::Out}) {
            const uint32_t streams = facts.validity->isoStreams ? facts.snapshot->isoStreamStatistics.Count(d) : 0;
            const uint32_t kind = d == Dir::In ? NodeKind_IsoInStream : NodeKind_IsoOutStream;
            for (uint32_t k = 0; k < std::min(streams, Streams); ++k)
                for (uint16_t row : streamRows_[size_t(d)])
                    Visit(src, {CounterGroup::IsoStream, d, k, 0, row}, MakeNodeCode(kind, k));
            const uint32_t bundles = facts.validity->bundleList ? facts.snapshot->bundleList.Count(d) : 0;
            const uint32_t bundleKind = d == Dir::In ? NodeKind_ChannelIn : NodeKind_ChannelOut;
            for (uint32_t b = 0; b < std::min(bundles, Bundles); ++b) {
                const uint32_t channels = std::min(facts.snapshot->Bundle(d, b).ChannelCount(), Channels);
                for (uint32_t c = 0; c < channels; ++c)
                    for (uint16_t row : channelRows_)
                        Visit(src, {CounterGroup::Channel, d, b, c, row}, MakeNodeCode(bundleKind, b));
            }
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

void ErrorWatch::Visit(const CounterSources& sources, const CounterRef& ref, NodeCode node) {
    const size_t slot = SlotOf(ref);
    const std::optional<int64_t> read = ReadCounter(sources, ref);
    int32_t& index = indexOf_[slot];
    if (!read) return;  // "n/a": left as it was, gone by the end of the tick
    const auto value = static_cast<uint32_t>(*read);
    if (value == 0) {
        if (index >= 0) Forget(static_cast<size_t>(index));
        return;
    }
    if (index < 0) {
        if (problems_.size() >= Capacity) return;
        index = static_cast<int32_t>(problems_.size());
        Problem& p = problems_.emplace_back();
        p.counter = ref;
        p.node = node;
        p.where = NodePath(PageSources{sources.snapshot, sources.validity, sources.extended}, node);
        // What counted before the panel's first read did not rise in its sight; later ones rose from 0.
        p.value = readBefore_ ? 0 : value;
        p.checkpoints.fill(p.value);
    }
    Problem& p = problems_[static_cast<size_t>(index)];
    if (value != p.value) {
        if (value > p.value) {
            p.lastRiseMs = nowMs_;
            p.lastRiseWallMs = wallClock_();
        }
        p.value = value;
    }
    p.gone = false;
    p.seenTick = tick_;
}

void ErrorWatch::Forget(size_t i) {
    indexOf_[SlotOf(problems_[i].counter)] = -1;
    if (i + 1 != problems_.size()) {
        problems_[i] = std::move(problems_.back());
        indexOf_[SlotOf(problems_[i].counter)] = static_cast<int32_t>(i);
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
