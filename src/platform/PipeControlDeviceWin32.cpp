#include "platform/PipeControlDevice.h"

#ifdef _WIN32

#include <algorithm>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/WinError.h"
#include "platform/WireProtocol.h"

struct PipeControlDevice::Transfer {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED overlapped{};
    bool pending = false;
    uint8_t request[Wire::MaxRequestSize];
    // One byte more than any valid answer, so that an oversized one is seen as such.
    uint8_t answer[Wire::MaxAnswerSize + 1];

    ~Transfer() {
        if (pipe != INVALID_HANDLE_VALUE) ::CloseHandle(pipe);
        if (event) ::CloseHandle(event);
    }
    void Arm() {
        ::ResetEvent(event);
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
    }
    bool Done() const { return !pending || HasOverlappedIoCompleted(&overlapped); }
};

namespace {
uint32_t LastError() {
    const DWORD err = ::GetLastError();
    return err != ERROR_SUCCESS ? err : WinError::GenFailure;
}
}  // namespace

PipeControlDevice::PipeControlDevice(std::string path, int timeoutMs)
    : PipeControlDevice(std::move(path), UnansweredCodes::WithAnswerMs(timeoutMs)) {}

PipeControlDevice::PipeControlDevice(std::string path, const UnansweredCodes::Timing& timing,
                                     UnansweredCodes::Clock clock)
    : path_(std::move(path)), unanswered_(timing, std::move(clock)) {}

PipeControlDevice::~PipeControlDevice() {
    Close();
    for (std::unique_ptr<Transfer>& held : held_)
        if (held && !held->Done()) (void)held.release();
}

uint32_t PipeControlDevice::Open() {
    Close();
    const uint32_t result = Connect();
    open_ = result == WinError::Success;
    return result;
}

void PipeControlDevice::Close() {
    DropConnection();
    open_ = false;
}

uint32_t PipeControlDevice::Connect() {
    for (std::unique_ptr<Transfer>& held : held_)
        if (held && held->Done()) held.reset();
    auto t = std::make_unique<Transfer>();
    if (!t->event) return WinError::GenFailure;
    for (int attempt = 0; attempt < 2; ++attempt) {
        t->pipe = ::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
        if (t->pipe != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_PIPE_BUSY) break;
        // Every instance busy: the server makes a new one as soon as it takes a client.
        ::WaitNamedPipeA(path_.c_str(), static_cast<DWORD>(unanswered_.Timings().answerMs));
    }
    if (t->pipe == INVALID_HANDLE_VALUE) return LastError();
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!::SetNamedPipeHandleState(t->pipe, &mode, nullptr, nullptr)) return LastError();
    transfer_ = std::move(t);
    reconnect_ = false;
    return WinError::Success;
}

void PipeControlDevice::DropConnection() {
    reconnect_ = false;
    if (!transfer_) return;
    Transfer& t = *transfer_;
    if (t.pending) ::CancelIoEx(t.pipe, &t.overlapped);
    ::CloseHandle(t.pipe);
    t.pipe = INVALID_HANDLE_VALUE;
    if (!t.Done() && ::WaitForSingleObject(t.event, static_cast<DWORD>(unanswered_.Timings().probeMs)) != WAIT_OBJECT_0 &&
        !t.Done()) {
        auto free = std::find(held_.begin(), held_.end(), nullptr);
        if (free != held_.end()) {
            free->swap(transfer_);
            return;
        }
        (void)transfer_.release();  // more held than room to hold them: left to the end of the process
        return;
    }
    transfer_.reset();
}

uint32_t PipeControlDevice::Await(bool ok, int waitMs, unsigned long& bytes) {
    Transfer& t = *transfer_;
    bytes = 0;
    if (!ok) {
        const DWORD err = ::GetLastError();
        if (err != ERROR_IO_PENDING) return err != ERROR_SUCCESS ? err : WinError::GenFailure;
    }
    t.pending = true;
    if (::WaitForSingleObject(t.event, static_cast<DWORD>(waitMs)) != WAIT_OBJECT_0 && !t.Done())
        return WinError::SemTimeout;
    t.pending = false;
    DWORD got = 0;
    if (!::GetOverlappedResult(t.pipe, &t.overlapped, &got, FALSE)) return LastError();
    bytes = got;
    return WinError::Success;
}

uint32_t PipeControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                    uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!open_) return WinError::InvalidHandle;
    if (inSize > Wire::MaxInputSize || outSize > Wire::MaxOutputSize || (inSize && !in) || (outSize && !out))
        return WinError::InvalidParameter;
    if (std::none_of(held_.begin(), held_.end(), [](const auto& h) { return h == nullptr || h->Done(); }))
        return WinError::SemTimeout;
    const int waitMs = unanswered_.WaitFor(code);
    if (waitMs == UnansweredCodes::FailAtOnce) return WinError::SemTimeout;
    if (!transfer_ && (!reconnect_ || Connect() != WinError::Success)) return WinError::DeviceNotConnected;

    Transfer& t = *transfer_;
    const size_t length = Wire::PutRequest(t.request, code, in, inSize, outSize);
    unsigned long bytes = 0;
    t.Arm();
    uint32_t result = Await(::WriteFile(t.pipe, t.request, static_cast<DWORD>(length), nullptr, &t.overlapped) != 0,
                            waitMs, bytes);
    if (result == WinError::Success && bytes != length) result = WinError::GenFailure;
    if (result == WinError::Success) {
        t.Arm();
        result = Await(::ReadFile(t.pipe, t.answer, sizeof t.answer, nullptr, &t.overlapped) != 0, waitMs, bytes);
    }
    if (result == WinError::SemTimeout) {
        unanswered_.Unanswered(code);
        DropConnection();
        reconnect_ = true;
        return WinError::SemTimeout;
    }
    if (result != WinError::Success) {
        DropConnection();
        // A message longer than any answer: the peer speaks something else.
        if (result == ERROR_MORE_DATA) return WinError::InvalidData;
        if (result == ERROR_BROKEN_PIPE || result == ERROR_PIPE_NOT_CONNECTED || result == ERROR_NO_DATA)
            return WinError::DeviceNotConnected;
        return result;
    }
    unanswered_.Answered(code);
    const Wire::Answer answer = Wire::ReadAnswer(t.answer, bytes, out, outSize);
    if (!answer.wellFormed) {
        DropConnection();
        return WinError::InvalidData;
    }
    bytesReturned = answer.count;
    return answer.status;
}

#endif  // _WIN32
