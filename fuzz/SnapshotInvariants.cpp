#include "fuzz/SnapshotInvariants.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "driver/CDev.h"

namespace {

[[noreturn]] void Fail(const char* when, const char* what, unsigned long a, unsigned long b) {
    std::fprintf(stderr, "snapshot invariant broken %s: %s (%lu vs %lu)\n", when, what, a, b);
    std::abort();
}

void Expect(bool ok, const char* when, const char* what, unsigned long a = 0, unsigned long b = 0) {
    if (!ok) Fail(when, what, a, b);
}

// Keeps the probing reads from being optimised away.
volatile uint32_t sink;

// A heap copy of one record with nothing beside it: a read past its end is an AddressSanitizer
// report, where inside the snapshot it would quietly read the neighbouring record.
template <typename R>
const R& Alone(const R& record) {
    static R* const copy = new R;
    *copy = record;
    return *copy;
}

// Indexes worth asking for, given a count and the capacity it was clamped to.
template <typename F>
void Probe(uint32_t count, uint32_t capacity, F&& f) {
    for (uint32_t i : {0u, count - 1, count, capacity - 1, capacity, capacity + 1, 0xFFFFFFFFu}) f(i);
}

// An entry must lie inside its part of the record; its first and last bytes are read, so that
// an entry reaching past the record's copy is reported by AddressSanitizer as well.
template <size_t N>
void CheckEntry(const EntryView<N>& e, const uint8_t* begin, const uint8_t* end, const char* when, const char* what) {
    Expect(e.Data() >= begin && e.Data() + N <= end, when, what, static_cast<unsigned long>(e.Data() - begin),
           static_cast<unsigned long>(end - begin));
    sink = e.U8(0) + e.U8(N - 1);
}

void CheckText(const uint8_t* record, std::string_view text, size_t offset, size_t size, const char* when,
               const char* what) {
    Expect(reinterpret_cast<const uint8_t*>(text.data()) == record + offset, when, what);
    Expect(text.size() <= size, when, what, text.size(), size);
    Expect(std::memchr(text.data(), 0, text.size()) == nullptr, when, what);
}

// A position beyond a table reads a record kept apart from the snapshot, never a neighbour.
template <typename R>
void ExpectApart(const R& record, const StatisticsSnapshot& s, const char* when, const char* what) {
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    const auto* begin = reinterpret_cast<const uint8_t*>(&s);
    Expect(p + sizeof(R) <= begin || p >= begin + sizeof(StatisticsSnapshot), when, what);
}

void CheckDevices(const CDev& dev, const char* when) {
    const StatisticsSnapshot& s = dev.Snapshot();
    Expect(dev.DeviceCount() <= StatisticsSnapshot::DeviceCapacity, when, "device count", dev.DeviceCount(),
           StatisticsSnapshot::DeviceCapacity);
    const DeviceList& list = Alone(s.deviceList);
    Expect(list.Count() <= DeviceList::Capacity, when, "device list count", list.Count(), DeviceList::Capacity);
    Probe(list.Count(), DeviceList::Capacity, [&](uint32_t i) { sink = list.Id(i); });
    for (uint32_t i = 0; i < dev.DeviceCount(); ++i) {
        const DeviceInfo& d = s.Device(i);
        CheckText(d.Data(), d.NickName(), DeviceInfoField::NickName, DeviceInfoField::NickNameSize, when,
                  "device nick name");
        CheckText(d.Data(), d.HardwareName(), DeviceInfoField::HardwareName, DeviceInfoField::HardwareNameSize, when,
                  "device hardware name");
    }
    ExpectApart(s.Device(StatisticsSnapshot::DeviceCapacity), s, when, "device beyond the table");
}

void CheckStreams(const CDev& dev, const char* when) {
    const IsoStreamStatistics& iso = Alone(dev.Snapshot().isoStreamStatistics);
    const uint8_t* base = iso.Data();
    for (Dir d : {Dir::In, Dir::Out})
        Expect(iso.Count(d) <= IsoStreamStatistics::Capacity, when, "stream count", iso.Count(d),
               IsoStreamStatistics::Capacity);
    Probe(iso.Count(Dir::In), IsoStreamStatistics::Capacity, [&](uint32_t i) {
        CheckEntry(iso.In(i), base + IsoStreamStatistics::InEntriesOffset, base + IsoStreamStatistics::OutCountOffset,
                   when, "input stream entry");
    });
    Probe(iso.Count(Dir::Out), IsoStreamStatistics::Capacity, [&](uint32_t i) {
        CheckEntry(iso.Out(i), base + IsoStreamStatistics::OutEntriesOffset, base + IsoStreamStatistics::Size, when,
                   "output stream entry");
    });
}

void CheckBundles(const CDev& dev, const char* when) {
    const StatisticsSnapshot& s = dev.Snapshot();
    const BundleList& list = Alone(s.bundleList);
    for (Dir d : {Dir::In, Dir::Out}) {
        const uint32_t bundles = list.Count(d);
        Expect(bundles <= BundleList::Capacity, when, "bundle count", bundles, BundleList::Capacity);
        Probe(bundles, BundleList::Capacity, [&](uint32_t i) { sink = list.Id(d, i); });
        for (uint32_t b = 0; b < bundles; ++b) {
            // Entries are placed alike in every bundle: the first and the last bundle, copied, stand
            // for the rest, which would cost more to copy and probe than to read.
            const bool end = b == 0 || b == bundles - 1;
            const ChannelBundleInfo& bundle = end ? Alone(s.Bundle(d, b)) : s.Bundle(d, b);
            const uint32_t channels = bundle.ChannelCount();
            Expect(channels <= ChannelBundleInfo::EntryCapacity, when, "channel count", channels,
                   ChannelBundleInfo::EntryCapacity);
            if (end)
                Probe(channels, ChannelBundleInfo::EntryCapacity, [&](uint32_t j) {
                    CheckEntry(bundle.Entry(j), bundle.Data() + ChannelBundleInfo::EntriesOffset,
                               bundle.Data() + ChannelBundleInfo::Size, when, "bundle channel entry");
                });
            for (uint32_t c = 0; c < channels; ++c) {
                const ChannelInfo& channel = s.Channel(d, b, c);
                CheckText(channel.Data(), channel.HardwareName(), ChannelInfoField::HardwareName, ChannelInfoField::NameSize,
                          when, "channel hardware name");
                CheckText(channel.Data(), channel.NickName(), ChannelInfoField::NickName, ChannelInfoField::NameSize, when,
                          "channel nick name");
            }
        }
        ExpectApart(s.Bundle(d, StatisticsSnapshot::BundleCapacity), s, when, "bundle beyond the table");
        ExpectApart(s.Channel(d, StatisticsSnapshot::BundleCapacity, 0), s, when, "channel of a bundle beyond the table");
        ExpectApart(s.Channel(d, 0, StatisticsSnapshot::ChannelSlots), s, when, "channel beyond its bundle's slots");
    }
}

}  // namespace

