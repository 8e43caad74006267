#include <gtest/gtest.h>

#include "pages/CDlgPgSingleStream.h"
#include "support/PageFixture.h"

namespace {

class PgSingleStream : public ::testing::Test, protected PageFixture {
protected:
    void Show(Dir d, uint32_t index) {
        page.SetStream(index);
        page.BuildList(d);
        page.FillValues(d, IsoStreamEntryRef::At(Snap().isoStreamStatistics, d, index));
    }
    const CListColorCtrlEx& List() { return page.List(); }

    CDlgPgSingleStream page{context};
};

TEST_F(PgSingleStream, HeadedWithTheIsoChannelNotTheStreamIndex) {
    SetStreams(Dir::In, 2);
    PutStream(Dir::In, 1, 4, 5);
    Show(Dir::In, 1);
    ASSERT_EQ(List().ColumnCount(), 2);
    EXPECT_EQ(Heading(List(), 0), "Property");
    EXPECT_EQ(Heading(List(), 1), "Stream 5");
    EXPECT_EQ(List().ColumnWidth(0), 210);
}

TEST_F(PgSingleStream, EachDirectionHasItsOwnRows) {
    SetStreams(Dir::In, 1);
    SetStreams(Dir::Out, 3);
    Show(Dir::In, 0);
    ASSERT_EQ(List().RowCount(), 41);
    EXPECT_EQ(Text(List(), 3, 0), "TotalPacketsReceived");
    Show(Dir::Out, 2);
    ASSERT_EQ(List().RowCount(), 22);
    EXPECT_EQ(Text(List(), 3, 0), "TotalPacketsSent");
    EXPECT_EQ(Text(List(), 21, 0), "MaxDataBlocksPerPacket");
}

TEST_F(PgSingleStream, ShowsTheSelectedOutputStreamsOwnValues) {
    SetStreams(Dir::Out, 3);
    dev.Published().ExtendedStatistics = 2;
    for (uint32_t s = 0; s < 3; ++s) {
        PutStream(Dir::Out, s, 12, 100 + s);  // TotalPacketsSent
        PutStream(Dir::Out, s, 64, s);        // FramePtrNotLocked, red
        PutStream(Dir::Out, s, 48, 400 + s);  // MinPacketSize
    }
    PutStreamByte(Dir::Out, 2, 9, 1);
    Show(Dir::Out, 2);
    EXPECT_EQ(Text(List(), 3, 1), "102");
    EXPECT_EQ(Text(List(), 2, 1), "yes");
    EXPECT_EQ(Text(List(), 9, 1), "2");
    EXPECT_EQ(List().CellTextColour(9, 1), Colours::Highlight);
    EXPECT_EQ(Text(List(), 18, 1), "402 bytes");
}

TEST_F(PgSingleStream, ErrorCountersTurnRedOnceTheyCount) {
    SetStreams(Dir::In, 1);
    Show(Dir::In, 0);
    EXPECT_EQ(Text(List(), 13, 1), "0");
    EXPECT_EQ(List().CellTextColour(13, 1), Colours::Black);
    PutStream(Dir::In, 0, 100, 3);  // IsoRxError
    page.FillValues(Dir::In, IsoStreamEntryRef::At(Snap().isoStreamStatistics, Dir::In, 0));
    EXPECT_EQ(Text(List(), 13, 1), "3");
    EXPECT_EQ(List().CellTextColour(13, 1), Colours::Highlight);
}

TEST_F(PgSingleStream, WithoutExtendedStatisticsTheExtendedRowsAreNotAvailable) {
    SetStreams(Dir::In, 1);
    SetStreams(Dir::Out, 1);
    PutStream(Dir::In, 0, 68, static_cast<uint32_t>(-5));
    Show(Dir::In, 0);
    for (int row = 29; row <= 40; ++row) EXPECT_EQ(Text(List(), row, 1), "n/a") << row;
    EXPECT_EQ(page.Cursor(), 41);
    Show(Dir::Out, 0);
    for (int row = 15; row <= 21; ++row) EXPECT_EQ(Text(List(), row, 1), "n/a") << row;
    EXPECT_EQ(page.Cursor(), 22);

    dev.Published().ExtendedStatistics = 2;
    Show(Dir::In, 0);
    EXPECT_EQ(Text(List(), 33, 1), "-5 CT ticks");
    PutStream(Dir::In, 0, 68, 0xFFFFFFFF);
    Show(Dir::In, 0);
    EXPECT_EQ(Text(List(), 33, 1), "n/a");
}

TEST_F(PgSingleStream, AnEntryOfTheOtherDirectionStaysInsideItsOwnBytes) {
    // The last output entry ends where the record ends; the input rows reach further.
    SetStreams(Dir::Out, 16);
    PutStream(Dir::Out, 15, 12, 77);
    page.BuildList(Dir::In);
    page.FillValues(Dir::In, IsoStreamEntryRef::At(Snap().isoStreamStatistics, Dir::Out, 15));
    EXPECT_EQ(Text(List(), 3, 1), "77");
    EXPECT_EQ(Text(List(), 28, 1), "0");  // offset 160 lies past an output entry
}

}  // namespace
