#include <gtest/gtest.h>

#include <span>
#include <string>

#include "pages/CDlgPgIsoInStreams.h"
#include "pages/CDlgPgIsoOutStreams.h"
#include "pages/CDlgPgSingleStream.h"
#include "support/PageFixture.h"

namespace {

constexpr size_t MissingPacket = 108;  // input row 15
constexpr int MissingPacketRow = 15;
constexpr size_t MinSytOffset = 68;  // input row 33
constexpr int MinSytOffsetRow = 33;

enum class Kind { U32, I32, Bool };
struct StreamRow {
    int row;
    const char* name;
    size_t offset;  // in the stream's entry
    Kind kind;
    const char* unit;  // for Bool rows: the text the row shows
    bool red;
};
constexpr bool Red = true;

constexpr StreamRow InRows[] = {
    {0, "1394 ISO Channel", 4, Kind::U32, "", false},
    {1, "IsSampleClockMaster", 8, Kind::Bool, "yes", false},
    {2, "IsCallbackMaster", 9, Kind::Bool, "no", false},
    {3, "TotalPacketsReceived", 12, Kind::U32, "", false},
    {4, "DataPacketsReceived", 16, Kind::U32, "", false},
    {5, "EmptyPacketsReceived", 20, Kind::U32, "", false},
    {6, "SamplesTransferred", 24, Kind::U32, "", false},
    {7, "SynchState", 28, Kind::U32, "", false},
    {8, "DataPathEnabled", 32, Kind::U32, "", false},
    {9, "ExpectedDBS", 36, Kind::U32, "quadlets", false},
    {10, "CurrentDBS", 40, Kind::U32, "quadlets", false},
    {11, "ExpectedSFC", 44, Kind::U32, "", false},
    {12, "CurrentSFC", 48, Kind::U32, "", false},
    {13, "IsoRxError", 100, Kind::U32, "", Red},
    {14, "IsoRxFifoOverrun", 104, Kind::U32, "", Red},
    {15, "MissingPacket", 108, Kind::U32, "", Red},
    {16, "PacketTooShort", 112, Kind::U32, "", Red},
    {17, "PacketTooLong", 116, Kind::U32, "", Red},
    {18, "InvalidCipHeader", 120, Kind::U32, "", Red},
    {19, "UnsupportedFormat", 124, Kind::U32, "", Red},
    {20, "SamplingFrequencyChanged", 128, Kind::U32, "", Red},
    {21, "DataBlockSizeChanged", 132, Kind::U32, "", Red},
    {22, "DataBlockSequenceError", 136, Kind::U32, "", Red},
    {23, "StreamWatchdogTimedOut", 140, Kind::U32, "", Red},
    {24, "DataBlockFifoOverrun", 144, Kind::U32, "", Red},
    {25, "DataBlockFifoUnderrun", 148, Kind::U32, "", Red},
    {26, "BusDriverCallFailed", 152, Kind::U32, "", Red},
    {27, "BufferAttachFailed", 156, Kind::U32, "", Red},
    {28, "BufferDetachFailed", 160, Kind::U32, "", Red},
    {29, "MinPacketSize", 52, Kind::U32, "bytes", false},
    {30, "MaxPacketSize", 56, Kind::U32, "bytes", false},
    {31, "MinDataBlocksPerPacket", 60, Kind::U32, "", false},
    {32, "MaxDataBlocksPerPacket", 64, Kind::U32, "", false},
    {33, "MinSytOffset", 68, Kind::I32, "CT ticks", false},
    {34, "MaxSytOffset", 72, Kind::I32, "CT ticks", false},
    {35, "CurDbFifoLevel", 76, Kind::U32, "smp", false},
    {36, "MinDbFifoLevel", 80, Kind::U32, "smp", false},
    {37, "MaxDbFifoLevel", 84, Kind::U32, "smp", false},
    {38, "FramePtrDistance", 88, Kind::U32, "", false},
    {39, "FramePtrDistExceedsL1", 92, Kind::U32, "", false},
    {40, "FramePtrDistExceedsL2", 96, Kind::U32, "", false},
};

constexpr StreamRow OutRows[] = {
    {0, "1394 ISO Channel", 4, Kind::U32, "", false},
    {1, "IsSampleClockMaster", 8, Kind::Bool, "no", false},
    {2, "IsCallbackMaster", 9, Kind::Bool, "yes", false},
    {3, "TotalPacketsSent", 12, Kind::U32, "", false},
    {4, "DataPacketsSent", 16, Kind::U32, "", false},
    {5, "EmptyPacketsSent", 20, Kind::U32, "", false},
    {6, "SamplesTransferred", 24, Kind::U32, "", false},
    {7, "CurrentDBS", 28, Kind::U32, "quadlets", false},
    {8, "CurrentSFC", 32, Kind::U32, "", false},
    {9, "FramePtrNotLocked", 64, Kind::U32, "", Red},
    {10, "FramePtrOffset", 68, Kind::U32, "", Red},
    {11, "RestartForced", 72, Kind::U32, "", Red},
    {12, "BusDriverCallFailed", 76, Kind::U32, "", Red},
    {13, "BufferAttachFailed", 80, Kind::U32, "", Red},
    {14, "BufferDetachFailed", 84, Kind::U32, "", Red},
    {15, "MinCallbackInterval", 36, Kind::U32, "µs", false},
    {16, "MaxCallbackInterval", 40, Kind::U32, "µs", false},
    {17, "CurrentCallbackInterval", 44, Kind::U32, "µs", false},
    {18, "MinPacketSize", 48, Kind::U32, "bytes", false},
    {19, "MaxPacketSize", 52, Kind::U32, "bytes", false},
    {20, "MinDataBlocksPerPacket", 56, Kind::U32, "", false},
    {21, "MaxDataBlocksPerPacket", 60, Kind::U32, "", false},
};

class PgIsoStreams : public ::testing::Test, protected PageFixture {
protected:
    PgIsoStreams() {
        AddDevice(0xA, "A");
        AddDevice(0xB, "B");
    }
    void Streams(Dir d, std::initializer_list<uint32_t> deviceIds) {
        uint32_t i = 0;
        for (uint32_t id : deviceIds) PutStream(d, i++, 0, id);
        SetStreams(d, i);
    }
    const CListColorCtrlEx& InList() { return in.List(); }