void SnapshotInvariants::Check(const CDev& dev, const char* when) {
    CheckDevices(dev, when);
    CheckStreams(dev, when);
    CheckBundles(dev, when);
}

void SnapshotInvariants::CheckAnswered(const CDev& dev, std::vector<size_t>& answered, const char* when) {
    std::sort(answered.begin(), answered.end());
    const StatisticsSnapshot& s = dev.Snapshot();
    const RecordValidity& v = dev.Validity();
    auto expect = [&](bool valid, const void* record, const char* what, unsigned long index = 0) {
        if (!valid) return;
        const size_t offset = size_t(static_cast<const uint8_t*>(record) - reinterpret_cast<const uint8_t*>(&s));
        Expect(std::binary_search(answered.begin(), answered.end(), offset), when, what, index);
    };
    expect(v.driverVersion, &s.driverVersion, "driver version told as answered without an answer");
    expect(v.deviceList, &s.deviceList, "device list told as answered without an answer");
    expect(v.asioStatistics, &s.asioStatistics, "ASIO statistics told as answered without an answer");
    expect(v.asioInfo, &s.asioInfo, "ASIO information told as answered without an answer");
    expect(v.isoStreams, &s.isoStreamStatistics, "stream statistics told as answered without an answer");
    expect(v.bundleList, &s.bundleList, "bundle list told as answered without an answer");
    if (v.devices.any())
        for (uint32_t i = 0; i < RecordValidity::Devices; ++i)
            expect(v.devices.test(i), &s.deviceInfo[i], "device told as answered without an answer", i);
    for (Dir d : {Dir::In, Dir::Out}) {
        const size_t half = Half(d);
        for (uint32_t b = 0; b < RecordValidity::Bundles; ++b) {
            expect(v.bundles[half].test(b), &s.bundleInfo[half][b], "bundle told as answered without an answer", b);
            const auto& channels = v.channels[half][b];
            if (channels.none()) continue;
            // No bundle lists more channels than its entries hold: slots past them are never read.
            Expect((channels >> ChannelBundleInfo::EntryCapacity).none(), when,
                   "channel past its bundle's entries told as answered", b);
            for (uint32_t c = 0; c < ChannelBundleInfo::EntryCapacity; ++c)
                expect(channels.test(c), &s.channelInfo[half][b][c], "channel told as answered without an answer",
                       b * RecordValidity::ChannelSlots + c);
        }
    }
}

void SnapshotInvariants::CheckDeviceName(const char* name, const char* when) {
    if (!name) return;
    const size_t length = strnlen(name, CDev::NameBufferSize);
    Expect(length < CDev::NameBufferSize, when, "device name without its end", length, CDev::NameBufferSize);
}
