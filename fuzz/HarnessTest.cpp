// The harness's own promises: its device behaves as the real transport does whatever the input
// says, answers are built on the right earlier answer, and nothing of one input reaches the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "fuzz/AnswerEncoding.h"
#include "fuzz/AnswerHistory.h"
#include "fuzz/DeviceSlot.h"
#include "fuzz/FuzzControlDevice.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/SettingsStoreMemory.h"
#include "fuzz/SnapshotInvariants.h"
#include "platform/SettingsStore.h"
#include "platform/WinError.h"

namespace AE = AnswerEncoding;

namespace {

constexpr uint8_t Untouched = 0xAB;
constexpr uint8_t Fill = AE::MakePayload(AE::Payload::Fill);

// What one request of 8 bytes gives back when the input spells the answer.
struct Exchange {
    const char* what;
    std::vector<uint8_t> answer;  // after the open byte
    uint32_t status;
    uint32_t returned;
    int filled;  // leading bytes that hold 0x5A; the rest must stay untouched
};

const Exchange Exchanges[] = {
    {"full answer", {AE::StatusOk, AE::MakeShape(AE::Shape::Full), Fill, 0x5A}, WinError::Success, 8, 8},
    {"short answer", {AE::StatusOk, AE::MakeShape(AE::Shape::Short, 32), Fill, 0x5A}, WinError::Success, 4, 4},
    {"longer than the buffer", {AE::StatusOk, AE::MakeShape(AE::Shape::Long, 3), Fill, 0x5A},
     WinError::InsufficientBuffer, 0, 0},
    {"explicit count beyond the buffer", {AE::StatusOk, AE::MakeShape(AE::Shape::Explicit), 0xFF, 0xFF, Fill, 0x5A},
     WinError::InsufficientBuffer, 0, 0},
    {"failure", {4}, WinError::InvalidFunction, 0, 0},
    {"timeout", {7}, WinError::SemTimeout, 0, 0},
    {"input ends", {}, WinError::DeviceNotConnected, 0, 0},
};

}  // namespace

TEST(FuzzControlDeviceTest, KeepsTheTransportsPromisesWhateverTheInputSays) {
    for (const Exchange& e : Exchanges) {
        SCOPED_TRACE(e.what);
        // Sized first: GCC 12 at -O2 takes an insert after one element for a write out of bounds.
        std::vector<uint8_t> bytes(1 + e.answer.size(), AE::OpenOk);
        std::copy(e.answer.begin(), e.answer.end(), bytes.begin() + 1);
        FuzzInput input(bytes.data(), bytes.size());
        FuzzControlDevice device(input);
        ASSERT_EQ(device.Open(), WinError::Success);
        std::array<uint8_t, 8> out;
        out.fill(Untouched);
        uint32_t returned = 99;
        EXPECT_EQ(device.Control(IOCTL_QOR_GET_GLOBAL_PAIR, nullptr, 0, out.data(), 8, returned), e.status);
        EXPECT_EQ(returned, e.returned);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(out[size_t(i)], i < e.filled ? 0x5A : Untouched) << "byte " << i;
    }
}

TEST(FuzzControlDeviceTest, ATimeoutDropsTheConnectionUntilTheDeviceIsOpenedAgain) {
    const std::vector<uint8_t> bytes{AE::OpenOk, 7, AE::StatusRepeat, AE::OpenOk, AE::StatusRepeat};
    FuzzInput input(bytes.data(), bytes.size());
    FuzzControlDevice device(input);
    uint8_t out[4];
    uint32_t returned = 0;
    ASSERT_EQ(device.Open(), WinError::Success);
    EXPECT_EQ(device.Control(IOCTL_QOR_GET_GLOBAL_VALUE, nullptr, 0, out, 4, returned), WinError::SemTimeout);
    EXPECT_EQ(device.Control(IOCTL_QOR_GET_GLOBAL_VALUE, nullptr, 0, out, 4, returned), WinError::DeviceNotConnected);
    EXPECT_EQ(input.Remaining(), 3u) << "a dead connection reads nothing of the input";
    ASSERT_EQ(device.Open(), WinError::Success);
    EXPECT_EQ(device.Control(IOCTL_QOR_GET_GLOBAL_VALUE, nullptr, 0, out, 4, returned), WinError::Success);
}

TEST(FuzzControlDeviceTest, ANewInputStartsWithoutTheAnswersOfTheLastOne) {
    FuzzControlDevice device;
    const std::vector<uint8_t> first{AE::OpenOk, AE::StatusOk, AE::MakeShape(AE::Shape::Full), Fill, 0x77};
    const std::vector<uint8_t> second{AE::OpenOk, AE::StatusRepeat};
    uint8_t out[4];
    uint32_t returned = 0;
    for (const auto* bytes : {&first, &second}) {
        FuzzInput input(bytes->data(), bytes->size());
        device.Begin(input);
        ASSERT_EQ(device.Open(), WinError::Success);
        ASSERT_EQ(device.Control(IOCTL_QOR_GET_GLOBAL_VALUE, nullptr, 0, out, 4, returned), WinError::Success);
    }
    // With nothing to repeat, a repeat is zeros at full size.
    EXPECT_EQ(returned, 4u);
    for (uint8_t b : out) EXPECT_EQ(b, 0);
}

