#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "sim/DriverSimulator.h"
#include "sim/SimServer.h"

namespace {
std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return output;
    std::array<char, 512> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
    ::pclose(pipe);
    return output;
}

std::string TempSocket(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()))).string();
}
}  // namespace

// The headless panel drives the whole polling cycle over the socket and prints the status bar.
TEST(QorPoll, ShowsTheStatusOfEachTickOverTheSocket) {
    std::string path = TempSocket("qorpoll-test-");
    sim::DriverSimulator simulator;
    sim::SimServer server(simulator, path);
    ASSERT_TRUE(server.Start());
    std::string out = RunCommand(std::string(QOR_POLL_PATH) + " --socket " + path + " --ticks 3 --period-ms 20");
    EXPECT_NE(out.find("tick 3 | Reading from device. | 00:00.00 | Driver opened. | devices 2, streams 2/2"),
              std::string::npos)
        << out;
    server.Stop();
}

TEST(QorPoll, SaysDriverNotOpenedWithoutAServer) {
    std::string out = RunCommand(std::string(QOR_POLL_PATH) + " --socket " + TempSocket("qorpoll-none-") +
                          " --ticks 1 --period-ms 10");
    EXPECT_NE(out.find("tick 1 | Trying to read from device. | 00:00.00 | Driver not opened."), std::string::npos)
        << out;
}
