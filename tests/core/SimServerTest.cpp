#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "platform/DevicePath.h"
#include "platform/SocketControlDevice.h"
#include "platform/WinError.h"
#include "platform/WireProtocol.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"
#include "sim/SimServer.h"

using sim::DriverSimulator;
using sim::FaultPlan;
using sim::SimServer;
namespace fs = std::filesystem;

namespace {

constexpr int ShortTimeoutMs = 200;

std::string MakeTempDir() {
    char name[] = "/tmp/qorsim-test-XXXXXX";
    const char* dir = ::mkdtemp(name);
    return dir ? dir : "";
}

sockaddr_un Address(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), std::min(path.size(), sizeof addr.sun_path - 1));
    return addr;
}

// A raw client, for requests the panel's client never sends.
int Connect(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    timeval tv{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_un addr = Address(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::vector<uint8_t> Request(uint32_t magic, uint32_t code, uint32_t capacity, uint32_t inSize,
                             size_t payload) {
    std::vector<uint8_t> m(Wire::RequestHeaderSize + payload, 0);
    Le::PutU32(m.data(), magic);
    Le::PutU32(m.data() + 4, code);
    Le::PutU32(m.data() + 8, capacity);
    Le::PutU32(m.data() + 12, inSize);
    return m;
}

// The answer's status, or -1 when the server hung up.
int64_t Exchange(int fd, const std::vector<uint8_t>& request, uint32_t* count = nullptr) {
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) return -1;
    std::vector<uint8_t> answer(Wire::MaxAnswerSize);
    ssize_t got = ::recv(fd, answer.data(), answer.size(), 0);
    if (got < ssize_t(Wire::AnswerHeaderSize)) return -1;
    EXPECT_EQ(Le::U32(answer.data()), Wire::Magic);
    if (count) *count = Le::U32(answer.data() + 8);
    EXPECT_EQ(size_t(got), Wire::AnswerHeaderSize + Le::U32(answer.data() + 8));
    return Le::U32(answer.data() + 4);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Leaves a socket file behind with nobody listening, as a crashed server does.
void MakeStaleSocket(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un addr = Address(path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
}

struct SimServerTest : ::testing::Test {
    std::string dir = MakeTempDir();
    std::string path = dir + "/control";
    std::unique_ptr<DriverSimulator> sim = std::make_unique<DriverSimulator>();
    std::unique_ptr<SimServer> server;

    void SetUp() override {
        ASSERT_FALSE(dir.empty());
        server = std::make_unique<SimServer>(*sim, path);
        ASSERT_TRUE(server->Start()) << server->Error();
    }
    void TearDown() override {
        server.reset();
        fs::remove_all(dir);
    }

    uint32_t ReadVersion(SocketControlDevice& client, DriverVersion& v) {
        uint32_t returned = 0;
        return client.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, v.Data(), DriverVersion::Size, returned);
    }
};

}  // namespace

// ---- Serving ----

TEST_F(SimServerTest, AnswersEveryCodeAsTheSimulatorDoes) {
    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    sim->Advance(1234);
    DriverSimulator reference;  // same options, same clock
    reference.Advance(1234);
    for (const IoctlInfo& info : IoctlTable) {
        SCOPED_TRACE(info.name);
        uint32_t id = info.code == IOCTL_QOR_GET_CHANNEL_INFO  ? sim->ChannelId(Dir::Out, 1, 7)
                      : info.code == IOCTL_QOR_GET_BUNDLE_INFO ? sim->BundleId(Dir::In, 4)
                                                               : sim->DeviceId(1);
        uint8_t in[4];
        Le::PutU32(in, id);
        std::vector<uint8_t> viaSocket(info.outputSize + 8, 0xEE), direct(info.outputSize + 8, 0xEE);
        uint32_t socketReturned = 0, directReturned = 0;
        EXPECT_EQ(client.Control(info.code, in, info.inputSize, viaSocket.data(), uint32_t(viaSocket.size()),
                                 socketReturned),
                  0u);
        EXPECT_EQ(reference.Handle(info.code, in, info.inputSize, direct.data(), uint32_t(direct.size()),
                                   directReturned),
                  0u);
        EXPECT_EQ(socketReturned, info.outputSize);
        EXPECT_EQ(viaSocket, direct);
    }
    EXPECT_EQ(sim->TraceMask(), sim->DeviceId(1)) << "the set requests reached the simulator";
}

TEST_F(SimServerTest, ErrorsAndShortAnswersCrossTheSocket) {
    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    uint8_t out[4040];
    std::memset(out, 0xAB, sizeof out);
    uint8_t in[4] = {0xEF, 0xBE, 0xAD, 0xDE};
    uint32_t returned = 5;
    EXPECT_EQ(client.Control(IOCTL_QOR_GET_DEVICE_INFO, in, 4, out, 432, returned), WinError::InvalidParameter);
    EXPECT_EQ(client.Control(QorControlCode(0xFFF), nullptr, 0, out, 4, returned), WinError::InvalidFunction);
    EXPECT_EQ(client.Control(IOCTL_QOR_GET_ASIO_INFO, nullptr, 0, out, 131, returned), WinError::InsufficientBuffer);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(out[0], 0xAB);

    FaultPlan p;
    p.shortAnswers = true;
    sim->SetFaults(p);
    EXPECT_EQ(client.Control(IOCTL_QOR_GET_ISO_STREAM_STATISTICS, nullptr, 0, out, 4040, returned), 0u);
    EXPECT_EQ(returned, 2020u);
    EXPECT_EQ(out[2020], 0xAB);
}

TEST_F(SimServerTest, PanelReaderGetsTheSameSnapshotAsInProcess) {
    sim->Advance(5000);
    SocketControlDevice socketDevice(path, ShortTimeoutMs);
    sim::SimControlDevice localDevice(*sim);
    auto viaSocket = std::make_unique<CDev>(socketDevice);
    auto local = std::make_unique<CDev>(localDevice);
    for (CDev* dev : {viaSocket.get(), local.get()}) {
        ASSERT_EQ(dev->Open(), 0u);
        EXPECT_EQ(dev->ReadDriverVersion(), 0);
        EXPECT_EQ(dev->ReadAsioStatistics(), 0);
        EXPECT_EQ(dev->ReadAsioInfo(), 0);
        dev->ReadDevices();
        EXPECT_EQ(dev->ReadIsoStreamStatistics(), 0);
        EXPECT_EQ(dev->ReadChannelBundles(), 0u);
        dev->Close();
    }
    const StatisticsSnapshot& a = viaSocket->Snapshot();
    const StatisticsSnapshot& b = local->Snapshot();
    EXPECT_EQ(a.isoStreamStatistics.bytes, b.isoStreamStatistics.bytes);
    EXPECT_EQ(a.asioStatistics.bytes, b.asioStatistics.bytes);
    EXPECT_EQ(a.deviceInfo[1].bytes, b.deviceInfo[1].bytes);
    EXPECT_EQ(a.bundleList.bytes, b.bundleList.bytes);
    EXPECT_EQ(a.Channel(Dir::Out, 1, 7).bytes, b.Channel(Dir::Out, 1, 7).bytes);
}

TEST_F(SimServerTest, SeveralClientsAreServedAndExtraConnectionsAreRefused) {
    std::vector<std::unique_ptr<SocketControlDevice>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<SocketControlDevice>(path, ShortTimeoutMs));
        ASSERT_EQ(clients.back()->Open(), 0u);
    }
    for (int round = 0; round < 3; ++round)
        for (auto& c : clients) {
            DriverVersion v;
            EXPECT_EQ(ReadVersion(*c, v), 0u);
        }
    clients.clear();

    std::vector<int> fds;
    for (size_t i = 0; i < SimServer::MaxConnections + 1; ++i) fds.push_back(Connect(path));
    auto version = Request(Wire::Magic, IOCTL_QOR_GET_DRIVER_VERSION, 12, 0, 0);
    int served = 0;
    for (int fd : fds)
        if (fd >= 0 && Exchange(fd, version) == 0) ++served;
    EXPECT_EQ(served, int(SimServer::MaxConnections));
    for (int fd : fds)
        if (fd >= 0) ::close(fd);
    SocketControlDevice late(path, ShortTimeoutMs);
    ASSERT_EQ(late.Open(), 0u);
    DriverVersion v;
    EXPECT_EQ(ReadVersion(late, v), 0u) << "closed connections free their places";
}

