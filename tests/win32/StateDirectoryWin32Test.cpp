#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/StateDirectory.h"

// The event log's folder on Windows: under %LOCALAPPDATA%, also for names outside the ANSI code page.
TEST(StateDirectoryWin32, LiesUnderLocalAppDataAndIsEmptyWithoutIt) {
    const wchar_t* old = _wgetenv(L"LOCALAPPDATA");
    const std::wstring kept = old ? old : L"";
    ASSERT_EQ(_wputenv_s(L"LOCALAPPDATA", L"C:\\Users\\J\u00F8rgen \u4E2D\\AppData\\Local"), 0);
    EXPECT_EQ(StateDirectory::Path().wstring(), L"C:\\Users\\J\u00F8rgen \u4E2D\\AppData\\Local\\Velmoric\\qorstats");
    ASSERT_EQ(_wputenv_s(L"LOCALAPPDATA", L""), 0);
    EXPECT_TRUE(StateDirectory::Path().empty());
    _wputenv_s(L"LOCALAPPDATA", kept.c_str());
}
