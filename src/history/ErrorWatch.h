#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cycle/ITickObserver.h"
#include "driver/PublishedDriverVersion.h"
#include "driver/StatisticsSnapshot.h"
#include "rows/CounterRef.h"
#include "rows/INodeMarks.h"

// Every error counter of the pages (and the ASIO buffer overruns and underruns) that is not
// 0, followed tick by tick: its value, its rise over the last minute, when it last rose, and
// whether its stream or channel has gone. From these the tree's nodes get their marks. Fed by
// the polling cycle; reads only the snapshot the tick hands it.
class ErrorWatch : public ITickObserver, public INodeMarks {
public:
    using WallClockMs = std::function<int64_t()>;
    static constexpr int64_t RecentMs = 10000;
    // Counters followed at most: beyond them new ones wait until old ones go back to 0.
    static constexpr size_t Capacity = 16384;
    // Gone counters of devices whose places others took, kept at most; the oldest go first.
    static constexpr size_t DetachedCapacity = 512;

    struct Problem {
        CounterRef counter;
        NodeCode node = 0;  // the tree node whose page shows the counter
        std::string where;  // the node's path as the tree showed it when the counter was first seen
        uint32_t value = 0;
        int64_t lastRiseMs = -1;  // the cycle's clock; -1: not seen rising
        int64_t lastRiseWallMs = 0;
        bool gone = false;  // its stream, channel or the driver went away; the value is the last read
        int64_t goneWallMs = 0;
        uint32_t risePerMinute = 0;
        std::array<uint32_t, 7> checkpoints{};  // the value every 10 s, for the rise per minute
        uint64_t seenTick = 0;
        // The device its stream or bundle belonged to when first seen (0 for ASIO). Another
        // device at that index is another counter: this one is gone, not counting on.
        uint32_t owner = 0;
        bool detached = false;  // gone for good: its index now belongs to another device's
    };

    explicit ErrorWatch(const PublishedDriverVersion& published, WallClockMs wallClock = {});

    void OnTick(const TickFacts& facts) override;
    NodeMark MarkOf(NodeCode node) const override;

    const std::vector<Problem>& Problems() const { return problems_; }
    int64_t LatestTickMs() const { return nowMs_; }

private:
    void WalkStreams(const PageSources& src, Dir d);
    void WalkBundles(const PageSources& src, Dir d);
    // The counter reads `value` this tick.
    void Seen(const PageSources& sources, const CounterRef& ref, NodeCode node, uint32_t value, uint32_t owner);
    void Forget(size_t i);
    void Detach(size_t i);
    void Remove(size_t i);
    void Mark(NodeCode node, NodeMark mark);
    size_t SlotOf(const CounterRef& ref) const;
    size_t StreamSlot(Dir d, uint32_t stream) const;
    size_t ChannelSlot(Dir d, uint32_t bundle, uint32_t channel) const;

    const PublishedDriverVersion& published_;
    WallClockMs wallClock_;
    std::vector<Problem> problems_;
    std::vector<int32_t> indexOf_;  // by slot: the problem's index, -1 for none
    // The problem counters of each table, by row.
    std::vector<uint16_t> asioRows_;
    std::array<std::vector<uint16_t>, 2> streamRows_;
    std::vector<uint16_t> channelRows_;
    std::vector<uint8_t> channelFields_;     // each channel row's field in the bundle's entry
    // A row's place among its table's problem rows: the streams' by direction, then the channels'.
    std::array<std::array<uint8_t, 256>, 3> position_{};
    uint64_t tick_ = 0;
    size_t detached_ = 0;
    bool readBefore_ = false;
    int64_t nowMs_ = 0;
    int64_t checkpoint_ = -1;
    // The marks of the nodes as of the latest tick.
    NodeMark asio_ = NodeMark::None;
    std::array<std::array<NodeMark, IsoStreamStatistics::Capacity>, 2> streams_{};
    std::array<std::array<NodeMark, StatisticsSnapshot::BundleCapacity>, 2> bundles_{};
    std::array<NodeMark, 2> streamRoots_{};
    std::array<NodeMark, 2> bundleRoots_{};
};