// ---- Bad requests ----

TEST_F(SimServerTest, MalformedRequestsAreRefusedOrHungUp) {
    int fd = Connect(path);
    ASSERT_GE(fd, 0);
    // Each carries a valid device id, so only the framing can be at fault.
    auto withId = [&](std::vector<uint8_t> m) {
        Le::PutU32(m.data() + Wire::RequestHeaderSize, sim->DeviceId(0));
        return m;
    };
    EXPECT_EQ(Exchange(fd, withId(Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_INFO, 432, 4, 4))), 0);
    EXPECT_EQ(Exchange(fd, withId(Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_INFO, 432, 8, 4))),
              WinError::InvalidParameter)
        << "input size disagrees with the message";
    EXPECT_EQ(Exchange(fd, withId(Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_INFO, 432, 2, 4))),
              WinError::InvalidParameter)
        << "input size disagrees with the message";
    EXPECT_EQ(Exchange(fd, withId(Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_INFO, 432, 300, 300))),
              WinError::InvalidParameter)
        << "input larger than any request";
    EXPECT_EQ(Exchange(fd, Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_LIST, 260, 0, Wire::MaxRequestSize)),
              WinError::InvalidParameter)
        << "message larger than any request";
    EXPECT_EQ(Exchange(fd, Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_LIST, Wire::MaxOutputSize + 1, 0, 0)),
              WinError::InvalidParameter);
    uint32_t count = 0;
    EXPECT_EQ(Exchange(fd, Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_LIST, Wire::MaxOutputSize, 0, 0), &count), 0);
    EXPECT_EQ(count, 260u) << "the connection still serves well-formed requests";
    EXPECT_EQ(Exchange(fd, Request(Wire::Magic, IOCTL_QOR_GET_DEVICE_LIST, 100, 0, 0), &count),
              WinError::InsufficientBuffer);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Exchange(fd, Request(0x12345678, IOCTL_QOR_GET_DEVICE_LIST, 260, 0, 0)), -1) << "wrong magic";
    ::close(fd);

    fd = Connect(path);
    ASSERT_GE(fd, 0);
    std::vector<uint8_t> truncated(8, 0);
    Le::PutU32(truncated.data(), Wire::Magic);
    EXPECT_EQ(Exchange(fd, truncated), -1) << "header cut short";
    ::close(fd);

    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    DriverVersion v;
    EXPECT_EQ(ReadVersion(client, v), 0u) << "the server survived";
}

