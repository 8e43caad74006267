#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/LittleEndian.h"
#include "driver/IoctlCodes.h"
#include "platform/SocketControlDevice.h"
#include "platform/WinError.h"
#include "platform/WireProtocol.h"

namespace fs = std::filesystem;

namespace {

constexpr int ShortTimeoutMs = 200;

// A driver that answers with whatever the test scripts, well-formed or not. Returning nothing
// leaves the request unanswered.
class FakeDriver {
public:
    using Script = std::function<std::optional<std::vector<uint8_t>>(const std::vector<uint8_t>& request)>;

    explicit FakeDriver(std::string path) : path_(std::move(path)) {
        listen_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path_.c_str(), path_.size());
        ok_ = ::bind(listen_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 && ::listen(listen_, 4) == 0;
        thread_ = std::thread([this] { Run(); });
    }
    ~FakeDriver() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
        ::unlink(path_.c_str());
    }
    bool Ok() const { return ok_; }
    void SetScript(Script s) {
        std::lock_guard lock(mutex_);
        script_ = std::move(s);
    }
    // Sends `answer` on the connection of the latest unanswered request, before the next
    // request is answered: an answer that comes too late.
    void AnswerLate(std::vector<uint8_t> answer) {
        std::lock_guard lock(mutex_);
        late_ = std::move(answer);
    }

private:
    void Run() {
        std::vector<int> connections;
        int unanswered = -1;
        while (!stop_) {
            std::vector<pollfd> fds{{listen_, POLLIN, 0}};
            for (int fd : connections) fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
            if (fds[0].revents & POLLIN) connections.push_back(::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC));
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents) continue;
                std::vector<uint8_t> request(Wire::MaxRequestSize);
                ssize_t got = ::recv(fds[i].fd, request.data(), request.size(), 0);
                if (got <= 0) {
                    if (fds[i].fd == unanswered) unanswered = -1;  // its number may come back with another
                    ::close(fds[i].fd);
                    std::erase(connections, fds[i].fd);
                    continue;
                }
                request.resize(size_t(got));
                std::optional<std::vector<uint8_t>> answer;
                {
                    std::lock_guard lock(mutex_);
                    if (late_ && std::find(connections.begin(), connections.end(), unanswered) != connections.end())
                        ::send(unanswered, late_->data(), late_->size(), MSG_NOSIGNAL);
                    late_.reset();
                    answer = script_(request);
                }
                if (answer)
                    ::send(fds[i].fd, answer->data(), answer->size(), MSG_NOSIGNAL);
                else
                    unanswered = fds[i].fd;
            }
        }
        for (int fd : connections) ::close(fd);
    }

    std::string path_;
    int listen_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    Script script_ = [](const std::vector<uint8_t>&) { return std::nullopt; };
    std::optional<std::vector<uint8_t>> late_;
    std::thread thread_;
};

std::vector<uint8_t> Answer(uint32_t magic, uint32_t status, uint32_t count, size_t payload, uint8_t fill = 0x5A) {
    std::vector<uint8_t> a(Wire::AnswerHeaderSize + payload, fill);
    Le::PutU32(a.data(), magic);
    Le::PutU32(a.data() + 4, status);
    Le::PutU32(a.data() + 8, count);
    return a;
}

FakeDriver::Script Always(std::vector<uint8_t> answer) {
    return [answer](const std::vector<uint8_t>&) { return std::optional(answer); };
}

struct SocketControlDeviceTest : ::testing::Test {
    std::string dir;
    std::string path;
    std::unique_ptr<FakeDriver> driver;
    SocketControlDevice* client = nullptr;
    std::unique_ptr<SocketControlDevice> owned;
    std::vector<uint8_t> out = std::vector<uint8_t>(64, 0xAB);
    uint32_t returned = 0;

    void SetUp() override {
        char name[] = "/tmp/qorsock-test-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
        path = dir + "/control";
        driver = std::make_unique<FakeDriver>(path);
        ASSERT_TRUE(driver->Ok());
        owned = std::make_unique<SocketControlDevice>(path, ShortTimeoutMs);
        client = owned.get();
        ASSERT_EQ(client->Open(), 0u);
    }
    void TearDown() override {
        owned.reset();
        driver.reset();
        fs::remove_all(dir);
    }
    uint32_t Ask(uint32_t outSize = 12) {
        return client->Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, out.data(), outSize, returned);
    }
    bool OutUntouched() const {
        for (uint8_t b : out)
            if (b != 0xAB) return false;
        return true;
    }
};

}  // namespace

TEST_F(SocketControlDeviceTest, WellFormedAnswerIsCopiedOut) {
    driver->SetScript([](const std::vector<uint8_t>& r) {
        EXPECT_EQ(r.size(), Wire::RequestHeaderSize + 4);
        EXPECT_EQ(Le::U32(r.data()), Wire::Magic);
        EXPECT_EQ(Le::U32(r.data() + 4), IOCTL_QOR_GET_DEVICE_INFO);
        EXPECT_EQ(Le::U32(r.data() + 8), 40u);
        EXPECT_EQ(Le::U32(r.data() + 12), 4u);
        EXPECT_EQ(Le::U32(r.data() + 16), 0x1A2Bu);
        return std::optional(Answer(Wire::Magic, 0, 12, 12, 0x11));
    });
    uint8_t in[4];
    Le::PutU32(in, 0x1A2B);
    EXPECT_EQ(client->Control(IOCTL_QOR_GET_DEVICE_INFO, in, 4, out.data(), 40, returned), 0u);
    EXPECT_EQ(returned, 12u);
    EXPECT_EQ(out[11], 0x11);
    EXPECT_EQ(out[12], 0xAB);
}

