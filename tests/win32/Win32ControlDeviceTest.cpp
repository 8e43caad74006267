#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winioctl.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "platform/DevicePath.h"
#include "platform/WinError.h"
#include "platform/Win32ControlDevice.h"

namespace {
constexpr uint8_t Untouched = 0xAB;

std::string TempPath(const char* leaf) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + leaf + "-" + std::to_string(::GetCurrentProcessId());
}

bool AllUntouched(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i] != Untouched) return false;
    return true;
}

// Another program's handle on the same file.
struct OtherHandle {
    HANDLE h;
    OtherHandle(const std::string& path, DWORD access, DWORD share)
        : h(::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~OtherHandle() {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    bool Ok() const { return h != INVALID_HANDLE_VALUE; }
};

DWORD OpenErrorOfOther(const std::string& path, DWORD access, DWORD share) {
    OtherHandle other(path, access, share);
    return other.Ok() ? ERROR_SUCCESS : ::GetLastError();
}

struct FileDeviceTest : ::testing::Test {
    std::string path = TempPath("qor-control-device");
    void SetUp() override {
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(h, "qor", 3, &written, nullptr);
        ::CloseHandle(h);
    }
    void TearDown() override { ::DeleteFileA(path.c_str()); }
};

// A named pipe answers a real buffered control request (a peek at its waiting data), which
// stands in for the driver's answers.
struct PipeDeviceTest : ::testing::Test {
    std::string path = "\\\\.\\pipe\\qor-control-device-" + std::to_string(::GetCurrentProcessId());
    HANDLE server = INVALID_HANDLE_VALUE;
    void SetUp() override {
        server = ::CreateNamedPipeA(path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0,
                                    nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        if (server != INVALID_HANDLE_VALUE) ::CloseHandle(server);
    }
    void Send(const char* text) {
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(server, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr));
    }
};
// A wait for a pipe instance to become free.
constexpr uint32_t FSCTL_PIPE_WAIT = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 6, METHOD_BUFFERED, FILE_ANY_ACCESS);

// The named pipe file system's root as the device, and a pipe whose only instance is taken:
// a request to wait for that pipe is a request the driver never completes, until the pipe is
// free again.
struct HungPipeTest : ::testing::Test {
    std::string leaf = "qor-busy-" + std::to_string(::GetCurrentProcessId());
    std::string pipePath = "\\\\.\\pipe\\" + leaf;
    HANDLE server = INVALID_HANDLE_VALUE;
    HANDLE client = INVALID_HANDLE_VALUE;
    OVERLAPPED listening{};
    int64_t now = 0;
    const UnansweredCodes::Timing timing{300, 100, 1000};
    Win32ControlDevice device{"\\\\.\\pipe\\", timing, [this] { return now; }};

    void SetUp() override {
        server = ::CreateNamedPipeA(pipePath.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE | PIPE_WAIT,
                                    1, 4096, 4096, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
        client = ::CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(client, INVALID_HANDLE_VALUE);
        listening.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_EQ(device.Open(), WinError::Success);
    }
    void TearDown() override {
        device.Close();
        if (client != INVALID_HANDLE_VALUE) ::CloseHandle(client);
        ::CloseHandle(server);
        ::CloseHandle(listening.hEvent);
    }
    // FSCTL_PIPE_WAIT's input: how long to wait, and for which pipe.
    std::vector<uint8_t> WaitInput(std::chrono::seconds timeout) const {
        struct {
            LARGE_INTEGER timeout;
            ULONG nameLength;
            BOOLEAN timeoutSpecified;
            WCHAR name[64];
        } wait{};
        wait.timeout.QuadPart = -std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count() / 100;
        wait.timeoutSpecified = TRUE;
        for (size_t i = 0; i < leaf.size(); ++i) wait.name[i] = static_cast<WCHAR>(leaf[i]);
        wait.nameLength = static_cast<ULONG>(leaf.size() * sizeof(WCHAR));
        const auto* bytes = reinterpret_cast<const uint8_t*>(&wait);
        return std::vector<uint8_t>(bytes, bytes + offsetof(decltype(wait), name) + wait.nameLength);
    }
    uint32_t WaitForPipe(const std::vector<uint8_t>& input, uint8_t* out, uint32_t& returned) {
        return device.Control(FSCTL_PIPE_WAIT, input.data(), static_cast<uint32_t>(input.size()), out, 16, returned);
    }
    // The pipe's instance waits for a client again.
    void Free() {
        ::CloseHandle(client);
        client = INVALID_HANDLE_VALUE;
        ::DisconnectNamedPipe(server);
        ::ConnectNamedPipe(server, &listening);
    }
};
// A look at a pipe's waiting data: a buffered request with a fixed 16-byte part before the data.
constexpr uint32_t FSCTL_PIPE_PEEK = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 3, METHOD_BUFFERED, FILE_READ_DATA);
constexpr uint32_t PeekHeaderSize = 16;
}  // namespace

