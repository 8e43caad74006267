#include <gtest/gtest.h>

#include "pages/CDlgPgSingleChannel.h"
#include "support/PageFixture.h"

namespace {

enum Row {
    HardwareName, NickName, Direction, DeviceName, ChannelType, PanningPosition, DataBlockOffset, AsioClientCount,
    KsClientCount, IsEnabled, SamplesTransferred, MidiBytesTransferred, AsioPtrOffset, AsioPtrOffsetLow,
    AsioPtrOffsetHigh, DataSlotLabelMismatch, NoBuffer
};

class PgSingleChannel : public ::testing::Test, protected PageFixture {
protected:
    PgSingleChannel() { AddDevice(0xA, "Interface A"); }

    // Bundle 1 of direction d with `channels` channels on Interface A.
    void Bundle(Dir d, uint32_t channels) {
        SetBundles(d, 2);
        PutBundle(d, 1, 3, channels);
        for (uint32_t c = 0; c < channels; ++c) PutChannel(d, 1, c, 0xA, 0, "HW", "Nick");
    }
    void Show(Dir d) {
        page.BundleIndex = 1;
        page.BuildList(d);
        page.FillValues(d);
    }
    std::string Cell(int row, int channel = 0) { return Text(page.List(), row, channel + 1); }

    CDlgPgSingleChannel page{context};
};

TEST_F(PgSingleChannel, ShowsEachChannelsNamesDeviceAndCounters) {
    Bundle(Dir::In, 2);
    PutEntry(Dir::In, 1, 0, 4, 1);
    PutEntry(Dir::In, 1, 1, 4, 9);
    PutEntry(Dir::In, 1, 0, 8, 2);
    PutEntry(Dir::In, 1, 0, 24, 3);
    PutEntry(Dir::In, 1, 0, 28, 1234567);
    Show(Dir::In);

    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.ColumnCount(), 3);
    EXPECT_EQ(Heading(list, 0), "Property");
    EXPECT_EQ(Heading(list, 1), "Channel 0");
    EXPECT_EQ(Heading(list, 2), "Channel 1");
    ASSERT_EQ(list.RowCount(), 17);
    EXPECT_EQ(Text(list, NoBuffer, 0), "NoBuffer");

    EXPECT_EQ(Cell(HardwareName), "HW");
    EXPECT_EQ(Cell(NickName), "Nick");
    EXPECT_EQ(Cell(DeviceName), "Interface A");
    // Lower case here, unlike the channel list.
    EXPECT_EQ(Cell(ChannelType), "raw audio");
    EXPECT_EQ(Cell(ChannelType, 1), "unknown");
    EXPECT_EQ(Cell(AsioClientCount), "2");
    EXPECT_EQ(Cell(DataBlockOffset), "3");
    EXPECT_EQ(Cell(SamplesTransferred), "1 234 567");
    EXPECT_EQ(list.CellTextColour(SamplesTransferred, 1), Colours::Black);
    // Both channel columns share the width beside "Property" rather than taking their own.
    EXPECT_EQ(list.ColumnWidth(1), list.ColumnWidth(2));
    EXPECT_NE(list.ColumnWidth(1), 130);
}

TEST_F(PgSingleChannel, PanningPositionsCarryTheirSuffix) {
    Bundle(Dir::Out, 4);
    const uint32_t codes[] = {4, 0, 255, 16};
    for (uint32_t c = 0; c < 4; ++c) PutEntry(Dir::Out, 1, c, 20, codes[c]);
    Show(Dir::Out);
    EXPECT_EQ(Cell(PanningPosition, 0), "4  (LFE)");
    EXPECT_EQ(Cell(PanningPosition, 1), "0 n/a");
    EXPECT_EQ(Cell(PanningPosition, 2), "255  (No position)");
    EXPECT_EQ(Cell(PanningPosition, 3), "16 n/a");
}

TEST_F(PgSingleChannel, DirectionAndEnabledFlag) {
    Bundle(Dir::In, 3);
    const uint32_t directions[] = {0, 1, 0xFFFFFFFF};
    for (uint32_t c = 0; c < 3; ++c) PutChannel(Dir::In, 1, c, 0xA, directions[c], "HW");
    PutEntry(Dir::In, 1, 1, 16, 7);
    Show(Dir::In);
    EXPECT_EQ(Cell(Direction, 0), "Input");
    EXPECT_EQ(Cell(Direction, 1), "Output");
    EXPECT_EQ(Cell(Direction, 2), "Output");
    EXPECT_EQ(Cell(IsEnabled, 0), "no");
    EXPECT_EQ(Cell(IsEnabled, 1), "yes");
}

