#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

// This test program started once more with a role (see ChildRoles.h), as a second
// instance of the panel would be: a process of its own, on the same desktop and session.
class SelfProcess {
public:
    static constexpr DWORD GenerousWaitMs = 60000;
    static constexpr int TimedOut = -1000;

    explicit SelfProcess(const std::string& arguments) {
        char exe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string commandLine = "\"" + std::string(exe) + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = ::CreateProcessA(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                    &info_) != 0;
        if (started_) ::CloseHandle(info_.hThread);
    }
    ~SelfProcess() {
        if (!started_) return;
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info_.hProcess, 1);
        ::CloseHandle(info_.hProcess);
    }
    SelfProcess(const SelfProcess&) = delete;
    SelfProcess& operator=(const SelfProcess&) = delete;

    bool Started() const { return started_; }
    // The exit code, or TimedOut when the process is still running after the wait.
    int Wait(DWORD ms = GenerousWaitMs) {
        if (!started_) return TimedOut;
        if (::WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return TimedOut;
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<int>(code);
    }

    // Runs to the end and returns the exit code.
    static int Run(const std::string& arguments) { return SelfProcess(arguments).Wait(); }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_{};
};