TEST(AnswerHistoryTest, BuildsOnTheSameRequestFirstThenTheSameCodeAndForgetsOnClear) {
    AnswerHistory history;
    const uint32_t bundle = 5, other = 6;
    const uint64_t keyBundle = AnswerHistory::Key(IOCTL_QOR_GET_BUNDLE_INFO, &bundle, 4);
    const uint64_t keyOther = AnswerHistory::Key(IOCTL_QOR_GET_BUNDLE_INFO, &other, 4);
    history.Remember(IOCTL_QOR_GET_BUNDLE_INFO, keyBundle, {1});
    history.Remember(IOCTL_QOR_GET_BUNDLE_INFO, keyOther, {2});

    ASSERT_NE(history.Base(IOCTL_QOR_GET_BUNDLE_INFO, keyBundle), nullptr);
    EXPECT_EQ(*history.Base(IOCTL_QOR_GET_BUNDLE_INFO, keyBundle), std::vector<uint8_t>{1});
    const uint32_t unseen = 7;
    const uint64_t keyUnseen = AnswerHistory::Key(IOCTL_QOR_GET_BUNDLE_INFO, &unseen, 4);
    EXPECT_EQ(*history.Base(IOCTL_QOR_GET_BUNDLE_INFO, keyUnseen), std::vector<uint8_t>{2}) << "the code's last answer";
    // Answering the first bundle again makes it the code's last answer.
    history.Remember(IOCTL_QOR_GET_BUNDLE_INFO, keyBundle, {3});
    EXPECT_EQ(*history.Base(IOCTL_QOR_GET_BUNDLE_INFO, keyUnseen), std::vector<uint8_t>{3});
    EXPECT_EQ(history.Base(IOCTL_QOR_GET_CHANNEL_INFO, AnswerHistory::Key(IOCTL_QOR_GET_CHANNEL_INFO, &bundle, 4)),
              nullptr);

    history.Clear();
    EXPECT_EQ(history.Base(IOCTL_QOR_GET_BUNDLE_INFO, keyBundle), nullptr);
}

TEST(AnswerHistoryTest, KeepsEveryAnswerOfAThousandChannels) {
    AnswerHistory history;
    for (uint32_t id = 0; id < 1000; ++id)
        history.Remember(IOCTL_QOR_GET_CHANNEL_INFO, AnswerHistory::Key(IOCTL_QOR_GET_CHANNEL_INFO, &id, 4),
                         {uint8_t(id), uint8_t(id >> 8)});
    for (uint32_t id = 0; id < 1000; ++id) {
        const auto* base = history.Base(IOCTL_QOR_GET_CHANNEL_INFO, AnswerHistory::Key(IOCTL_QOR_GET_CHANNEL_INFO, &id, 4));
        ASSERT_NE(base, nullptr) << id;
        EXPECT_EQ(*base, (std::vector<uint8_t>{uint8_t(id), uint8_t(id >> 8)})) << id;
    }
}

TEST(DeviceSlotTest, TheNextInputFindsZerosWhereAnswersLandedAndNoDriverWhenUnplugged) {
    std::array<uint8_t, 64> watched{};
    std::array<uint8_t, 8> outside{};
    DeviceSlot slot;
    slot.Watch(watched.data(), watched.size());
    EXPECT_EQ(slot.Open(), WinError::FileNotFound) << "nothing plugged in: no driver";

    std::vector<uint8_t> bytes{AE::OpenOk};
    for (int i = 0; i < 2; ++i) bytes.insert(bytes.end(), {AE::StatusOk, AE::MakeShape(AE::Shape::Full), Fill, 0x5A});
    FuzzInput input(bytes.data(), bytes.size());
    FuzzControlDevice device(input);
    slot.Plug(&device);
    ASSERT_EQ(slot.Open(), WinError::Success);
    uint32_t returned = 0;
    ASSERT_EQ(slot.Control(IOCTL_QOR_GET_GLOBAL_PAIR, nullptr, 0, watched.data() + 56, 8, returned), WinError::Success);
    ASSERT_EQ(slot.Control(IOCTL_QOR_GET_GLOBAL_PAIR, nullptr, 0, outside.data(), 8, returned), WinError::Success);
    slot.Plug(nullptr);
    EXPECT_FALSE(device.IsOpen()) << "unplugging closes";

    slot.ZeroWritten();
    for (uint8_t b : watched) EXPECT_EQ(b, 0);
    for (uint8_t b : outside) EXPECT_EQ(b, 0x5A) << "only the watched region is the slot's to clear";
}

