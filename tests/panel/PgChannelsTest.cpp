#include <gtest/gtest.h>

#include "pages/CDlgPgChannelsIn.h"
#include "pages/CDlgPgChannelsOut.h"
#include "pages/CDlgPgSingleChannel.h"
#include "support/PageFixture.h"

namespace {

constexpr uint32_t Stereo = 2, Multi = 3;
constexpr uint32_t RawAudio = 1;

class PgChannels : public ::testing::Test, protected PageFixture {
protected:
    PgChannels() { AddDevice(0xA, "Interface A"); }

    // One stereo bundle with two raw audio channels on Interface A.
    void StereoBundle(Dir d, uint32_t b, uint32_t deviceId = 0xA) {
        PutBundle(d, b, Stereo, 2);
        for (uint32_t c = 0; c < 2; ++c) {
            PutEntry(d, b, c, 4, RawAudio);
            PutChannel(d, b, c, deviceId, d == Dir::In ? 0 : 1, c == 0 ? "Left" : "Right");
        }
    }

    CDlgPgSingleChannel single{context};
    CDlgPgChannelsIn in{context, single};
    CDlgPgChannelsOut out{context, single};
};

TEST_F(PgChannels, InputChannelsWithDeviceNameFormatAndDirection) {
    StereoBundle(Dir::In, 0);
    SetBundles(Dir::In, 1);
    in.Refresh();

    const auto children = tree.ChildrenOf(NodeKind_ChannelsIn);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].label, "Interface A [Stereo 2C]");
    EXPECT_EQ(children[0].code, MakeNodeCode(NodeKind_ChannelIn, 0));

    const CListColorCtrlEx& list = in.List();
    ASSERT_EQ(list.ColumnCount(), 4);
    EXPECT_EQ(Heading(list, 0), "Device");
    EXPECT_EQ(Heading(list, 1), "Channel");
    EXPECT_EQ(Heading(list, 2), "Type");
    EXPECT_EQ(Heading(list, 3), "Direction");
    ASSERT_EQ(list.RowCount(), 2);
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(Text(list, r, 0), "Interface A");
        EXPECT_EQ(Text(list, r, 2), "Raw Audio");
        EXPECT_EQ(Text(list, r, 3), "Direction input");
    }
    EXPECT_EQ(Text(list, 0, 1), "Left");
    EXPECT_EQ(Text(list, 1, 1), "Right");
}

TEST_F(PgChannels, OutputChannelsShowTheBundleTypeAndNoDirection) {
    StereoBundle(Dir::Out, 0);
    PutEntry(Dir::Out, 0, 1, 4, 0);
    SetBundles(Dir::Out, 1);
    out.Refresh();
    const CListColorCtrlEx& list = out.List();
    ASSERT_EQ(list.ColumnCount(), 3);
    ASSERT_EQ(list.RowCount(), 2);
    EXPECT_EQ(Text(list, 0, 2), "Stereo 2C");
    EXPECT_EQ(Text(list, 1, 2), "Stereo 2C");
    EXPECT_EQ(tree.ChildrenOf(NodeKind_ChannelsOut)[0].label, "Interface A [Stereo 2C]");
}

TEST_F(PgChannels, UnknownCodesAndAnOutputDirectionOnTheInputPage) {
    PutBundle(Dir::In, 0, 7, 1);
    PutEntry(Dir::In, 0, 0, 4, 0);
    PutChannel(Dir::In, 0, 0, 0xA, 0xFFFFFFFF, "Odd");
    SetBundles(Dir::In, 1);
    in.Refresh();
    EXPECT_EQ(tree.ChildrenOf(NodeKind_ChannelsIn)[0].label, "Interface A [Unknown]");
    EXPECT_EQ(Text(in.List(), 0, 2), "Unknown");
    EXPECT_EQ(Text(in.List(), 0, 3), "Direction output");
}

TEST_F(PgChannels, ABundleWithoutChannelsGetsANodeButNoRows) {
    StereoBundle(Dir::In, 0);
    PutBundle(Dir::In, 1, Multi, 0);
    PutChannel(Dir::In, 1, 0, 0xA, 0, "");
    StereoBundle(Dir::In, 2);
    SetBundles(Dir::In, 3);
    in.Refresh();
    const auto children = tree.ChildrenOf(NodeKind_ChannelsIn);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[1].label, "Interface A [Multi Channel]");
    EXPECT_EQ(in.List().RowCount(), 4);
}

