#include <gtest/gtest.h>

#include "rows/NameTables.h"

namespace {

TEST(NameTables, BundleTypesByCode) {
    EXPECT_STREQ(BundleTypeName(1), "Mono 1C");
    EXPECT_STREQ(BundleTypeName(2), "Stereo 2C");
    EXPECT_STREQ(BundleTypeName(3), "Multi Channel");
    EXPECT_STREQ(BundleTypeName(20), "Effect");
    EXPECT_STREQ(BundleTypeName(100), "SPDIF Transparent");
    EXPECT_STREQ(BundleTypeName(101), "SPDIF PCM");
    EXPECT_STREQ(BundleTypeName(200), "MIDI 1C");
    for (uint32_t unknown : {0u, 4u, 19u, 21u, 102u, 201u, 0xFFFFFFFFu}) EXPECT_STREQ(BundleTypeName(unknown), "Unknown");
}

TEST(NameTables, ChannelFormatsByCode) {
    EXPECT_STREQ(ChannelFormatName(1), "Raw Audio");
    EXPECT_STREQ(ChannelFormatName(2), "SPDIF");
    EXPECT_STREQ(ChannelFormatName(3), "MIDI");
    for (uint32_t unknown : {0u, 4u, 20u, 100u, 0xFFFFFFFFu}) EXPECT_STREQ(ChannelFormatName(unknown), "Unknown");
}

TEST(NameTables, ChannelTypesAndPanningPositionsOfTheSingleChannelPage) {
    EXPECT_STREQ(ChannelTypeText(1), "raw audio");
    EXPECT_STREQ(ChannelTypeText(2), "SPDIF");
    EXPECT_STREQ(ChannelTypeText(3), "MIDI");
    for (uint32_t unknown : {0u, 4u, 0xFFFFFFFFu}) EXPECT_STREQ(ChannelTypeText(unknown), "unknown");
    EXPECT_STREQ(PanningSuffix(1), " (L)");
    EXPECT_STREQ(PanningSuffix(4), " (LFE)");
    EXPECT_STREQ(PanningSuffix(15), " (FER)");
    EXPECT_STREQ(PanningSuffix(255), " (No position)");
    for (uint32_t unknown : {0u, 16u, 254u, 256u}) EXPECT_STREQ(PanningSuffix(unknown), "n/a");
}

}  // namespace
