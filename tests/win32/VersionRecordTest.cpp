// What Explorer shows for the panel's programs: the version record (file and product version
// 5.12.0.0, description, product name, build type, platform) read back through
// GetFileVersionInfo, and the application icon in the sizes Windows asks for.
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

// The executables carrying the record; CMake names them with Unix paths in the cross build,
// where Wine shows the Unix root as drive Z:.
std::vector<std::string> Programs() {
    std::vector<std::string> paths{QOR_POLL_EXE};
#ifdef QOR_PANEL_EXE
    paths.push_back(QOR_PANEL_EXE);
#endif
    for (std::string& path : paths) {
        if (!path.empty() && path[0] == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
    }
    return paths;
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

class VersionRecord {
public:
    explicit VersionRecord(const std::string& path) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!::GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
    }
    bool Loaded() const { return !data_.empty(); }

    const VS_FIXEDFILEINFO* Fixed() {
        void* block = nullptr;
        UINT length = 0;
        if (!::VerQueryValueA(data_.data(), "\\", &block, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(block);
    }

    // A string of the record's first language, or "<missing>".
    std::string String(const char* name) {
        struct Translation {
            WORD language;
            WORD codePage;
        };
        void* block = nullptr;
        UINT length = 0;
        if (!::VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &block, &length) ||
            length < sizeof(Translation))
            return "<no translation>";
        const auto* t = static_cast<const Translation*>(block);
        char query[128];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", t->language, t->codePage, name);
        if (!::VerQueryValueA(data_.data(), query, &block, &length) || length == 0) return "<missing>";
        return std::string(static_cast<const char*>(block), length - 1);
    }

private:
    std::vector<char> data_;
};

}  // namespace

TEST(VersionRecord, EveryFieldOfTheProgramsRecord) {
    for (const std::string& path : Programs()) {
        SCOPED_TRACE(path);
        VersionRecord record(path);
        ASSERT_TRUE(record.Loaded()) << "no version record, error " << ::GetLastError();
        const VS_FIXEDFILEINFO* fixed = record.Fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, (5u << 16) | 12u);
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, (5u << 16) | 12u);
        EXPECT_EQ(fixed->dwProductVersionLS, 0u);
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "a release record: no debug flag";
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        const std::pair<const char*, std::string> strings[] = {
            {"FileDescription", "Velmoric 1394 Driver Statistics"},
            {"FileVersion", "5.12.0.0"},
            {"ProductName", "Velmoric 1394 Audio Drivers"},
            {"ProductVersion", "5.12.0.0"},
            {"BuildType", "release"},
            {"Platform", "Windows x86"},
            {"OriginalFilename", FileName(path)},
        };
        for (const auto& [name, value] : strings) EXPECT_EQ(record.String(name), value) << name;
    }
}

TEST(VersionRecord, TheApplicationIconComesInTheSizesWindowsAsksFor) {
    for (const std::string& path : Programs()) {
        SCOPED_TRACE(path);
        HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << ::GetLastError();
        HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_NE(found, nullptr) << "no icon 128";
        const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
        const DWORD size = ::SizeofResource(module, found);
        ASSERT_NE(group, nullptr);
        ASSERT_GE(size, 6u);
        // The group header: reserved, type 1 (icon), count; then 14-byte entries, width first (0 is 256).
        const WORD count = static_cast<WORD>(group[4] | group[5] << 8);
        ASSERT_EQ(size, 6u + 14u * count);
        std::set<int> widths;
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = group + 6 + 14 * i;
            EXPECT_EQ(entry[0], entry[1]) << "square";
            widths.insert(entry[0] == 0 ? 256 : entry[0]);
        }
        EXPECT_EQ(widths, (std::set<int>{16, 24, 32, 48, 256}));
        ::FreeLibrary(module);
    }
}