TEST_F(PgSingleChannel, ErrorCountersTurnRedOnceTheyCount) {
    Bundle(Dir::In, 2);
    PutEntry(Dir::In, 1, 1, 52, 1);
    PutEntry(Dir::In, 1, 1, 48, 5);
    Show(Dir::In);
    EXPECT_EQ(page.List().CellTextColour(NoBuffer, 1), Colours::Black);
    EXPECT_EQ(page.List().CellTextColour(NoBuffer, 2), Colours::Highlight);
    EXPECT_EQ(page.List().CellTextColour(DataSlotLabelMismatch, 2), Colours::Highlight);
    EXPECT_EQ(Cell(NoBuffer, 1), "1");
}

TEST_F(PgSingleChannel, FromTheThirdChannelOnColumnsAreFixedWidth) {
    Bundle(Dir::In, 5);
    Show(Dir::In);
    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.ColumnCount(), 6);
    EXPECT_EQ(list.ColumnWidth(0), 150);
    for (int column = 3; column <= 5; ++column) EXPECT_EQ(list.ColumnWidth(column), 130) << column;
    EXPECT_EQ(Heading(list, 5), "Channel 4");
}

TEST_F(PgSingleChannel, ABundleWithoutChannelsShowsTheRowNamesOnly) {
    Bundle(Dir::In, 0);
    Show(Dir::In);
    EXPECT_EQ(page.List().ColumnCount(), 1);
    EXPECT_EQ(page.List().RowCount(), 17);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_DEVICE_LIST), 0u);
}

TEST_F(PgSingleChannel, EveryColumnAsksForAFreshDeviceList) {
    Bundle(Dir::In, 3);
    Show(Dir::In);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_DEVICE_LIST), 3u);
}

TEST_F(PgSingleChannel, AnUnreadableDeviceNameLeavesItsCellEmpty) {
    AddUnknownDevice(0xDEAD);
    Bundle(Dir::Out, 1);
    PutChannel(Dir::Out, 1, 0, 0xDEAD, 1, "HW");
    Show(Dir::Out);
    EXPECT_EQ(Cell(DeviceName), "");
    EXPECT_EQ(Cell(HardwareName), "HW");
}

TEST_F(PgSingleChannel, ABundleIndexBeyondTheBundlesShowsNoChannel) {
    Bundle(Dir::In, 2);
    PutBundle(Dir::In, 5, 2, 2);  // left over from an earlier read
    page.BundleIndex = 5;
    page.BuildList(Dir::In);
    page.FillValues(Dir::In);
    EXPECT_EQ(page.List().ColumnCount(), 1);
    page.BundleIndex = 0x00FFFFFF;
    page.BuildList(Dir::Out);
    page.FillValues(Dir::Out);
    EXPECT_EQ(page.List().ColumnCount(), 1);
}

TEST_F(PgSingleChannel, NameFieldsWithoutNulStopAtTheirField) {
    Bundle(Dir::In, 1);
    ChannelInfo& info = Snap().MutableChannel(Dir::In, 1, 0);
    std::fill(info.bytes.begin() + ChannelInfo::HardwareNameOffset, info.bytes.end(), 'x');
    Show(Dir::In);
    EXPECT_EQ(Cell(HardwareName), std::string(40, 'x'));
    EXPECT_EQ(Cell(NickName), std::string(40, 'x'));
}

TEST(PgSingleChannelTables, DescriptionsAndNames) {
    EXPECT_STREQ(CDlgPgSingleChannel::RowDescription(3), "Internal device ID.");
    EXPECT_STREQ(CDlgPgSingleChannel::RowDescription(16),
                 "No KS buffer available, samples or MIDI bytes have been dropped.");
    EXPECT_EQ(CDlgPgSingleChannel::RowDescription(17), nullptr);
    EXPECT_STREQ(CDlgPgSingleChannel::ChannelTypeText(3), "MIDI");
    EXPECT_STREQ(CDlgPgSingleChannel::PanningSuffix(15), " (FER)");
}

}  // namespace