    // Every field of stream 0 holds 500 + its offset (negative for the signed ones), the flags
    // the texts of the table; both the list page and the single stream page show it so.
    void ExpectEveryRow(Dir d, std::span<const StreamRow> rows, IsoStreamsPage& page, uint32_t rootKind,
                        uint32_t childKind) {
        Streams(d, {0xA});
        dev.Published().ExtendedStatistics = 2;
        for (const StreamRow& r : rows) {
            const int64_t value = r.kind == Kind::I32 ? -(500 + int64_t(r.offset)) : 500 + int64_t(r.offset);
            if (r.kind == Kind::Bool)
                PutStreamByte(d, 0, r.offset, std::string_view(r.unit) == "yes");
            else
                PutStream(d, 0, r.offset, static_cast<uint32_t>(value));
        }
        page.Refresh();
        tree.currentKind = rootKind;
        page.Refresh();
        tree.currentKind = childKind;
        single.SetStream(0);
        single.BuildList(d);
        page.Refresh();

        for (const CListColorCtrlEx* list : {&page.List(), &single.List()}) {
            ASSERT_EQ(list->RowCount(), static_cast<int>(rows.size()));
            for (const StreamRow& r : rows) {
                const int64_t value = r.kind == Kind::I32 ? -(500 + int64_t(r.offset)) : 500 + int64_t(r.offset);
                EXPECT_EQ(Text(*list, r.row, 0), r.name) << r.row;
                EXPECT_EQ(Utf8(*list, r.row, 1), r.kind == Kind::Bool ? r.unit : NumberText(value, r.unit)) << r.name;
                EXPECT_EQ(list->CellTextColour(r.row, 1), r.red ? Colours::Highlight : Colours::Black) << r.name;
            }
        }
    }

