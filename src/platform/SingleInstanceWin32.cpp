#include "platform/SingleInstance.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "res/StringTable.h"

// The mutex is created owned and kept for the life of the process. Its name carries no
// global namespace prefix, so the rule holds per logon session.
struct SingleInstance::State {
    HANDLE mutex = nullptr;
};

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)), state_(std::make_unique<State>()) {}

SingleInstance::~SingleInstance() {
    if (state_->mutex) {
        ::ReleaseMutex(state_->mutex);
        ::CloseHandle(state_->mutex);
    }
}

bool SingleInstance::Acquire() {
    if (state_->mutex) return true;
    ::SetLastError(ERROR_SUCCESS);
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name_.c_str());
    DWORD err = ::GetLastError();
    if (!mutex || err == ERROR_ALREADY_EXISTS) {
        if (mutex) ::CloseHandle(mutex);
        return false;
    }
    state_->mutex = mutex;
    return true;
}

void SingleInstance::BringFirstToFront() {
    HWND first = ::FindWindowA(nullptr, Str::WindowTitle);
    if (!first) return;
    // An open dialog of the first instance comes up rather than the frame behind it.
    HWND popup = ::GetLastActivePopup(first);
    if (::IsIconic(first)) ::ShowWindow(first, SW_RESTORE);
    ::SetForegroundWindow(popup ? popup : first);
}

// The later instance brings the window up itself; the first has nothing to do.
void SingleInstance::OnActivationRequest(std::function<void()>) {}
