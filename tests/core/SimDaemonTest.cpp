#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "platform/SocketControlDevice.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

// Runs qorsimd with the given arguments, its output going to a pipe.
struct Daemon {
    pid_t pid = -1;
    int output = -1;

    explicit Daemon(const std::vector<std::string>& args) {
        std::vector<std::string> all{QOR_SIMD_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        if (posix_spawn(&pid, QOR_SIMD_PATH, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        output = pipeFds[0];
    }
    ~Daemon() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (output >= 0) ::close(output);
    }
    // The exit status, or -1 when it did not exit normally within the bound.
    int Wait(std::chrono::seconds bound = std::chrono::seconds(10)) {
        auto deadline = std::chrono::steady_clock::now() + bound;
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    std::string FirstLine() {
        std::string line;
        char c;
        while (::read(output, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
};

}  // namespace

TEST(SimDaemon, ServesTheControlDeviceUntilTerminated) {
    char name[] = "/tmp/qorsimd-test-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    std::string dir = name;
    std::string path = dir + "/control";
    {
        Daemon daemon({"--socket", path, "--devices", "3", "--release", "--rate-schedule", "0:44100"});
        ASSERT_GT(daemon.pid, 0);
        // It announces the socket once it serves it.
        EXPECT_NE(daemon.FirstLine().find(path), std::string::npos);

        SocketControlDevice client(path, 1000);
        ASSERT_EQ(client.Open(), 0u);
        DriverVersion version;
        uint32_t returned = 0;
        ASSERT_EQ(client.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, version.Data(), DriverVersion::Size,
                                 returned),
                  0u);
        EXPECT_EQ(returned, DriverVersion::Size);
        EXPECT_GT(version.ReleaseMajor(), 0);
        EXPECT_EQ(version.Flags() & DriverVersion::FlagDebugBuild, 0u);
        DeviceList devices;
        ASSERT_EQ(client.Control(IOCTL_QOR_GET_DEVICE_LIST, nullptr, 0, devices.Data(), DeviceList::Size, returned),
                  0u);
        EXPECT_EQ(devices.RawCount(), 3u);

        // The real clock drives the counters, and the schedule changes the rate.
        AsioStatistics asio;
        uint32_t switches = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ASSERT_EQ(client.Control(IOCTL_QOR_GET_ASIO_STATISTICS, nullptr, 0, asio.Data(), AsioStatistics::Size,
                                     returned),
                      0u);
            switches = asio.U32(AsioStatisticsField::TotalBufferSwitches);
        } while ((asio.SampleRate() != 44100 || switches == 0) && std::chrono::steady_clock::now() < deadline);
        EXPECT_EQ(asio.SampleRate(), 44100u);
        EXPECT_GT(switches, 0u);

        ASSERT_EQ(::kill(daemon.pid, SIGTERM), 0);
        EXPECT_EQ(daemon.Wait(), 0);
        EXPECT_FALSE(fs::exists(path)) << "the socket file goes with the daemon";
    }
    fs::remove_all(dir);
}

namespace {
std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
    return out;
}

// A snapshot document without its read and save times, which are the run's own.
std::string WithoutTime(std::string json) {
    for (const char* key : {"\"time\"", "\"saved\""}) {
        const size_t at = json.find(key);
        if (at != std::string::npos) json.erase(at, json.find('\n', at) - at);
    }
    return json;
}
}  // namespace

// A tick recorded by qorpoll from one driver is served by qorsimd --replay as that driver: qorpoll
// reads the same pages from it, and a step past the last tick ends the replay.
TEST(SimDaemon, ReplaysARecordingAsTheDriverThatWasRecorded) {
    char name[] = "/tmp/qorsimd-replay-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    const std::string dir = name;
    const std::string recording = dir + "/studio.qorrec";
    const std::string poll = std::string(QOR_POLL_PATH) + " --json --socket ";
    std::string recorded;
    {
        Daemon simulator({"--socket", dir + "/sim", "--error-rate", "20"});
        ASSERT_NE(simulator.FirstLine().find("serving"), std::string::npos);
        recorded = Output(poll + dir + "/sim --record " + recording);
    }
    ASSERT_NE(recorded.find("\"pages\""), std::string::npos) << recorded;
    {
        Daemon replay({"--socket", dir + "/replay", "--replay", recording, "--paused"});
        EXPECT_NE(replay.FirstLine().find("replaying " + recording), std::string::npos);
        EXPECT_EQ(WithoutTime(Output(poll + dir + "/replay")), WithoutTime(recorded));
        ASSERT_EQ(::kill(replay.pid, SIGUSR1), 0);
        EXPECT_NE(replay.FirstLine().find("the recording ended after 1 ticks"), std::string::npos);
        EXPECT_EQ(replay.Wait(), 0);
        EXPECT_FALSE(fs::exists(dir + "/replay")) << "the driver goes away at the end";
    }
    // A file that is not a recording is named with its fault, and nothing is served.
    std::ofstream(dir + "/garbage.qorrec") << "not a recording at all";
    for (const std::string& file : {dir + "/garbage.qorrec", dir + "/missing.qorrec"}) {
        Daemon replay({"--socket", dir + "/replay", "--replay", file});
        EXPECT_EQ(replay.Wait(), 1) << file;
    }
    fs::remove_all(dir);
}