    CDlgPgSingleStream single{context};
    CDlgPgIsoInStreams in{context, single};
    CDlgPgIsoOutStreams out{context, single};
};

TEST_F(PgIsoStreams, OneColumnPerStreamHeadedWithItsDevice) {
    Streams(Dir::In, {0xA, 0xB});
    PutStream(Dir::In, 1, MissingPacket, 1);
    tree.currentKind = NodeKind_IsoInStreams;
    in.Refresh();

    ASSERT_EQ(InList().ColumnCount(), 3);
    EXPECT_EQ(Heading(InList(), 0), "Property");
    EXPECT_EQ(Heading(InList(), 1), "A");
    EXPECT_EQ(Heading(InList(), 2), "B");
    ASSERT_EQ(InList().RowCount(), 41);
    EXPECT_EQ(Text(InList(), 0, 0), "1394 ISO Channel");
    EXPECT_EQ(Text(InList(), 40, 0), "FramePtrDistExceedsL2");

    EXPECT_EQ(Text(InList(), MissingPacketRow, 1), "0");
    EXPECT_EQ(InList().CellTextColour(MissingPacketRow, 1), Colours::Black);
    EXPECT_EQ(Text(InList(), MissingPacketRow, 2), "1");
    EXPECT_EQ(InList().CellTextColour(MissingPacketRow, 2), Colours::Highlight);
}

TEST_F(PgIsoStreams, EveryInputRowShowsItsOwnFieldWithItsUnitAndColour) {
    ExpectEveryRow(Dir::In, InRows, in, NodeKind_IsoInStreams, NodeKind_IsoInStream);
}

TEST_F(PgIsoStreams, EveryOutputRowShowsItsOwnFieldWithItsUnitAndColour) {
    ExpectEveryRow(Dir::Out, OutRows, out, NodeKind_IsoOutStreams, NodeKind_IsoOutStream);
}

TEST_F(PgIsoStreams, LargeNumbersAreGroupedAndUnavailableValuesReadNA) {
    Streams(Dir::In, {0xA});
    dev.Published().ExtendedStatistics = 2;
    PutStream(Dir::In, 0, 12, 1234567);
    PutStream(Dir::In, 0, MinSytOffset, static_cast<uint32_t>(-5));
    PutStream(Dir::In, 0, 72, 0xFFFFFFFF);
    PutStream(Dir::In, 0, 100, 0xFFFFFFFF);
    in.Refresh();
    tree.currentKind = NodeKind_IsoInStreams;
    in.Refresh();

    EXPECT_EQ(Text(InList(), 3, 1), "1 234 567");
    EXPECT_EQ(Text(InList(), MinSytOffsetRow, 1), "-5 CT ticks");
    EXPECT_EQ(Text(InList(), 34, 1), "n/a");  // a signed -1 is not available either
    EXPECT_EQ(Text(InList(), 13, 1), "n/a");
    EXPECT_EQ(InList().CellTextColour(13, 1), Colours::Black);
}

TEST_F(PgIsoStreams, ExtendedRowsNeedTheDriversExtendedStatistics) {
    Streams(Dir::In, {0xA, 0xB});
    Streams(Dir::Out, {0xA, 0xB});
    for (uint32_t s = 0; s < 2; ++s) {
        PutStream(Dir::In, s, 52, 100);
        PutStream(Dir::Out, s, 36, 1333);
    }
    in.Refresh();
    out.Refresh();
    tree.currentKind = NodeKind_IsoInStreams;
    in.Refresh();
    tree.currentKind = NodeKind_IsoOutStreams;
    out.Refresh();

    for (int column = 1; column <= 2; ++column) {
        EXPECT_EQ(Text(InList(), 28, column), "0");
        for (int row = 29; row <= 40; ++row) EXPECT_EQ(Text(InList(), row, column), "n/a") << row;
        EXPECT_EQ(Text(out.List(), 14, column), "0");
        for (int row = 15; row <= 21; ++row) EXPECT_EQ(Text(out.List(), row, column), "n/a") << row;
    }

    dev.Published().ExtendedStatistics = 2;
    out.Refresh();
    EXPECT_EQ(out.List().CellText(15, 2), QString::fromUtf8("1 333 \u00B5s"));
}

TEST_F(PgIsoStreams, CountChangesRebuildTheChildNodesAndTheColumns) {
    Streams(Dir::In, {0xA});
    in.Refresh();
    ASSERT_EQ(tree.ChildrenOf(NodeKind_IsoInStreams).size(), 1u);
    EXPECT_EQ(tree.ChildrenOf(NodeKind_IsoInStreams)[0].label, "A");
    EXPECT_EQ(tree.selectedCode, 0u) << "inserting selects nothing";
    EXPECT_TRUE(restore.IsOpen()) << "a selected stream that went comes back";

    restore.Close();
    Streams(Dir::In, {0xA, 0xB});
    in.Refresh();
    EXPECT_TRUE(restore.IsOpen());
    const auto children = tree.ChildrenOf(NodeKind_IsoInStreams);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].code, MakeNodeCode(NodeKind_IsoInStream, 0));
    EXPECT_EQ(children[1].code, MakeNodeCode(NodeKind_IsoInStream, 1));
    EXPECT_EQ(children[1].label, "B");
    EXPECT_EQ(tree.selectedCode, 0u);
    EXPECT_EQ(InList().ColumnCount(), 3);

    SetStreams(Dir::In, 0);
    in.Refresh();
    EXPECT_TRUE(tree.ChildrenOf(NodeKind_IsoInStreams).empty());
    EXPECT_EQ(in.Cached(), 0u);
    EXPECT_EQ(InList().ColumnCount(), 1);
    ASSERT_EQ(InList().RowCount(), 41);
    EXPECT_EQ(Text(InList(), 15, 0), "MissingPacket");
}

