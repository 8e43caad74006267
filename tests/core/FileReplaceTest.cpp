#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/FileReplace.h"

namespace {
std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

// A collector reading the file finds a whole text, the newest, and nothing else in the folder;
// a write that cannot be done says why and leaves the old text.
TEST(FileReplace, ReplacesTheWholeFileAndLeavesNoTemporary) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qor-file-replace-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::filesystem::path target = dir / "qorstats.prom";
    std::string error;
    const std::string texts[] = {"qor_driver_up 1\n" + std::string(100000, '#') + "\n", "qor_driver_up 0\n", ""};
    for (const std::string& text : texts) {
        ASSERT_TRUE(FileReplace::Write(target, text, error)) << error;
        EXPECT_EQ(Read(target), text);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    }
    ASSERT_TRUE(FileReplace::Write(target, "kept\n", error)) << error;
    EXPECT_FALSE(FileReplace::Write(dir / "missing" / "qorstats.prom", "x", error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    std::filesystem::create_directory(dir / "taken.prom");
    EXPECT_FALSE(FileReplace::Write(dir / "taken.prom", "x", error));
    EXPECT_EQ(Read(target), "kept\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);
    std::filesystem::remove_all(dir);
}
