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
        page.SetBundle(1);
        page.BuildList(d);
        page.FillValues(d);
    }
    std::string Cell(int row, int channel = 0) { return Text(page.List(), row, channel + 1); }

    CDlgPgSingleChannel page{context};
};

TEST_F(PgSingleChannel, EveryRowShowsItsOwnFieldOfTheChannel) {
    AddDevice(0xD, "Mixer Desk");
    SetBundles(Dir::Out, 2);
    PutBundle(Dir::Out, 1, 3, 2);
    PutChannel(Dir::Out, 1, 0, 0xA, 1, "Other HW", "Other nick");
    PutChannel(Dir::Out, 1, 1, 0xD, 0, "Channel HW", "Channel nick");
    // Channel 1's entry: 500 + the offset in every number field, format 2, panning 7, disabled.
    for (size_t offset = 0; offset < 56; offset += 4)
        PutEntry(Dir::Out, 1, 1, offset, static_cast<uint32_t>(500 + offset));
    PutEntry(Dir::Out, 1, 1, 4, 2);
    PutEntry(Dir::Out, 1, 1, 16, 0);
    PutEntry(Dir::Out, 1, 1, 20, 7);
    Show(Dir::Out);

    const struct {
        int row;
        const char* name;
        const char* value;
        bool red;
    } rows[] = {
        {0, "HardwareName", "Channel HW", false},
        {1, "NickName", "Channel nick", false},
        {2, "Direction", "Input", false},
        {3, "DeviceName", "Mixer Desk", false},
        {4, "ChannelType", "SPDIF", false},
        {5, "PanningPosition", "7  (LC)", false},
        {6, "DataBlockOffset", "524", false},
        {7, "AsioClientCount", "508", false},
        {8, "KsClientCount", "512", false},
        {9, "IsEnabled", "no", false},
        {10, "SamplesTransferred", "528", false},
        {11, "MidiBytesTransferred", "532", false},
        {12, "AsioPtrOffset", "536", false},
        {13, "AsioPtrOffsetLow", "540", false},
        {14, "AsioPtrOffsetHigh", "544", false},
        {15, "DataSlotLabelMismatch", "548", true},
        {16, "NoBuffer", "552", true},
    };
    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.RowCount(), static_cast<int>(std::size(rows)));
    for (const auto& r : rows) {
        EXPECT_EQ(Text(list, r.row, 0), r.name) << r.row;
        EXPECT_EQ(Cell(r.row, 1), r.value) << r.name;
        EXPECT_EQ(list.CellTextColour(r.row, 2), r.red ? Colours::Highlight : Colours::Black) << r.name;
    }
}

TEST_F(PgSingleChannel, ChannelColumnsAreHeadedAndShareTheWidthBesideProperty) {
    Bundle(Dir::In, 2);
    PutEntry(Dir::In, 1, 0, 4, 1);
    PutEntry(Dir::In, 1, 1, 4, 9);
    PutEntry(Dir::In, 1, 0, 28, 1234567);
    Show(Dir::In);

    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.ColumnCount(), 3);
    EXPECT_EQ(Heading(list, 0), "Property");
    EXPECT_EQ(Heading(list, 1), "Channel 0");
    EXPECT_EQ(Heading(list, 2), "Channel 1");
    // Lower case here, unlike the channel list.
    EXPECT_EQ(Cell(ChannelType), "raw audio");
    EXPECT_EQ(Cell(ChannelType, 1), "unknown");
    EXPECT_EQ(Cell(SamplesTransferred), "1 234 567");
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
    page.SetBundle(5);
    page.BuildList(Dir::In);
    page.FillValues(Dir::In);
    EXPECT_EQ(page.List().ColumnCount(), 1);
    page.SetBundle(0x00FFFFFF);
    page.BuildList(Dir::Out);
    page.FillValues(Dir::Out);
    EXPECT_EQ(page.List().ColumnCount(), 1);
}

TEST_F(PgSingleChannel, NameFieldsWithoutNulStopAtTheirField) {
    Bundle(Dir::In, 1);
    ChannelInfo& info = Snap().MutableChannel(Dir::In, 1, 0);
    std::fill(info.bytes.begin() + ChannelInfoField::HardwareName, info.bytes.end(), 'x');
    Show(Dir::In);
    EXPECT_EQ(Cell(HardwareName), std::string(40, 'x'));
    EXPECT_EQ(Cell(NickName), std::string(40, 'x'));
}

}  // namespace