TEST_F(SimServerTest, UnansweredRequestTimesOutOnItsOwnConnectionAndTheNextGoesOutOnAFreshOne) {
    FaultPlan p;
    p.noAnswerCode = IOCTL_QOR_GET_ASIO_INFO;
    sim->SetFaults(p);
    SocketControlDevice waiting(path, ShortTimeoutMs), other(path, ShortTimeoutMs);
    ASSERT_EQ(waiting.Open(), 0u);
    ASSERT_EQ(other.Open(), 0u);
    uint8_t out[132];
    uint32_t returned = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waiting.Control(IOCTL_QOR_GET_ASIO_INFO, nullptr, 0, out, sizeof out, returned), WinError::SemTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    DriverVersion v;
    EXPECT_EQ(ReadVersion(waiting, v), 0u);
    EXPECT_EQ(ReadVersion(other, v), 0u);
}

// ---- The socket file and the driver's load state ----

TEST_F(SimServerTest, SocketFileIsPrivateAndRemovedAtStop) {
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    server->Stop();
    EXPECT_FALSE(server->Running());
    EXPECT_FALSE(Exists(path));
    SocketControlDevice client(path, ShortTimeoutMs);
    EXPECT_EQ(client.Open(), WinError::FileNotFound);
    server->Stop();  // twice is harmless
}

TEST_F(SimServerTest, MissingOrDeadSocketMeansNoDevice) {
    SocketControlDevice missing(dir + "/nothing", ShortTimeoutMs);
    EXPECT_EQ(missing.Open(), WinError::FileNotFound);
    EXPECT_FALSE(missing.IsOpen());
    MakeStaleSocket(dir + "/stale");
    SocketControlDevice dead(dir + "/stale", ShortTimeoutMs);
    EXPECT_EQ(dead.Open(), WinError::FileNotFound);
}

