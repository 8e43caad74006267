#include "platform/FileReplace.h"

#include <algorithm>
#include <windows.h>

namespace {
std::string LastError(const char* what, const std::filesystem::path& path) {
    return std::string(what) + " " + path.string() + ": Windows error " + std::to_string(GetLastError());
}
}  // namespace

bool FileReplace::Write(const std::filesystem::path& target, std::string_view bytes, std::string& error) {
    const std::filesystem::path temp = target.parent_path() / (L"." + target.filename().wstring() + L"." +
                                                               std::to_wstring(GetCurrentProcessId()) + L".tmp");
    const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastError("cannot create", temp);
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>((std::min)(bytes.size() - done, std::size_t{1} << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    if (!ok || !FlushFileBuffers(file)) {
        error = LastError("cannot write", temp);
        CloseHandle(file);
        DeleteFileW(temp.c_str());
        return false;
    }
    CloseHandle(file);
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = LastError("cannot rename to", target);
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}
