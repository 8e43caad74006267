#include "platform/StopRequests.h"

#include <atomic>
#include <csignal>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {
std::atomic<int> requested{0};
HANDLE signalled = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    requested = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (signalled) ::SetEvent(signalled);
    return TRUE;
}
}  // namespace

StopRequests::StopRequests() {
    requested = 0;
    signalled = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopRequests::~StopRequests() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    if (signalled) ::CloseHandle(signalled);
    signalled = nullptr;
}

int StopRequests::Wait(int ms) {
    if (requested == 0 && signalled) ::WaitForSingleObject(signalled, static_cast<DWORD>(ms < 0 ? 0 : ms));
    return requested;
}
