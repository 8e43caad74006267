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

// Statistics hold 300 + their offset, buffer counters 700 + theirs: a row that reads another
// field, or shows another unit, reads another text.
TEST_F(PgAsio, EveryRowShowsItsOwnFieldWithItsUnit) {
    enum Record { Statistics, Info, Spacer };
    const struct {
        int row;
        const char* name;
        Record record;
        size_t offset;
        const char* unit;
    } rows[] = {
        {0, "SampleRate", Statistics, 0, "samples/s"},
        {1, "RefClockInterval", Statistics, 4, "samples"},
        {2, "RefClockInterval", Statistics, 8, "µs"},
        {3, "CurrentSwitchInterval", Statistics, 12, "samples"},
        {4, "CurrentSwitchInterval", Statistics, 16, "µs"},
        {5, "NumberOfASIOInstances", Statistics, 20, ""},
        {6, "ChannelsAcquired", Statistics, 24, ""},
        {7, "ChannelsEnabled", Statistics, 28, ""},
        {8, "WorkerThreadPriority", Statistics, 32, ""},
        {9, "StreamingState", Statistics, 36, ""},
        {10, "ThreadMissedEvents", Statistics, 56, ""},
        {11, "EventsMissed", Statistics, 60, ""},
        {12, "TotalBufferSwitches", Statistics, 40, ""},
        {13, "TotalSamplesTransferred", Statistics, 44, ""},
        {14, "MinBufferSwitchInterval", Statistics, 48, "µs"},
        {15, "MaxBufferSwitchInterval", Statistics, 52, "µs"},
        {16, "", Spacer, 0, ""},
        {17, "InBufferOverrun", Info, 8, ""},
        {18, "InBufferUnderrun", Info, 4, ""},
        {19, "OutBufferOverrun", Info, 16, ""},
        {20, "OutBufferUnderrun", Info, 12, ""},
    };
    for (size_t offset = 0; offset < 64; offset += 4) Stat(offset, static_cast<uint32_t>(300 + offset));
    Snap().asioInfo.PutU32(0, 1);
    for (size_t offset = 4; offset <= 16; offset += 4) Snap().asioInfo.PutU32(offset, static_cast<uint32_t>(700 + offset));
    dev.Published().ExtendedStatistics = 2;
    page.Refresh();

    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.RowCount(), static_cast<int>(std::size(rows)));
    for (const auto& r : rows) {
        EXPECT_EQ(Text(list, r.row, 0), r.name) << r.row;
        const int64_t base = r.record == Statistics ? 300 : 700;
        EXPECT_EQ(Utf8(list, r.row, 1), r.record == Spacer ? "n/a" : NumberText(base + int64_t(r.offset), r.unit))
            << r.row;
        EXPECT_EQ(list.CellTextColour(r.row, 1), Colours::Black) << r.row;
    }
}

TEST_F(PgAsio, LargeNumbersAreGroupedAndUnavailableValuesReadNA) {
    Stat(0, 48000);
    Stat(32, 0xFFFFFFFF);
    page.Refresh();
    const CListColorCtrlEx& list = page.List();
    ASSERT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(Heading(list, 0), "Property");
    EXPECT_EQ(Heading(list, 1), "Value");
    EXPECT_EQ(Value(0), "48 000 samples/s");
    EXPECT_EQ(Value(8), "n/a");

    Stat(32, 2);
    page.Refresh();
    EXPECT_EQ(Value(8), "2");
}

TEST_F(PgAsio, ExtendedRowsAndTheSpacerNeedTheDriversExtendedStatistics) {
    Stat(0, 44100);
    Stat(40, 1000);
    Stat(44, 1234567);
    page.Refresh();
    for (int row = 12; row <= 16; ++row) EXPECT_EQ(Value(row), "n/a") << row;

    dev.Published().ExtendedStatistics = 2;
    page.Refresh();
    EXPECT_EQ(Value(12), "1 000");
    EXPECT_EQ(Value(13), "1 234 567");
    EXPECT_EQ(Value(16), "n/a");
}

TEST_F(PgAsio, BufferCountersShowOnlyWhileTheInfoRecordSaysTheyAreValid) {
    Stat(0, 48000);
    for (size_t offset = 4; offset <= 16; offset += 4) Snap().asioInfo.PutU32(offset, 11);
    page.Refresh();
    for (int row = 17; row <= 20; ++row) EXPECT_EQ(Value(row), "n/a") << row;

    Snap().asioInfo.PutU32(0, 1);
    page.Refresh();
    for (int row = 17; row <= 20; ++row) EXPECT_EQ(Value(row), "11") << row;
}

TEST_F(PgAsio, ASampleRateChangeRebuildsAndRefillsOnTheSameTick) {
    Stat(0, 44100);
    page.Refresh();
    EXPECT_EQ(page.Cached(), 44100u);
    EXPECT_EQ(Value(0), "44 100 samples/s");

    // Something else took the list over meanwhile: only a rebuild puts it back.
    page.List().Clear();
    page.List().InsertColumn(0, 150, "No ASIO Information Available", true);
    Stat(0, 48000);
    page.Refresh();
    EXPECT_EQ(page.Cached(), 48000u);
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

}  // namespace
