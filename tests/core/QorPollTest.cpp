#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <vector>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "sim/FaultPlan.h"

#include "sim/DriverSimulator.h"
#include "sim/SimServer.h"

extern char** environ;

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

struct PollRun {
    std::string out;  // stdout and stderr
    int exit = -1;
};

PollRun RunPoll(const std::string& arguments) {
    PollRun run;
    FILE* pipe = ::popen((std::string(QOR_POLL_PATH) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    std::array<char, 512> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) run.out += buffer.data();
    const int status = ::pclose(pipe);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// qorpoll started in the background, its standard output and error in one file.
struct PollProcess {
    pid_t pid = -1;
    std::string outPath;

    PollProcess(std::vector<std::string> arguments, std::string out) : outPath(std::move(out)) {
        arguments.insert(arguments.begin(), QOR_POLL_PATH);
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&pid, QOR_POLL_PATH, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    // The exit code; -1 when it had to be killed after 20 s.
    int Wait() {
        for (int i = 0; i < 400; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }

    std::string Output() const {
        std::ifstream in(outPath);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

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

// A simulator served on a socket of its own for the length of a test.
class PollDumpTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }
    void TearDown() override { server.Stop(); }

    std::string path = TempSocket("qorpoll-dump-");
    sim::DriverSimulator simulator;
    sim::SimServer server{simulator, path};
};

// --json prints the snapshot document; its numbers are the simulator's.
TEST_F(PollDumpTest, JsonIsTheSnapshotDocumentWithTheSimulatorsValues) {
    simulator.SetSampleRate(44100);
    simulator.SetIsoInField(1, IsoInField::MissingPacket, 12);
    const PollRun run = RunPoll("--socket " + path + " --json");
    EXPECT_EQ(run.exit, 0) << run.out;
    EXPECT_NE(run.out.find("\"format\": \"qorstats-snapshot\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"sampleRate\": 44100,"), std::string::npos);
    EXPECT_NE(run.out.find("{\"name\": \"SampleRate\", \"unit\": \"samples/s\", \"values\": [44100]}"),
              std::string::npos);
    EXPECT_TRUE(std::regex_search(run.out, std::regex(R"(\{"name": "MissingPacket", "unit": null, "values": \[\d+, 12\]\})")))
        << run.out.substr(0, 3000);
}

// A dump shows the pages as a panel started then would: a list the driver gives nothing to lay
// out by (no answer, no sample rate) has its placeholder as its only column, the others their rows,
// and devices are named whether the device list answers or not.
TEST_F(PollDumpTest, ListsWithNothingToLayOutKeepTheirPlaceholder) {
    auto failing = [](uint32_t code) {
        sim::FaultPlan plan;
        plan.failCode = code;
        return plan;
    };
    struct Case {
        const char* name;
        sim::FaultPlan faults;
        uint32_t sampleRate;
        std::vector<std::string> placeholders;
    };
    const Case cases[] = {
        {"every record answered", {}, 48000, {}},
        {"stream records failing", failing(IOCTL_QOR_GET_ISO_STREAM_STATISTICS), 48000,
         {"No IN Stream(s) Available", "No OUT Stream(s) Available"}},
        {"bundle list failing", failing(IOCTL_QOR_GET_BUNDLE_LIST), 48000,
         {"No IN Channel(s) Available", "No OUT Channel(s) Available"}},
        {"device list failing", failing(IOCTL_QOR_GET_DEVICE_LIST), 48000, {"No Device(s) Available"}},
        {"ASIO records failing", failing(IOCTL_QOR_GET_ASIO_STATISTICS), 48000, {"No ASIO Information Available"}},
        {"no sample rate", {}, 0, {"No ASIO Information Available"}},
    };
    const std::vector<std::string> all{"No IN Stream(s) Available",  "No OUT Stream(s) Available",
                                       "No IN Channel(s) Available", "No OUT Channel(s) Available",
                                       "No Device(s) Available",     "No ASIO Information Available"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        simulator.SetFaults(c.faults);
        simulator.SetSampleRate(c.sampleRate);
        const PollRun run = RunPoll("--socket " + path + " --json");
        EXPECT_EQ(run.exit, 0) << run.out;
        for (const std::string& placeholder : all) {
            const bool shown = std::find(c.placeholders.begin(), c.placeholders.end(), placeholder) != c.placeholders.end();
            EXPECT_EQ(run.out.find("\"columns\": [\"" + placeholder + "\"],") != std::string::npos, shown) << placeholder;
        }
        // Streams and bundles are named by their device as the panel names them, device list or not.
        EXPECT_EQ(run.out.find("\"node\": \"ISO IN Streams/Velmoric Studio 8\"") != std::string::npos,
                  c.faults.failCode != IOCTL_QOR_GET_ISO_STREAM_STATISTICS);
        EXPECT_EQ(run.out.find("\"node\": \"IN Cannels/Velmoric Studio 8 [") != std::string::npos,
                  c.faults.failCode != IOCTL_QOR_GET_BUNDLE_LIST);
    }
    // Only a dump names devices apart: a watch asks no more than each refresh does.
    simulator.SetFaults(failing(IOCTL_QOR_GET_DEVICE_LIST));
    const uint64_t asked = simulator.RequestCount(IOCTL_QOR_GET_DEVICE_INFO);
    EXPECT_EQ(RunPoll("--socket " + path + " --watch 1 --period-ms 100").exit, 0);
    EXPECT_EQ(simulator.RequestCount(IOCTL_QOR_GET_DEVICE_INFO), asked);
}

// --dump prints the pages as the panel shows them: grouped digits, units, headings.
TEST_F(PollDumpTest, DumpShowsEveryPageAsThePanelDoes) {
    const PollRun run = RunPoll("--socket " + path + " --dump");
    EXPECT_EQ(run.exit, 0) << run.out;
    for (const char* page : {"== General ==", "== ASIO ==", "== Devices ==", "== ISO IN Streams ==",
                             "== ISO OUT Streams ==", "== IN Cannels ==", "== OUT Cannels =="})
        EXPECT_NE(run.out.find(page), std::string::npos) << page;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\nSampleRate +48 000 samples/s\n"))) << run.out.substr(0, 2000);
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\nDriver Build +Debug Build\n")));
}

// The watch lists what changed with its difference; with --fail-on-errors an error counter
// that went up ends it with 3, and counters that only count traffic do not.
TEST_F(PollDumpTest, WatchListsChangesAndFailsOnlyOnErrors) {
    std::atomic<bool> running{true};
    std::thread clock([&] {
        while (running) {
            simulator.Advance(100);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const PollRun quiet = RunPoll("--socket " + path + " --watch 1 --period-ms 100 --fail-on-errors");
    simulator.SetErrorRate(50.0);
    const PollRun errors = RunPoll("--socket " + path + " --watch 1 --period-ms 100 --fail-on-errors");
    const PollRun counted = RunPoll("--socket " + path + " --watch 1 --period-ms 100");
    running = false;
    clock.join();

    EXPECT_EQ(quiet.exit, 0) << quiet.out;
    EXPECT_TRUE(std::regex_search(quiet.out, std::regex("ISO IN Streams/[^\t]+\tTotalPacketsReceived\t\\d+\t\\d+\t\\+\\d+\t\n")))
        << quiet.out;
    EXPECT_EQ(quiet.out.find("\terror"), std::string::npos) << quiet.out;
    EXPECT_EQ(errors.exit, 3) << errors.out;
    EXPECT_NE(errors.out.find("\terror\n"), std::string::npos) << errors.out;
    EXPECT_EQ(counted.exit, 0) << counted.out;
}

// A watch says what ended it: the driver that went away (2), Ctrl+C or SIGTERM (130, 143, after
// printing what it gathered); a device that left and counters that went back are reported, and
// with --fail-on-errors they end it with 3.
TEST_F(PollDumpTest, TheWatchTellsWhatEndedItAndWhatHappenedOnTheWay) {
    std::atomic<bool> running{true};
    std::thread clock([&] {
        while (running) {
            simulator.Advance(100);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::function<void(pid_t)> act;
        int exit;
        std::vector<std::string> says;
    };
    const std::vector<std::string> watch{"--socket", path, "--period-ms", "100", "--watch"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = watch;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Case cases[] = {
        {"the driver goes away", with({"30", "--fail-on-errors"}), [&](pid_t) { server.SetLoaded(false); }, 2,
         {"the driver went away", "TotalPacketsReceived"}},
        {"a device leaves", with({"2", "--fail-on-errors"}), [&](pid_t) { simulator.SetDeviceCount(1); }, 3,
         {"event\tDevice removed: Velmoric Studio 4"}},
        {"a device leaves, no --fail-on-errors", with({"2"}), [&](pid_t) { simulator.SetDeviceCount(1); }, 0,
         {"event\tDevice removed: Velmoric Studio 4"}},
        {"counters go back", with({"2", "--fail-on-errors"}),
         [&](pid_t) { simulator.SetIsoInField(0, IsoInField::MissingPacket, 0); }, 3,
         {"\tMissingPacket\t9\t0\t-9\t\terror\twent back\n", "event\tISO IN Streams/Velmoric Studio 8: MissingPacket went back"}},
        {"Ctrl+C", with({"30"}), [](pid_t pid) { ::kill(pid, SIGINT); }, 130, {"TotalPacketsReceived"}},
        {"SIGTERM", with({"30", "--fail-on-errors"}), [](pid_t pid) { ::kill(pid, SIGTERM); }, 143,
         {"TotalPacketsReceived"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.SetLoaded(true);
        simulator.SetDeviceCount(2);
        simulator.SetIsoInField(0, IsoInField::MissingPacket, 9);
        PollProcess poll(c.arguments, path + ".out");
        ASSERT_GT(poll.pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        c.act(poll.pid);
        EXPECT_EQ(poll.Wait(), c.exit);
        const std::string out = poll.Output();
        for (const std::string& text : c.says) EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
    }
    running = false;
    clock.join();
    std::filesystem::remove(path + ".out");
}

// Without a driver a dump or a watch ends with 2 and names the device it tried.
TEST(QorPollExit, NoDriverAndBadCommandLinesEndWithTwo) {
    const std::string none = TempSocket("qorpoll-nobody-");
    for (const char* mode : {"--dump", "--json", "--csv", "--watch 1"}) {
        const PollRun run = RunPoll(std::string("--socket ") + none + " " + mode);
        EXPECT_EQ(run.exit, 2) << mode;
        EXPECT_NE(run.out.find(none), std::string::npos) << mode << ": " << run.out;
    }
    for (const char* wrong : {"--watch", "--watch 0", "--watch x", "--dump --json", "--fail-on-errors",
                              "--json --ticks 2", "--bogus", "--listen", "--listen ::1:80", "--listen 127.0.0.1:70000",
                              "--listen 0 --json", "--textfile", "--textfile . --watch 1"}) {
        const PollRun run = RunPoll(std::string("--socket ") + none + " " + wrong);
        EXPECT_EQ(run.exit, 2) << wrong;
        EXPECT_NE(run.out.find("Try 'qorpoll --help'"), std::string::npos) << wrong << ": " << run.out;
    }
    const PollRun help = RunPoll("--help");
    EXPECT_EQ(help.exit, 0);
    for (const char* option : {"--dump", "--json", "--csv", "--watch SECONDS", "--fail-on-errors", "--listen [ADDR:]PORT",
                               "--textfile DIR", "Exit status"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

// The text file holds the metrics of the latest tick, whole, under its one name; no temporary
// file stays behind. A folder that is not there is a mistake on the command line.
TEST_F(PollDumpTest, TextFileHoldsTheLatestMetricsAndNothingElse) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("qorpoll-prom-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    std::filesystem::create_directory(dir / "qorstats.prom");  // a file that cannot be replaced
    PollRun run = RunPoll("--socket " + path + " --textfile " + dir.string() + " --ticks 2 --period-ms 20");
    EXPECT_EQ(run.exit, 0) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << "said once, not on every tick: " << run.out;
    std::filesystem::remove(dir / "qorstats.prom");

    run = RunPoll("--socket " + path + " --textfile " + dir.string() + " --ticks 3 --period-ms 20");
    EXPECT_EQ(run.exit, 0) << run.out;
    const std::string text = RunCommand("cat " + (dir / "qorstats.prom").string());
    EXPECT_NE(text.find("\nqor_driver_up 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nqor_iso_in_packets_received_total{device=\"Velmoric Studio 8\",stream=\"0\"} "),
              std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    run = RunPoll("--socket " + path + " --textfile " + (dir / "missing").string() + " --ticks 1");
    EXPECT_EQ(run.exit, 2) << run.out;
    std::filesystem::remove_all(dir);
}