// ---- No driver installed ----

TEST(Win32ControlDeviceNoDriver, OpenFailsWithFileNotFoundAndEveryRequestIsRefused) {
    Win32ControlDevice device(DevicePath::Win32Path);
    EXPECT_EQ(device.Open(), WinError::FileNotFound);
    EXPECT_FALSE(device.IsOpen());

    std::unique_ptr<ControlDevice> system = MakeSystemControlDevice();
    CDev dev(*system);
    EXPECT_EQ(dev.Open(), WinError::FileNotFound);
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(dev.DeviceCount(), 0u);

    std::array<uint8_t, 64> buffer;
    buffer.fill(Untouched);
    uint32_t returned = 5;
    EXPECT_EQ(dev.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, buffer.data(), 12, &returned), CDev::NotOpen);
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(AllUntouched(buffer.data(), buffer.size()));
    EXPECT_EQ(dev.ReadDriverVersion(), CDev::NotOpen);
    EXPECT_EQ(dev.ReadAsioStatistics(), CDev::NotOpen);
    EXPECT_EQ(dev.ReadAsioInfo(), CDev::NotOpen);
    EXPECT_EQ(dev.ReadIsoStreamStatistics(), CDev::NotOpen);
    EXPECT_EQ(dev.ReadChannelBundles(), CDev::BundleReadFailed);
    dev.ReadDevices();
    dev.ReadGlobalInfo();
    EXPECT_EQ(dev.DeviceCount(), 0u);
    EXPECT_EQ(dev.GetDeviceName(0x1A2B), nullptr);
}

// ---- How the device is opened ----

