#include "platform/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

bool FileReplace::Write(const std::filesystem::path& target, std::string_view bytes, std::string& error) {
    std::string name = ".";
    name.append(target.filename().string()).append(".").append(std::to_string(::getpid())).append(".tmp");
    const std::filesystem::path temp = target.parent_path() / name;
    auto fail = [&](const char* what) {
        error = std::string(what) + " " + temp.string() + ": " + std::strerror(errno);
        return false;
    };
    // Readable by others: a textfile collector often runs as a user of its own.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return fail("cannot create");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            errno = saved;
            return fail("cannot write");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return fail("cannot flush");
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        error = "cannot rename to " + target.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
