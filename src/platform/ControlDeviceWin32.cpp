#include "platform/Win32ControlDevice.h"

#ifdef _WIN32

#include <algorithm>
#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/DevicePath.h"
#include "platform/PipeControlDevice.h"
#include "platform/WinError.h"

struct Win32ControlDevice::Request {
    OVERLAPPED overlapped{};
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    uint8_t answer[MaxOutputSize];

    ~Request() {
        if (event) ::CloseHandle(event);
    }
    bool Completed() const { return HasOverlappedIoCompleted(&overlapped); }
};

namespace {
HANDLE AsHandle(void* h) { return static_cast<HANDLE>(h); }

uint32_t LastError() {
    DWORD err = ::GetLastError();
    return err != ERROR_SUCCESS ? err : WinError::GenFailure;
}
}  // namespace

std::unique_ptr<ControlDevice> MakeSystemControlDevice() {
    return std::make_unique<Win32ControlDevice>(DevicePath::Win32Path);
}

std::unique_ptr<ControlDevice> MakeControlDevice(const std::string& path) {
    if (DevicePath::IsPipePath(path)) return std::make_unique<PipeControlDevice>(path);
    return std::make_unique<Win32ControlDevice>(path);
}

Win32ControlDevice::Win32ControlDevice(std::string path, int timeoutMs)
    : Win32ControlDevice(std::move(path), UnansweredCodes::WithAnswerMs(timeoutMs)) {}

Win32ControlDevice::Win32ControlDevice(std::string path, const UnansweredCodes::Timing& timing,
                                       UnansweredCodes::Clock clock)
    : path_(std::move(path)), unanswered_(timing, std::move(clock)), request_(std::make_unique<Request>()) {}

Win32ControlDevice::~Win32ControlDevice() {
    Close();
    // What the driver still holds it may still write to: left to the end of the process.
    for (std::unique_ptr<Request>& held : held_)
        if (held && !held->Completed()) (void)held.release();
}

uint32_t Win32ControlDevice::Open() {
    Close();
    HANDLE h = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    handle_ = h;
    return WinError::Success;
}

void Win32ControlDevice::Close() {
    if (handle_) ::CloseHandle(AsHandle(handle_));
    handle_ = nullptr;
}

size_t Win32ControlDevice::HeldRequests() const {
    return static_cast<size_t>(std::count_if(held_.begin(), held_.end(), [](const auto& r) { return r != nullptr; }));
}

void Win32ControlDevice::ReleaseCompleted() {
    for (std::unique_ptr<Request>& held : held_)
        if (held && held->Completed()) held.reset();
}

bool Win32ControlDevice::Cancel(Request& request) {
    // Fails when the request ended meanwhile, which the wait below sees as well.
    ::CancelIoEx(AsHandle(handle_), &request.overlapped);
    if (::WaitForSingleObject(request.event, static_cast<DWORD>(unanswered_.Timings().probeMs)) != WAIT_OBJECT_0 &&
        !request.Completed())
        return false;
    DWORD ignored = 0;
    ::GetOverlappedResult(AsHandle(handle_), &request.overlapped, &ignored, FALSE);
    return true;
}

uint32_t Win32ControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                     uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!handle_) return WinError::InvalidHandle;
    if (outSize > MaxOutputSize || (inSize && !in) || (outSize && !out)) return WinError::InvalidParameter;
    ReleaseCompleted();
    // A driver that keeps every cancelled request gets no more of them.
    if (HeldRequests() == MaxHeld) return ERROR_SEM_TIMEOUT;
    const int waitMs = unanswered_.WaitFor(code);
    if (waitMs == UnansweredCodes::FailAtOnce) return ERROR_SEM_TIMEOUT;
    if (!request_) request_ = std::make_unique<Request>();
    Request& r = *request_;
    if (!r.event) return WinError::GenFailure;

    ::ResetEvent(r.event);
    r.overlapped = OVERLAPPED{};
    r.overlapped.hEvent = r.event;
    if (!::DeviceIoControl(AsHandle(handle_), code, const_cast<void*>(in), inSize, outSize ? r.answer : nullptr,
                           outSize, nullptr, &r.overlapped)) {
        DWORD err = ::GetLastError();
        if (err != ERROR_IO_PENDING) {
            unanswered_.Answered(code);
            return err != ERROR_SUCCESS ? err : WinError::GenFailure;
        }
        if (::WaitForSingleObject(r.event, static_cast<DWORD>(waitMs)) != WAIT_OBJECT_0) {
            unanswered_.Unanswered(code);
            if (!Cancel(r)) {
                // HeldRequests() < MaxHeld was checked above, so there is a free place.
                std::find(held_.begin(), held_.end(), nullptr)->swap(request_);
            }
            return ERROR_SEM_TIMEOUT;
        }
    }
    unanswered_.Answered(code);
    DWORD returned = 0;
    if (!::GetOverlappedResult(AsHandle(handle_), &r.overlapped, &returned, FALSE)) return LastError();
    uint32_t count = std::min<uint32_t>(returned, outSize);
    if (count) std::memcpy(out, r.answer, count);
    bytesReturned = count;
    return WinError::Success;
}

#endif  // _WIN32