TEST(DeviceSlotTest, CountsOnlyWholeAnswersInsideTheWatchedRegionAsAnswered) {
    std::array<uint8_t, 64> watched{};
    std::array<uint8_t, 8> outside{};
    DeviceSlot slot;
    slot.Watch(watched.data(), watched.size());
    const uint8_t full = AE::MakeShape(AE::Shape::Full), half = AE::MakeShape(AE::Shape::Short, 32);
    const std::vector<uint8_t> bytes{AE::OpenOk, AE::StatusOk, full, Fill, 1, AE::StatusOk, half, Fill, 2,
                                     4,          AE::StatusOk, full, Fill, 3};
    FuzzInput input(bytes.data(), bytes.size());
    FuzzControlDevice device(input);
    slot.Plug(&device);
    ASSERT_EQ(slot.Open(), WinError::Success);
    uint32_t returned = 0;
    for (uint8_t* out : {watched.data() + 8, watched.data() + 16, watched.data() + 24, outside.data()})
        slot.Control(IOCTL_QOR_GET_GLOBAL_PAIR, nullptr, 0, out, 8, returned);
    EXPECT_EQ(slot.Answered(), std::vector<size_t>{8}) << "not the short answer, the failure or the buffer outside";
    slot.ForgetAnswered();
    EXPECT_TRUE(slot.Answered().empty());
}

TEST(SnapshotInvariantsTest, ARecordToldAsAnsweredWithoutAWholeAnswerIsReported) {
    DeviceSlot slot;
    CDev dev(slot);
    const StatisticsSnapshot& s = dev.Snapshot();
    const auto offset = [&s](const void* record) {
        return size_t(static_cast<const uint8_t*>(record) - reinterpret_cast<const uint8_t*>(&s));
    };
    struct Case {
        const char* what;
        void (*tell)(RecordValidity&);
        size_t answer;  // where the whole answer for it landed
    };
    const Case cases[] = {
        {"driver version", [](RecordValidity& v) { v.driverVersion = true; }, offset(&s.driverVersion)},
        {"device", [](RecordValidity& v) { v.devices.set(3); }, offset(&s.deviceInfo[3])},
        {"bundle", [](RecordValidity& v) { v.bundles[1].set(127); }, offset(&s.bundleInfo[1][127])},
        {"channel", [](RecordValidity& v) { v.channels[0][5].set(2); }, offset(&s.channelInfo[0][5][2])},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dev.MutableValidity() = RecordValidity{};
        c.tell(dev.MutableValidity());
        std::vector<size_t> answered{offset(&s.asioInfo), c.answer};
        SnapshotInvariants::CheckAnswered(dev, answered, "with its answer");
        answered = {offset(&s.asioInfo)};
        EXPECT_DEATH(SnapshotInvariants::CheckAnswered(dev, answered, "without"), "told as answered");
    }
    dev.MutableValidity() = RecordValidity{};
    dev.MutableValidity().channels[1][0].set(16);
    std::vector<size_t> none;
    EXPECT_DEATH(SnapshotInvariants::CheckAnswered(dev, none, "past the entries"), "past its bundle's entries");
}

// The panel finds in the memory store what it would find in its settings file.
TEST(SettingsStoreMemoryTest, KeepsThePanelsKeyAsTheFileStoreDoesUntilForgotten) {
    constexpr auto Hklm = SettingsStore::Root::LocalMachine;
    constexpr const char* Key = "Software\\Quandrel\\QOR_Stats";
    SettingsStoreMemory::Forget("a.ini");
    SettingsStore store("a.ini");
    uint32_t value = 77;
    EXPECT_EQ(store.ReadDword(Hklm, Key, "LastSelItem", value), 0u);  // no key: 0, value untouched
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(store.OpenKey(Hklm, Key), nullptr);
    EXPECT_NE(store.WriteDword(Hklm, Key, "LastSelItem", 1), 0u);
    EXPECT_EQ(store.CreateKey(Hklm, "Software\\Nowhere", "Sub"), -1);

    EXPECT_EQ(store.CreateKey(Hklm, "Software", "Quandrel\\QOR_Stats"), 0);
    EXPECT_NE(store.OpenKey(Hklm, Key), nullptr);
    EXPECT_EQ(store.ReadDword(Hklm, Key, "LastSelItem", value), WinError::FileNotFound);  // key, no value
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(store.WriteDword(Hklm, Key, "LastSelItem", 0x21000002), 0u);
    // Another store of the same name sees it, one of another name does not.
    SettingsStore again("a.ini");
    EXPECT_EQ(again.ReadDword(Hklm, Key, "LastSelItem", value), 0u);
    EXPECT_EQ(value, 0x21000002u);
    SettingsStore other("b.ini");
    EXPECT_EQ(other.OpenKey(Hklm, Key), nullptr);

    SettingsStoreMemory::Forget("a.ini");
    EXPECT_EQ(store.OpenKey(Hklm, Key), nullptr);
    value = 5;
    EXPECT_EQ(store.ReadDword(Hklm, Key, "LastSelItem", value), 0u);
    EXPECT_EQ(value, 5u);
}