TEST_F(PgChannels, FromThreeOutputBundlesToTwo) {
    for (uint32_t b = 0; b < 3; ++b) StereoBundle(Dir::Out, b);
    SetBundles(Dir::Out, 3);
    out.Refresh();
    ASSERT_EQ(tree.ChildrenOf(NodeKind_ChannelsOut).size(), 3u);
    const int deletionsBefore = tree.deletions;

    SetBundles(Dir::Out, 2);
    out.Refresh();
    EXPECT_EQ(tree.deletions, deletionsBefore + 1);
    const auto children = tree.ChildrenOf(NodeKind_ChannelsOut);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[1].code, MakeNodeCode(NodeKind_ChannelOut, 1));
    EXPECT_EQ(tree.selectedCode, 0u) << "inserting selects nothing";
    EXPECT_TRUE(restore.IsOpen()) << "a selected bundle that went comes back";
    EXPECT_EQ(out.List().RowCount(), 4);

    SetBundles(Dir::Out, 0);
    out.Refresh();
    EXPECT_TRUE(tree.ChildrenOf(NodeKind_ChannelsOut).empty());
    EXPECT_EQ(out.List().ColumnCount(), 3);
    EXPECT_EQ(out.List().RowCount(), 0);
}

TEST_F(PgChannels, AnUnreadableDeviceNameIsEmptyOnBothPages) {
    AddUnknownDevice(0xDEAD);
    StereoBundle(Dir::In, 0, 0xDEAD);
    StereoBundle(Dir::Out, 0, 0xDEAD);
    SetBundles(Dir::In, 1);
    SetBundles(Dir::Out, 1);
    in.Refresh();
    out.Refresh();
    EXPECT_EQ(tree.ChildrenOf(NodeKind_ChannelsIn)[0].label, " [Stereo 2C]");
    EXPECT_EQ(tree.ChildrenOf(NodeKind_ChannelsOut)[0].label, " [Stereo 2C]");
    EXPECT_EQ(Text(in.List(), 0, 0), "");
    EXPECT_EQ(Text(out.List(), 1, 0), "");
    EXPECT_EQ(Text(out.List(), 1, 1), "Right");
}

TEST_F(PgChannels, TheSelectedBundleIsRefilledEveryTickOnTheSingleChannelPage) {
    AddDevice(0xB, "Interface B");
    StereoBundle(Dir::In, 0);
    StereoBundle(Dir::In, 1, 0xB);
    SetBundles(Dir::In, 2);
    tree.onSelect = [this](uint32_t code) {
        single.SetBundle(IndexOf(code));
        single.BuildList(Dir::In);
        single.FillValues(Dir::In);
    };
    in.Refresh();
    tree.Select(MakeNodeCode(NodeKind_ChannelIn, 1));
    ASSERT_EQ(single.Bundle(), 1u);
    EXPECT_EQ(Text(single.List(), 3, 1), "Interface B");

    PutEntry(Dir::In, 1, 0, 28, 4242);
    in.Refresh();
    EXPECT_EQ(Text(single.List(), 10, 1), "4 242");

    // Not on show: left alone.
    tree.currentKind = NodeKind_ChannelsIn;
    PutEntry(Dir::In, 1, 0, 28, 5000);
    in.Refresh();
    EXPECT_EQ(Text(single.List(), 10, 1), "4 242");
}

TEST_F(PgChannels, MoreChannelsThanRowsStayInsideTheList) {
    for (uint32_t b = 0; b < BundleList::Capacity; ++b) {
        PutBundle(Dir::In, b, Multi, 16);
        for (uint32_t c = 0; c < 16; ++c) PutChannel(Dir::In, b, c, 0xA, 0, "Ch");
    }
    SetBundles(Dir::In, 500);
    in.Refresh();
    EXPECT_EQ(in.Cached(), 128u);
    EXPECT_EQ(tree.ChildrenOf(NodeKind_ChannelsIn).size(), 128u);
    EXPECT_EQ(in.List().RowCount(), 256);
}

}  // namespace