// Never an empty heading, nor another stream's name: the stream's own page heading.
TEST_F(PgIsoStreams, AnUnreadableDeviceNameIsHeadedAsTheStreamsOwnPage) {
    AddUnknownDevice(0xDEAD);
    Streams(Dir::Out, {0xA, 0xDEAD, 0xB});
    out.Refresh();
    ASSERT_EQ(out.List().ColumnCount(), 4);
    EXPECT_EQ(Heading(out.List(), 1), "A");
    EXPECT_EQ(Heading(out.List(), 2), "Stream 0");
    EXPECT_EQ(Heading(out.List(), 3), "B");
    const auto children = tree.ChildrenOf(NodeKind_IsoOutStreams);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[1].label, "Stream 0");
}

TEST_F(PgIsoStreams, TheSelectedStreamIsRefilledEveryTickOnTheSingleStreamPage) {
    Streams(Dir::Out, {0xA, 0xB, 0xA});
    PutStream(Dir::Out, 2, 4, 9);
    PutStream(Dir::Out, 0, 12, 111);
    PutStream(Dir::Out, 2, 12, 333);
    // What the view does on the selection of the third output stream.
    tree.onSelect = [this](uint32_t code) {
        single.SetStream(IndexOf(code));
        single.BuildList(Dir::Out);
        single.FillValues(Dir::Out, IsoStreamEntryRef::At(Snap().isoStreamStatistics, Dir::Out, IndexOf(code)));
    };
    out.Refresh();
    tree.Select(MakeNodeCode(NodeKind_IsoOutStream, 2));
    ASSERT_EQ(single.Stream(), 2u);
    EXPECT_EQ(Heading(single.List(), 1), "Stream 9");
    EXPECT_EQ(Text(single.List(), 3, 1), "333");

    PutStream(Dir::Out, 2, 12, 334);
    out.Refresh();
    EXPECT_EQ(Text(single.List(), 3, 1), "334");
    // The list page itself is not on show.
    EXPECT_EQ(Text(out.List(), 3, 1), "TotalPacketsSent");
}

TEST_F(PgIsoStreams, CellKindsComeFromTheRowsNotFromTheValues) {
    Streams(Dir::In, {0xA});
    dev.Published().ExtendedStatistics = 2;
    constexpr uint32_t MinusTwo = 0xFFFFFFFE;
    PutStream(Dir::In, 0, 12, MinusTwo);              // TotalPacketsReceived, row 3
    PutStream(Dir::In, 0, MissingPacket, MinusTwo);   // an error counter
    PutStream(Dir::In, 0, MinSytOffset, MinusTwo);    // signed
    PutStream(Dir::In, 0, 72, 0xFFFFFFFF);            // MaxSytOffset, row 34: not available
    in.Refresh();
    single.SetStream(0);
    single.BuildList(Dir::In);
    tree.Select(NodeKind_IsoInStreams);
    in.Refresh();
    tree.Select(MakeNodeCode(NodeKind_IsoInStream, 0));
    in.Refresh();

    for (const CListColorCtrlEx* list : {&InList(), static_cast<const CListColorCtrlEx*>(&single.List())}) {
        EXPECT_EQ(Text(*list, 3, 1), "4 294 967 294");
        EXPECT_EQ(list->CellTextColour(3, 1), Colours::Black);
        EXPECT_EQ(Text(*list, MissingPacketRow, 1), "4 294 967 294");
        EXPECT_EQ(list->CellTextColour(MissingPacketRow, 1), Colours::Highlight);
        EXPECT_EQ(Text(*list, MinSytOffsetRow, 1), "-2 CT ticks");
        EXPECT_EQ(Text(*list, 34, 1), "n/a");
    }
}

TEST_F(PgIsoStreams, ASelectedIndexBeyondTheStreamsWritesNothing) {
    Streams(Dir::In, {0xA, 0xB});
    in.Refresh();
    single.SetStream(0x00FFFFFF);
    single.BuildList(Dir::In);
    tree.currentKind = NodeKind_IsoInStream;
    in.Refresh();
    EXPECT_EQ(Text(single.List(), 3, 1), "");
}

TEST_F(PgIsoStreams, CountsArePastTheRecordOnlyAsFarAsItsCapacity) {
    SetStreams(Dir::In, 40);
    SetStreams(Dir::Out, 0xFFFFFFFF);
    tree.currentKind = NodeKind_IsoInStreams;
    in.Refresh();
    tree.currentKind = NodeKind_IsoOutStreams;
    out.Refresh();
    EXPECT_EQ(in.Cached(), 16u);
    EXPECT_EQ(InList().ColumnCount(), 17);
    EXPECT_EQ(out.List().ColumnCount(), 17);
    EXPECT_EQ(tree.ChildrenOf(NodeKind_IsoOutStreams).size(), 16u);
}

}  // namespace
