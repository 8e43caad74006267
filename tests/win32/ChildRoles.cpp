#include "win32/ChildRoles.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/SingleInstance.h"

namespace {
constexpr const char* WindowClass = "QorWin32TestWindow";
// The helper window ends itself should the test that started it never close it.
constexpr UINT LifetimeMs = 120000;

HWND mainWindow = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && hwnd == mainWindow) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int AcquireRole(const char* name) {
    SingleInstance instance(name);
    return instance.Acquire() ? ChildRoles::FirstInstance : ChildRoles::LaterInstance;
}

int ProbeOwnedRole(const char* name) {
    HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (!mutex) return ChildRoles::NoSuchMutex;
    DWORD wait = ::WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return wait == WAIT_TIMEOUT ? ChildRoles::HeldByAnother : ChildRoles::Free;
}

// A top-level window with the given title, minimised, optionally with an owned dialog that
// was active before the minimise, as the panel's trace mask dialog would be.
int WindowRole(const char* title, const char* readyEvent, bool withDialog) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = WindowClass;
    if (!::RegisterClassA(&wc)) return ChildRoles::WindowFailed;
    mainWindow = ::CreateWindowExA(0, WindowClass, title, WS_OVERLAPPEDWINDOW, 40, 40, 400, 300, nullptr, nullptr,
                                   instance, nullptr);
    if (!mainWindow) return ChildRoles::WindowFailed;
    ::ShowWindow(mainWindow, SW_SHOWNORMAL);
    if (withDialog) {
        HWND dialog = ::CreateWindowExA(WS_EX_DLGMODALFRAME, WindowClass, "Dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                        80, 80, 240, 120, mainWindow, nullptr, instance, nullptr);
        if (!dialog) return ChildRoles::WindowFailed;
        ::SetActiveWindow(dialog);
    }
    ::ShowWindow(mainWindow, SW_MINIMIZE);
    ::SetTimer(mainWindow, 1, LifetimeMs, nullptr);

    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
    if (!ready) return ChildRoles::BadArguments;
    ::SetEvent(ready);
    ::CloseHandle(ready);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == mainWindow) ::DestroyWindow(mainWindow);
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
}  // namespace

bool ChildRoles::Run(int argc, char** argv, int& exitCode) {
    if (argc < 2) return false;
    std::string role = argv[1];
    if (role == Acquire) {
        exitCode = argc == 3 ? AcquireRole(argv[2]) : BadArguments;
    } else if (role == ProbeOwned) {
        exitCode = argc == 3 ? ProbeOwnedRole(argv[2]) : BadArguments;
    } else if (role == Window) {
        exitCode = argc == 5 ? WindowRole(argv[2], argv[3], std::string(argv[4]) == "1") : BadArguments;
    } else {
        return false;
    }
    return true;
}

std::string ChildRoles::Quote(const std::string& text) { return "\"" + text + "\""; }