TEST_F(SocketControlDeviceTest, MalformedAnswersFailAndDropTheConnection) {
    struct Case {
        const char* what;
        std::vector<uint8_t> answer;
    };
    const Case cases[] = {
        {"wrong magic", Answer(0x0BADF00D, 0, 12, 12)},
        {"header cut short", std::vector<uint8_t>(8, 0)},
        {"count larger than the message", Answer(Wire::Magic, 0, 12, 4)},
        {"count smaller than the message", Answer(Wire::Magic, 0, 4, 12)},
        {"message larger than any answer", Answer(Wire::Magic, 0, Wire::MaxOutputSize + 100, Wire::MaxOutputSize + 100)},
        {"message one byte larger than any answer",
         Answer(Wire::Magic, 0, Wire::MaxOutputSize + 1, Wire::MaxOutputSize + 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(client->Open(), 0u);
        driver->SetScript(Always(c.answer));
        EXPECT_EQ(Ask(), WinError::InvalidData);
        EXPECT_EQ(returned, 0u);
        EXPECT_TRUE(OutUntouched());
        driver->SetScript(Always(Answer(Wire::Magic, 0, 12, 12)));
        EXPECT_EQ(Ask(), WinError::DeviceNotConnected) << "the stream cannot be trusted any more";
        EXPECT_TRUE(client->IsOpen());
    }
}

TEST_F(SocketControlDeviceTest, OversizedOrFailedAnswersLeaveTheBufferAlone) {
    driver->SetScript(Always(Answer(Wire::Magic, 0, 40, 40)));
    EXPECT_EQ(Ask(12), WinError::InsufficientBuffer);
    EXPECT_TRUE(OutUntouched());
    driver->SetScript(Always(Answer(Wire::Magic, WinError::AccessDenied, 0, 0)));
    EXPECT_EQ(Ask(), WinError::AccessDenied);
    driver->SetScript(Always(Answer(Wire::Magic, WinError::GenFailure, 8, 8)));
    EXPECT_EQ(Ask(), WinError::GenFailure);
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(OutUntouched());
    driver->SetScript(Always(Answer(Wire::Magic, 0, 12, 12, 0x22)));
    EXPECT_EQ(Ask(), 0u) << "none of these costs the connection";
    EXPECT_EQ(out[0], 0x22);
}

TEST_F(SocketControlDeviceTest, ASilentDriverFailsTheRequestAndALateAnswerIsNeverTakenForTheNext) {
    driver->SetScript([](const std::vector<uint8_t>&) { return std::nullopt; });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(), WinError::SemTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(OutUntouched());

    // The next request goes out on a fresh connection; the late answer reaches the old one.
    driver->AnswerLate(Answer(Wire::Magic, 0, 12, 12, 0x11));
    driver->SetScript(Always(Answer(Wire::Magic, 0, 12, 12, 0x22)));
    EXPECT_EQ(client->Control(IOCTL_QOR_GET_GLOBAL_PAIR, nullptr, 0, out.data(), 12, returned), 0u);
    EXPECT_EQ(out[0], 0x22);
    EXPECT_TRUE(client->IsOpen());
}

TEST_F(SocketControlDeviceTest, DriverGoingAwayIsDeviceNotConnected) {
    driver.reset();
    EXPECT_EQ(Ask(), WinError::DeviceNotConnected);
    EXPECT_EQ(client->Open(), WinError::FileNotFound);
    EXPECT_FALSE(client->IsOpen());
}

TEST_F(SocketControlDeviceTest, RequestsTheProtocolCannotCarryAreRefusedLocally) {
    std::vector<uint8_t> big(Wire::MaxInputSize + 1);
    EXPECT_EQ(client->Control(IOCTL_QOR_GET_DEVICE_INFO, big.data(), uint32_t(big.size()), out.data(), 12, returned),
              WinError::InvalidParameter);
    EXPECT_EQ(client->Control(IOCTL_QOR_GET_DEVICE_INFO, nullptr, 4, out.data(), 12, returned),
              WinError::InvalidParameter);
    EXPECT_EQ(client->Control(IOCTL_QOR_GET_DEVICE_INFO, nullptr, 0, nullptr, 12, returned),
              WinError::InvalidParameter);
    client->Close();
    EXPECT_EQ(Ask(), WinError::InvalidHandle);
    SocketControlDevice tooLong(std::string(200, 'x'), ShortTimeoutMs);
    EXPECT_EQ(tooLong.Open(), WinError::FileNotFound);
    SocketControlDevice empty("", ShortTimeoutMs);
    EXPECT_EQ(empty.Open(), WinError::FileNotFound);
}
