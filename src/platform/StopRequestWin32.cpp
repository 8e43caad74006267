#include "platform/StopRequest.h"

#include <windows.h>

namespace {
volatile LONG received = 0;
HANDLE wake = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD type) {
    const LONG code = type == CTRL_C_EVENT ? 130 : 143;
    InterlockedCompareExchange(&received, code, 0);
    if (wake) SetEvent(wake);
    // Closing the console ends the process once this returns: give the program a moment.
    if (type == CTRL_CLOSE_EVENT) Sleep(2000);
    return TRUE;
}
}  // namespace

StopRequest::StopRequest() {
    received = 0;
    wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopRequest::~StopRequest() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    if (wake) CloseHandle(wake);
    wake = nullptr;
}

bool StopRequest::Wait(int ms) {
    if (!Requested()) {
        if (wake)
            WaitForSingleObject(wake, ms < 0 ? 0 : static_cast<DWORD>(ms));
        else
            Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms));
    }
    return Requested();
}

int StopRequest::ExitCode() const { return static_cast<int>(received); }
