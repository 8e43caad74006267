#include "platform/Win32ControlDevice.h"

#ifdef _WIN32

#include <algorithm>
#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/DevicePath.h"
#include "platform/WinError.h"

std::unique_ptr<ControlDevice> MakeSystemControlDevice() {
    return std::make_unique<Win32ControlDevice>(DevicePath::Win32Path);
}

Win32ControlDevice::Win32ControlDevice(std::string path)
    : path_(std::move(path)), answer_(std::make_unique<uint8_t[]>(MaxOutputSize)) {}

Win32ControlDevice::~Win32ControlDevice() { Close(); }

uint32_t Win32ControlDevice::Open() {
    Close();
    HANDLE h = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = ::GetLastError();
        return err != ERROR_SUCCESS ? err : WinError::GenFailure;
    }
    handle_ = h;
    return WinError::Success;
}

void Win32ControlDevice::Close() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

uint32_t Win32ControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                     uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!handle_) return WinError::InvalidHandle;
    if (outSize > MaxOutputSize || (inSize && !in) || (outSize && !out)) return WinError::InvalidParameter;

    DWORD returned = 0;
    if (!::DeviceIoControl(static_cast<HANDLE>(handle_), code, const_cast<void*>(in), inSize,
                           outSize ? answer_.get() : nullptr, outSize, &returned, nullptr)) {
        DWORD err = ::GetLastError();
        return err != ERROR_SUCCESS ? err : WinError::GenFailure;
    }
    uint32_t count = std::min<uint32_t>(returned, outSize);
    if (count) std::memcpy(out, answer_.get(), count);
    bytesReturned = count;
    return WinError::Success;
}

#endif  // _WIN32