TEST_F(FileDeviceTest, OpensExistingOnlyForReadingAndSharesOnlyReading) {
    Win32ControlDevice missing(path + ".absent");
    EXPECT_EQ(missing.Open(), WinError::FileNotFound);
    EXPECT_EQ(::GetFileAttributesA((path + ".absent").c_str()), INVALID_FILE_ATTRIBUTES) << "open must not create";

    {
        // Someone writing to it: a device opened sharing reading only cannot be opened.
        OtherHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(writer.Ok());
        Win32ControlDevice device(path);
        EXPECT_EQ(device.Open(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(device.IsOpen());
    }

    Win32ControlDevice device(path);
    ASSERT_EQ(device.Open(), WinError::Success);
    EXPECT_TRUE(device.IsOpen());
    // Others may read beside it, provided they share reading; nobody may write.
    EXPECT_EQ(OpenErrorOfOther(path, GENERIC_READ, FILE_SHARE_READ), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(OpenErrorOfOther(path, GENERIC_READ, FILE_SHARE_WRITE), static_cast<DWORD>(ERROR_SHARING_VIOLATION))
        << "not opened for reading";
    EXPECT_EQ(OpenErrorOfOther(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    device.Close();
    EXPECT_FALSE(device.IsOpen());
    device.Close();
    EXPECT_EQ(OpenErrorOfOther(path, GENERIC_WRITE, 0), static_cast<DWORD>(ERROR_SUCCESS)) << "handle not closed";
}

TEST_F(FileDeviceTest, ReopeningReleasesTheOldHandle) {
    Win32ControlDevice device(path);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(device.Open(), WinError::Success);
    device.Close();
    // Any handle left behind would still hold the file against writers.
    EXPECT_EQ(OpenErrorOfOther(path, GENERIC_WRITE, 0), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(FileDeviceTest, ARefusedRequestPassesTheSystemErrorThroughAndKeepsTheHandle) {
    HANDLE raw = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    uint8_t rawOut[12];
    DWORD rawReturned = 0;
    ASSERT_FALSE(::DeviceIoControl(raw, IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, rawOut, 12, &rawReturned, nullptr));
    DWORD expected = ::GetLastError();
    ::CloseHandle(raw);
    ASSERT_NE(expected, static_cast<DWORD>(ERROR_SUCCESS));

    Win32ControlDevice device(path);
    CDev dev(device);
    ASSERT_EQ(dev.Open(), 0u);
    std::array<uint8_t, 12> out;
    out.fill(Untouched);
    uint32_t returned = 9;
    EXPECT_EQ(dev.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, out.data(), 12, &returned),
              static_cast<int32_t>(expected));
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(AllUntouched(out.data(), out.size()));
    EXPECT_TRUE(dev.IsOpen());
    const uint32_t id = 7;
    EXPECT_EQ(dev.Control(IOCTL_QOR_SET_TRACE_MASK, &id, 4, nullptr, 0), static_cast<int32_t>(expected));
    EXPECT_NE(dev.ReadDriverVersion(), 0);
}

// ---- Answers ----

TEST_F(PipeDeviceTest, AnAnswerArrivesWithItsByteCount) {
    Win32ControlDevice device(path);
    ASSERT_EQ(device.Open(), WinError::Success);
    Send("statistics");

    std::array<uint8_t, 64> out;
    out.fill(Untouched);
    uint32_t returned = 0;
    ASSERT_EQ(device.Control(FSCTL_PIPE_PEEK, nullptr, 0, out.data(), static_cast<uint32_t>(out.size()), returned),
              WinError::Success);
    ASSERT_EQ(returned, PeekHeaderSize + 10);
    uint32_t available = 0;
    std::memcpy(&available, out.data() + 4, 4);
    EXPECT_EQ(available, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data() + PeekHeaderSize), 10), "statistics");
    EXPECT_TRUE(AllUntouched(out.data() + returned, out.size() - returned)) << "written past the byte count";

    // Through CDev the same.
    CDev dev(device);
    out.fill(Untouched);
    EXPECT_EQ(dev.Control(FSCTL_PIPE_PEEK, nullptr, 0, out.data(), 40, &returned), 0);
    EXPECT_EQ(returned, PeekHeaderSize + 10);
}

TEST_F(PipeDeviceTest, AnAnswerTooLargeForTheBufferFailsWithoutTouchingIt) {
    Win32ControlDevice device(path);
    ASSERT_EQ(device.Open(), WinError::Success);
    Send("statistics of a driver");

    // The system hands back part of the answer with ERROR_MORE_DATA; the caller sees only the failure.
    std::array<uint8_t, PeekHeaderSize + 4> out;
    out.fill(Untouched);
    uint32_t returned = 3;
    EXPECT_EQ(device.Control(FSCTL_PIPE_PEEK, nullptr, 0, out.data(), static_cast<uint32_t>(out.size()), returned),
              static_cast<uint32_t>(ERROR_MORE_DATA));
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(AllUntouched(out.data(), out.size()));
    EXPECT_TRUE(device.IsOpen());

    // Too small even for the fixed part of the answer.
    out.fill(Untouched);
    EXPECT_NE(device.Control(FSCTL_PIPE_PEEK, nullptr, 0, out.data(), 8, returned), WinError::Success);
    EXPECT_TRUE(AllUntouched(out.data(), out.size()));

    // Requests beyond any record's size are not sent.
    EXPECT_EQ(device.Control(FSCTL_PIPE_PEEK, nullptr, 0, out.data(), Win32ControlDevice::MaxOutputSize + 1, returned),
              WinError::InvalidParameter);
}

// ---- A driver that never completes a request ----

TEST_F(HungPipeTest, ARequestNeverCompletedIsCancelledAfterTheTimeoutAndTriedAgainOnlyNowAndThen) {
    using Clock = std::chrono::steady_clock;
    const std::vector<uint8_t> input = WaitInput(std::chrono::seconds(30));
    std::array<uint8_t, 16> out;
    out.fill(Untouched);
    uint32_t returned = 7;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(WaitForPipe(input, out.data(), returned), static_cast<uint32_t>(ERROR_SEM_TIMEOUT));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10)) << "held for as long as the driver holds it";
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(AllUntouched(out.data(), out.size()));
    EXPECT_TRUE(device.IsOpen());

    // Twenty more of the same code cost less than one wait would, even once the driver would
    // complete them; other codes still reach the driver.
    Free();
    const Clock::time_point again = Clock::now();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(WaitForPipe(input, out.data(), returned), static_cast<uint32_t>(ERROR_SEM_TIMEOUT));
    EXPECT_LT(Clock::now() - again, std::chrono::seconds(3));
    EXPECT_EQ(device.Control(FSCTL_PIPE_PEEK, nullptr, 0, out.data(), 16, returned),
              static_cast<uint32_t>(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(AllUntouched(out.data(), out.size()));

    now += timing.probeSpacingMs;
    EXPECT_EQ(WaitForPipe(input, out.data(), returned), WinError::Success);
    EXPECT_EQ(WaitForPipe(input, out.data(), returned), WinError::Success);
}
