#include "platform/DevicePath.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string SocketDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return runtime;
    return "/tmp/qor1394-" + std::to_string(::getuid());
}
}  // namespace

std::string DevicePath::SocketPath() { return SocketDirectory() + "/qor1394-" + Guid; }

std::string DevicePath::EnsureSocketDirectory() {
    std::string dir = SocketDirectory();
    if (::mkdir(dir.c_str(), 0700) != 0) {
        // An existing directory is only used when it is ours and private.
        struct stat st {};
        if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
        if ((st.st_mode & 077) != 0) ::chmod(dir.c_str(), 0700);
    }
    return dir;
}
