#include <gtest/gtest.h>

#include <QLabel>
#include <string>

#include "pages/CDlgPgInfo.h"
#include "support/FindChild.h"
#include "support/PageFixture.h"

namespace {

const std::string Title = "Velmoric 1394 Audio Driver Statistics\n\n\nDevice Driver Version Info:\n";

std::string Expected(const std::string& release, const std::string& interface, const std::string& build) {
    return Title + "Driver Release:\tV" + release + "\nDriver Interface:\tV" + interface + "\nDriver Build:\t" +
           build + "\n\n";
}

class PgInfo : public ::testing::Test, protected PageFixture {
protected:
    // Interface 1.2, release 3.4, build 127.
    void SetVersion(uint32_t flags, uint8_t releaseMinor = 4) {
        version = {1, 2, 3, releaseMinor, 127, 0, 0, 0};
        Le::PutU32(version.data() + 8, flags);
    }
    CDlgPgInfo page{context};
};

TEST_F(PgInfo, ShowsReleaseInterfaceAndBuildKind) {
    SetVersion(2);
    dev.ReadDriverVersion();
    page.Refresh(false);
    EXPECT_EQ(std::string(page.InfoText()), Expected("3.04.127", "1.02", "Release Build"));
    EXPECT_EQ(dev.Published().BuildText, "Release Build");
    // The label shows the values; its tabs are laid out, not printed.
    EXPECT_TRUE(Child<QLabel>(page, "infoText").text().contains("V3.04.127"));
    EXPECT_TRUE(Child<QLabel>(page, "infoText").text().contains("Release Build"));
    EXPECT_FALSE(Child<QLabel>(page, "infoText").text().contains('\t'));

    SetVersion(1);
    dev.ReadDriverVersion();
    page.Refresh(false);
    EXPECT_EQ(std::string(page.InfoText()), Expected("3.04.127", "1.02", "Debug Build"));
    EXPECT_TRUE(Child<QLabel>(page, "infoText").text().contains("Debug Build"));
}

TEST_F(PgInfo, FlagsThreeGiveDebugBuildAndExtendedStatistics) {
    SetVersion(3);
    dev.ReadDriverVersion();
    page.Refresh(false);
    EXPECT_EQ(std::string(page.InfoText()), Expected("3.04.127", "1.02", "Debug Build"));
    EXPECT_NE(dev.Published().ExtendedStatistics, 0u);
}

TEST_F(PgInfo, MinorBelowTenHasALeadingZeroAndTheBuildNone) {
    version = {2, 5, 2, 5, 0, 0, 0, 0};
    dev.ReadDriverVersion();
    page.Refresh(false);
    EXPECT_EQ(std::string(page.InfoText()), Expected("2.05.0", "2.05", "Release Build"));
}

TEST_F(PgInfo, AResetAfterAFailedReadShowsZerosAndAnEmptyBuild) {
    SetVersion(1);
    dev.ReadDriverVersion();
    page.Refresh(false);

    versionFails = true;
    dev.ReadDriverVersion();
    page.Refresh(true);
    EXPECT_EQ(std::string(page.InfoText()), Expected("0.00.0", "0.00", ""));
    EXPECT_FALSE(Child<QLabel>(page, "infoText").text().contains("Debug Build"));
}

TEST_F(PgInfo, AFailedReadInATickShowsNoVersionAndNoBuildKind) {
    SetVersion(1);
    dev.ReadDriverVersion();
    page.Refresh(false);

    versionFails = true;
    dev.ReadDriverVersion();
    page.Refresh(false);
    EXPECT_EQ(std::string(page.InfoText()), Title + "Driver Release:\tn/a\nDriver Interface:\tn/a\nDriver Build:\tn/a\n\n");
    EXPECT_EQ(dev.Published().BuildText, "");

    versionFails = false;
    dev.ReadDriverVersion();
    page.Refresh(false);
    EXPECT_EQ(std::string(page.InfoText()), Expected("3.04.127", "1.02", "Debug Build"));
}

TEST_F(PgInfo, KeepingTheBuildTextLeavesItAsTheLastReadSetIt) {
    SetVersion(1);
    dev.ReadDriverVersion();
    page.Refresh(false);
    page.Refresh(true);
    EXPECT_EQ(std::string(page.InfoText()), Expected("3.04.127", "1.02", "Debug Build"));
}

}  // namespace