TEST_F(SimServerTest, StaleSocketIsReplacedButALiveServerIsLeftAlone) {
    DriverSimulator other;
    SimServer rival(other, path);
    EXPECT_FALSE(rival.Start());
    EXPECT_FALSE(rival.Error().empty());
    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    DriverVersion v;
    EXPECT_EQ(ReadVersion(client, v), 0u) << "the first server still serves";

    server->Stop();
    MakeStaleSocket(path);
    ASSERT_TRUE(rival.Start()) << rival.Error();
    ASSERT_EQ(client.Open(), 0u);
    EXPECT_EQ(ReadVersion(client, v), 0u);

    fs::remove(path);
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    rival.Stop();
    EXPECT_TRUE(Exists(path)) << "a file that is not our socket is never removed";
    SimServer third(other, path);
    EXPECT_FALSE(third.Start());
}

TEST_F(SimServerTest, UnloadClosesEverythingAndLoadServesAgain) {
    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    server->SetLoaded(false);
    EXPECT_FALSE(sim->Loaded());
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(server->ConnectionCount(), 0u);
    DriverVersion v;
    EXPECT_EQ(ReadVersion(client, v), WinError::DeviceNotConnected);
    EXPECT_EQ(client.Open(), WinError::FileNotFound);

    server->SetLoaded(true);
    EXPECT_TRUE(Exists(path));
    ASSERT_EQ(client.Open(), 0u);
    EXPECT_EQ(ReadVersion(client, v), 0u);
}

TEST_F(SimServerTest, UnloadThroughTheSimulatorAloneIsNoticed) {
    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    sim->SetLoaded(false);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(Exists(path));
    DriverVersion v;
    EXPECT_EQ(ReadVersion(client, v), WinError::DeviceNotConnected);

    sim->SetLoaded(true);
    while (!Exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(client.Open(), 0u);
    EXPECT_EQ(ReadVersion(client, v), 0u);
}

TEST_F(SimServerTest, ServerStartedWhileUnloadedWaitsForTheLoad) {
    server.reset();
    sim->SetLoaded(false);
    SimServer late(*sim, path);
    ASSERT_TRUE(late.Start());
    EXPECT_FALSE(Exists(path));
    late.SetLoaded(true);
    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
}

TEST_F(SimServerTest, DefaultPathLivesInAPrivateDirectory) {
    server.reset();
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    std::string runtime = dir + "/runtime";
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    {
        SimServer standard(*sim);
        bool started = standard.Start();
        EXPECT_TRUE(started) << standard.Error();
        EXPECT_EQ(standard.Path(), DevicePath::SocketPath());
        struct stat st {};
        ASSERT_EQ(::stat(runtime.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        ASSERT_EQ(::lstat(standard.Path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        auto client = MakeSystemControlDevice();
        EXPECT_EQ(client->Open(), 0u);
    }
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(SimServerTest, SettingsMayChangeWhileRequestsAreServed) {
    std::atomic<bool> done{false};
    std::atomic<int> refreshes{0};
    std::thread reader([&] {
        SocketControlDevice device(path, 1000);
        auto dev = std::make_unique<CDev>(device);
        while (!done) {
            if (dev->Open() != 0) continue;
            dev->ReadDriverVersion();
            dev->ReadDevices();
            dev->ReadIsoStreamStatistics();
            dev->ReadChannelBundles();  // may meet a bundle that just went away
            dev->Close();
            ++refreshes;
        }
    });
    for (uint32_t i = 0; i < 300; ++i) {
        sim->Advance(7);
        sim->SetSampleRate(i % 2 ? 44100 : 96000);
        sim->SetDeviceCount(1 + i % 4);
        sim->SetStreamCounts(i % 17, 16 - i % 17);
        if (i % 10 == 0) sim->SetBundleCounts(i % 7, 7 - i % 7, i % 3);
        sim->SetIsoInField(i % 16, IsoInField::SynchState, i);
        sim->SetErrorRate(i % 3);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (refreshes < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    done = true;
    reader.join();
    EXPECT_GE(refreshes.load(), 3);

    SocketControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    DeviceList list;
    uint32_t returned = 0;
    ASSERT_EQ(client.Control(IOCTL_QOR_GET_DEVICE_LIST, nullptr, 0, list.Data(), DeviceList::Size, returned), 0u);
    EXPECT_EQ(list.RawCount(), 4u);
}
