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

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

std::string DevicePath::PrivateDirectory() {
    std::string runtime = Variable("XDG_RUNTIME_DIR");
    if (MakePrivate(runtime)) return runtime;
    std::string temp = Variable("TMPDIR");
    if (temp.empty() || temp[0] != '/') temp = "/tmp";
    std::string own = temp + "/qor1394-" + std::to_string(::getuid());
    if (MakePrivate(own)) return own;
    return {};
}

std::string DevicePath::SocketPath() {
    std::string dir = PrivateDirectory();
    return dir.empty() ? dir : dir + "/qor1394-" + Guid;
}
