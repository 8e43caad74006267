#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <memory>
#include <string>

#include "platform/SingleInstance.h"
#include "res/StringTable.h"
#include "win32/ChildRoles.h"
#include "win32/SelfProcess.h"

namespace {
std::string UniqueName(const char* what) {
    return std::string("QorWin32Test-") + what + "-" + std::to_string(::GetCurrentProcessId());
}

int SecondInstance(const std::string& name) {
    return SelfProcess::Run(std::string(ChildRoles::Acquire) + " " + ChildRoles::Quote(name));
}
int ProbeOwner(const std::string& name) {
    return SelfProcess::Run(std::string(ChildRoles::ProbeOwned) + " " + ChildRoles::Quote(name));
}

// Polls a condition that another process makes true, for at most a generous while.
template <typename F>
bool Eventually(F condition) {
    for (int i = 0; i < 400; ++i) {
        if (condition()) return true;
        ::Sleep(25);
    }
    return condition();
}

// A window of another process, minimised, as the first instance's frame would be.
class HelperWindow {
public:
    HelperWindow(const std::string& title, bool withDialog) {
        std::string event = UniqueName("ready") + "-" + std::to_string(++serial_);
        ready_ = ::CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        process_ = std::make_unique<SelfProcess>(std::string(ChildRoles::Window) + " " + ChildRoles::Quote(title) +
                                                 " " + ChildRoles::Quote(event) + (withDialog ? " 1" : " 0"));
        HANDLE waits[] = {ready_};
        if (process_->Started() && ::WaitForMultipleObjects(1, waits, FALSE, SelfProcess::GenerousWaitMs) == WAIT_OBJECT_0)
            hwnd_ = ::FindWindowA(nullptr, title.c_str());
    }
    ~HelperWindow() {
        if (hwnd_) ::PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        process_->Wait();
        ::CloseHandle(ready_);
    }
    HelperWindow(const HelperWindow&) = delete;
    HelperWindow& operator=(const HelperWindow&) = delete;

    HWND Window() const { return hwnd_; }
    HWND Dialog() const {
        HWND popup = ::GetLastActivePopup(hwnd_);
        return popup != hwnd_ ? popup : nullptr;
    }
    int ExitCode() {
        if (hwnd_) ::PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        hwnd_ = nullptr;
        return process_->Wait();
    }

private:
    static inline int serial_ = 0;
    HANDLE ready_ = nullptr;
    std::unique_ptr<SelfProcess> process_;
    HWND hwnd_ = nullptr;
};
}  // namespace

// ---- The named mutex ----

TEST(SingleInstanceWin32, TheFirstInstanceHoldsTheMutexOwnedUntilItEnds) {
    const std::string name = UniqueName("mutex");
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.Acquire());
        EXPECT_EQ(SecondInstance(name), ChildRoles::LaterInstance);
        EXPECT_EQ(ProbeOwner(name), ChildRoles::HeldByAnother) << "created without initial ownership";
        SingleInstance again(name);
        EXPECT_FALSE(again.Acquire()) << "a later instance in the same process";
        EXPECT_EQ(ProbeOwner(name), ChildRoles::HeldByAnother) << "the later instance took the mutex away";
    }
    EXPECT_EQ(ProbeOwner(name), ChildRoles::NoSuchMutex) << "the mutex outlived its instance";
    EXPECT_EQ(SecondInstance(name), ChildRoles::FirstInstance);
}

TEST(SingleInstanceWin32, ThePanelsMutexNameIsTheDefaultAndANameTheSystemRefusesMeansLater) {
    {
        SingleInstance panel;
        ASSERT_TRUE(panel.Acquire());
        EXPECT_EQ(ProbeOwner("QorStatsAppMutex"), ChildRoles::HeldByAnother);
    }
    // No mutex can be made, so starting would not be safe: behave as the later instance.
    SingleInstance refused("No\\Such\\Namespace");
    EXPECT_FALSE(refused.Acquire());
}

// ---- Bringing the first instance to the front ----

TEST(SingleInstanceWin32Window, RestoresTheMinimisedWindowWithTheExactTitle) {
    SingleInstance later(UniqueName("front"));
    later.BringFirstToFront();  // no window at all: nothing happens

    {
        HelperWindow other(std::string(Str::WindowTitle) + " - another", false);
        ASSERT_NE(other.Window(), nullptr);
        ASSERT_TRUE(::IsIconic(other.Window()));
        later.BringFirstToFront();
        EXPECT_TRUE(::IsIconic(other.Window())) << "a window of another title was restored";
        EXPECT_EQ(other.ExitCode(), 0);
    }

    HelperWindow first(Str::WindowTitle, false);
    ASSERT_NE(first.Window(), nullptr);
    ASSERT_TRUE(::IsIconic(first.Window()));
    later.BringFirstToFront();
    EXPECT_TRUE(Eventually([&] { return !::IsIconic(first.Window()); }));
    EXPECT_TRUE(::IsWindowVisible(first.Window()));
    EXPECT_EQ(first.ExitCode(), 0);
}

TEST(SingleInstanceWin32Window, AnOpenDialogOfTheFirstInstanceComesToTheFront) {
    HelperWindow first(Str::WindowTitle, true);
    ASSERT_NE(first.Window(), nullptr);
    HWND dialog = first.Dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(::IsIconic(first.Window()));

    SingleInstance(UniqueName("dialog")).BringFirstToFront();
    EXPECT_TRUE(Eventually([&] { return !::IsIconic(first.Window()); }));
    EXPECT_TRUE(Eventually([&] { return ::GetForegroundWindow() == dialog; }));
    EXPECT_EQ(first.ExitCode(), 0);
}
