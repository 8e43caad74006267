#include "platform/SocketControlDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/DevicePath.h"
#include "platform/WinError.h"
#include "platform/WireProtocol.h"

namespace {
uint32_t ErrnoToWin(int e) {
    switch (e) {
        case ENOENT:
        case ECONNREFUSED:
        case ENOTDIR:
            return WinError::FileNotFound;
        case EACCES:
        case EPERM:
            return WinError::AccessDenied;
        case EAGAIN:
        case ETIMEDOUT:
            return WinError::SemTimeout;
        case EPIPE:
        case ECONNRESET:
        case ENOTCONN:
            return WinError::DeviceNotConnected;
        default:
            return WinError::GenFailure;
    }
}

// Room for one byte more than any valid answer, so an oversized one is seen as such.
thread_local uint8_t answer[Wire::MaxAnswerSize + 1];
}  // namespace

std::unique_ptr<ControlDevice> MakeSystemControlDevice() {
    return std::make_unique<SocketControlDevice>(DevicePath::SocketPath());
}

std::unique_ptr<ControlDevice> MakeControlDevice(const std::string& path) {
    return std::make_unique<SocketControlDevice>(path);
}

SocketControlDevice::SocketControlDevice(std::string path, int timeoutMs)
    : SocketControlDevice(std::move(path), UnansweredCodes::WithAnswerMs(timeoutMs)) {}

SocketControlDevice::SocketControlDevice(std::string path, const UnansweredCodes::Timing& timing,
                                         UnansweredCodes::Clock clock)
    : path_(std::move(path)), unanswered_(timing, std::move(clock)) {}

SocketControlDevice::~SocketControlDevice() { Close(); }

uint32_t SocketControlDevice::Open() {
    Close();
    uint32_t result = Connect();
    open_ = result == WinError::Success;
    return result;
}

uint32_t SocketControlDevice::Connect() {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof(addr.sun_path)) return WinError::FileNotFound;
    std::memcpy(addr.sun_path, path_.data(), path_.size());

    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return ErrnoToWin(errno);
    // A driver that stops taking requests must not hold the sender either.
    const int ms = unanswered_.Timings().answerMs;
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        uint32_t err = ErrnoToWin(errno);
        ::close(fd);
        return err;
    }
    fd_ = fd;
    reconnect_ = false;
    return WinError::Success;
}

void SocketControlDevice::DropConnection() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    reconnect_ = false;
}

void SocketControlDevice::Close() {
    DropConnection();
    open_ = false;
}

ssize_t SocketControlDevice::Receive(int waitMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int ready = ::poll(&p, 1, static_cast<int>(std::max<int64_t>(left, 0)));
        if (ready > 0) break;
        if (ready == 0) return 0;
        if (errno != EINTR) return -1;
    }
    ssize_t got;
    do {
        got = ::recv(fd_, answer, sizeof answer, MSG_TRUNC | MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got == 0) errno = ENOTCONN;  // the driver hung up
    return got > 0 ? got : -1;
}

uint32_t SocketControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                      uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!open_) return WinError::InvalidHandle;
    if (inSize > Wire::MaxInputSize || outSize > Wire::MaxOutputSize || (inSize && !in) || (outSize && !out))
        return WinError::InvalidParameter;
    const int waitMs = unanswered_.WaitFor(code);
    if (waitMs == UnansweredCodes::FailAtOnce) return WinError::SemTimeout;
    if (fd_ < 0 && (!reconnect_ || Connect() != WinError::Success)) return WinError::DeviceNotConnected;

    uint8_t request[Wire::MaxRequestSize];
    const size_t requestSize = Wire::PutRequest(request, code, in, inSize, outSize);
    ssize_t sent;
    do {
        sent = ::send(fd_, request, requestSize, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    const bool sendTimedOut = sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    if (sent != static_cast<ssize_t>(requestSize) && !sendTimedOut) {
        uint32_t err = sent < 0 ? ErrnoToWin(errno) : WinError::GenFailure;
        DropConnection();
        return err;
    }

    const ssize_t got = sendTimedOut ? 0 : Receive(waitMs);
    if (got == 0) {
        unanswered_.Unanswered(code);
        DropConnection();
        reconnect_ = true;
        return WinError::SemTimeout;
    }
    if (got < 0) {
        uint32_t err = ErrnoToWin(errno);
        DropConnection();
        return err;
    }
    unanswered_.Answered(code);
    const Wire::Answer answered = Wire::ReadAnswer(answer, static_cast<size_t>(got), out, outSize);
    if (!answered.wellFormed) {
        DropConnection();
        return WinError::InvalidData;
    }
    bytesReturned = answered.count;
    return answered.status;
}
