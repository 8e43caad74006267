#include <gtest/gtest.h>

#include <string>

#include "pages/CDlgPgDevices.h"
#include "support/PageFixture.h"

namespace {

class PgDevices : public ::testing::Test, protected PageFixture {
protected:
    void Tick() {
        dev.ReadDevices();
        page.Refresh();
    }
    const CListColorCtrlEx& List() { return page.List(); }

    CDlgPgDevices page{context};
};

TEST_F(PgDevices, EveryRowShowsItsOwnFieldInEachDeviceColumn) {
    // The fixture answers with the id at 0, the nick name at 8 and the hardware name at 48 of
    // DeviceInfo, and the sample rate at 4 of SampleRateInfo.
    AddDevice(0x1A2B, "Interface A", "Studio");
    AddDevice(0x00C0FFEE, "Interface B", "Stage");
    sampleRate = 96000;
    tree.currentKind = NodeKind_Devices;
    Tick();

    ASSERT_EQ(List().ColumnCount(), 3);
    EXPECT_EQ(Heading(List(), 0), "Property");
    EXPECT_EQ(Heading(List(), 1), "Device 0");
    EXPECT_EQ(Heading(List(), 2), "Device 1");
    const struct {
        int row;
        const char* name;
        const char* device0;
        const char* device1;
    } rows[] = {
        {0, "ID", "0x00001A2B", "0x00C0FFEE"},
        {1, "HardwareName", "Interface A", "Interface B"},
        {2, "NickName", "Studio", "Stage"},
        {3, "SampleRate", "96 000  samples/s", "96 000  samples/s"},
    };
    ASSERT_EQ(List().RowCount(), static_cast<int>(std::size(rows)));
    for (const auto& r : rows) {
        EXPECT_EQ(Text(List(), r.row, 0), r.name);
        EXPECT_EQ(Text(List(), r.row, 1), r.device0) << r.name;
        EXPECT_EQ(Text(List(), r.row, 2), r.device1) << r.name;
        EXPECT_EQ(List().CellTextColour(r.row, 1), Colours::Black) << r.name;
    }
}

TEST_F(PgDevices, ValuesAndTheSampleRateReadOnlyWhileSelected) {
    AddDevice(1, "Interface A");
    sampleRate = 44100;
    tree.currentKind = NodeKind_Asio;
    Tick();
    EXPECT_EQ(Text(List(), 0, 1), "ID");  // still the row name
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_SAMPLE_RATE_INFO), 0u);

    tree.currentKind = NodeKind_Devices;
    Tick();
    EXPECT_EQ(Text(List(), 0, 1), "0x00000001");
    EXPECT_EQ(Text(List(), 3, 1), "44 100  samples/s");
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_SAMPLE_RATE_INFO), 1u);
}

TEST_F(PgDevices, ACountChangeRebuildsAndReopensTheRestoreWindow) {
    AddDevice(1, "Interface A");
    AddDevice(2, "Interface B");
    tree.currentKind = NodeKind_Devices;
    Tick();
    EXPECT_TRUE(restore.IsOpen());
    for (int i = 0; i < 4; ++i) restore.CountTick();
    ASSERT_FALSE(restore.IsOpen());

    Tick();  // same count: nothing reopens
    EXPECT_FALSE(restore.IsOpen());

    devices.pop_back();
    Tick();
    EXPECT_TRUE(restore.IsOpen());
    EXPECT_EQ(restore.Ticks(), 0);
    EXPECT_EQ(page.Cached(), 1u);
    EXPECT_EQ(List().ColumnCount(), 2);
    EXPECT_EQ(Text(List(), 1, 1), "Interface A");
}

TEST_F(PgDevices, NoDeviceLeavesTheRowNamesOnly) {
    AddDevice(1, "Interface A");
    tree.currentKind = NodeKind_Devices;
    Tick();
    devices.clear();
    Tick();
    EXPECT_EQ(List().ColumnCount(), 1);
    ASSERT_EQ(List().RowCount(), 4);
    EXPECT_EQ(Text(List(), 2, 0), "NickName");
}

TEST_F(PgDevices, MoreDevicesThanColumnsStayInsideTheList) {
    for (uint32_t id = 0; id < DeviceList::Capacity; ++id) AddDevice(id + 100, "Device " + std::to_string(id));
    tree.currentKind = NodeKind_Devices;
    Tick();
    EXPECT_EQ(page.Cached(), 64u);
    EXPECT_EQ(List().ColumnCount(), 50);
    EXPECT_EQ(Text(List(), 1, 49), "Device 48");
}

}  // namespace
