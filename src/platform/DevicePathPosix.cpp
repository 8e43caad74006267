#include "platform/DevicePath.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Whether dir is (or has now been made) a directory of ours that nobody else may enter.
bool MakePrivate(const std::string& dir) {
    if (dir.empty() || dir[0] != '/') return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return false;
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

// Whether MakePrivate would have dir, without making anything.
bool WouldBePrivate(const std::string& dir) {
    if (dir.empty() || dir[0] != '/') return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return errno == ENOENT;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

std::string DevicePath::PrivateDirectory(Touch touch) {
    auto usable = touch == Touch::Yes ? MakePrivate : WouldBePrivate;
    std::string runtime = Variable("XDG_RUNTIME_DIR");
    if (usable(runtime)) return runtime;
    std::string temp = Variable("TMPDIR");
    if (temp.empty() || temp[0] != '/') temp = "/tmp";
    std::string own = temp + "/qor1394-" + std::to_string(::getuid());
    if (usable(own)) return own;
    return {};
}

std::string DevicePath::SocketPath(Touch touch) {
    std::string dir = PrivateDirectory(touch);
    return dir.empty() ? dir : dir + "/qor1394-" + Guid;
}
