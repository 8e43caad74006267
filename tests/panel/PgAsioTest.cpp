#include <gtest/gtest.h>

#include <string>

#include "pages/CDlgPgAsio.h"
#include "support/PageFixture.h"

namespace {

class PgAsio : public ::testing::Test, protected PageFixture {
protected:
    void Stat(size_t offset, uint32_t value) { Snap().asioStatistics.PutU32(offset, value); }
    std::string Value(int row) { return Text(page.List(), row, 1); }

    CDlgPgAsio page{context};
};

TEST_F(PgAsio, ShowsTheStatisticsWithTheirUnits) {
    Stat(0, 48000);
    Stat(4, 512);
    Stat(8, 10667);
    Stat(32, 0xFFFFFFFF);
    Stat(56, 3);  // ThreadMissedEvents, row 10
    Stat(60, 4);  // EventsMissed, row 11
    page.Refresh();

    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(Heading(list, 0), "Property");
    EXPECT_EQ(Heading(list, 1), "Value");
    ASSERT_EQ(list.RowCount(), 21);
    EXPECT_EQ(Text(list, 0, 0), "SampleRate");
    EXPECT_EQ(Text(list, 20, 0), "OutBufferUnderrun");

    EXPECT_EQ(Value(0), "48 000 samples/s");
    EXPECT_EQ(Value(1), "512 samples");
    EXPECT_EQ(list.CellText(2, 1), QString::fromUtf8("10 667 \u00B5s"));
    EXPECT_EQ(Value(8), "n/a");
    EXPECT_EQ(Value(10), "3");
    EXPECT_EQ(Value(11), "4");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Black);

    Stat(32, 2);
    page.Refresh();
    EXPECT_EQ(Value(8), "2");
}

TEST_F(PgAsio, ExtendedRowsAndTheSpacerNeedTheDriversExtendedStatistics) {
    Stat(0, 44100);
    Stat(40, 1000);
    Stat(44, 1234567);
    Stat(48, 2900);
    Stat(52, 3100);
    page.Refresh();
    for (int row = 12; row <= 16; ++row) EXPECT_EQ(Value(row), "n/a") << row;

    dev.Published().ExtendedStatistics = 2;
    page.Refresh();
    EXPECT_EQ(Value(12), "1 000");
    EXPECT_EQ(Value(13), "1 234 567");
    EXPECT_EQ(page.List().CellText(14, 1), QString::fromUtf8("2 900 \u00B5s"));
    EXPECT_EQ(page.List().CellText(15, 1), QString::fromUtf8("3 100 \u00B5s"));
    EXPECT_EQ(Value(16), "n/a");
}

TEST_F(PgAsio, BufferCountersShowOnlyWhileTheInfoRecordSaysTheyAreValid) {
    Stat(0, 48000);
    AsioInfo& info = Snap().asioInfo;
    info.PutU32(AsioInfo::InBufferUnderrun, 11);
    info.PutU32(AsioInfo::InBufferOverrun, 12);
    info.PutU32(AsioInfo::OutBufferUnderrun, 13);
    info.PutU32(AsioInfo::OutBufferOverrun, 14);
    page.Refresh();
    for (int row = 17; row <= 20; ++row) EXPECT_EQ(Value(row), "n/a") << row;

    info.PutU32(0, 1);
    page.Refresh();
    // Overrun before underrun in the list, the other way round in the record.
    EXPECT_EQ(Value(17), "12");
    EXPECT_EQ(Value(18), "11");
    EXPECT_EQ(Value(19), "14");
    EXPECT_EQ(Value(20), "13");
}

TEST_F(PgAsio, ASampleRateChangeRebuildsAndRefillsOnTheSameTick) {
    Stat(0, 44100);
    page.Refresh();
    EXPECT_EQ(page.CachedCount, 44100u);
    EXPECT_EQ(Value(0), "44 100 samples/s");

    // Something else took the list over meanwhile: only a rebuild puts it back.
    page.List().Clear();
    page.List().InsertColumn(0, 150, "No ASIO Information Available", true);
    Stat(0, 48000);
    page.Refresh();
    EXPECT_EQ(page.CachedCount, 48000u);
    EXPECT_EQ(page.List().ColumnCount(), 2);
    EXPECT_EQ(page.List().RowCount(), 21);
    EXPECT_EQ(Value(0), "48 000 samples/s");
}

TEST_F(PgAsio, ASampleRateOfZeroLeavesThePlaceholder) {
    page.ShowPlaceholder("No ASIO Information Available");
    page.Refresh();
    EXPECT_EQ(page.List().ColumnCount(), 1);
    EXPECT_EQ(page.List().RowCount(), 0);
}

TEST(PgAsioDescriptions, FollowTheRowsAndTheSpacerHasNone) {
    EXPECT_STREQ(CDlgPgAsio::RowDescription(0), "Current sample rate, in units of samples per second.");
    EXPECT_STREQ(CDlgPgAsio::RowDescription(4),
                 "Currently selected buffer switch interval.\nThe value is determined by the most recent open by "
                 "an ASIO instance in terms of microseconds.");
    EXPECT_STREQ(CDlgPgAsio::RowDescription(10), "ASIO worker thread has missed at least one switch event.");
    EXPECT_EQ(CDlgPgAsio::RowDescription(16), nullptr);
    EXPECT_STREQ(CDlgPgAsio::RowDescription(17), "InBufferOverrun");
    EXPECT_EQ(CDlgPgAsio::RowDescription(21), nullptr);
    EXPECT_EQ(CDlgPgAsio::RowDescription(-1), nullptr);
}

}  // namespace
