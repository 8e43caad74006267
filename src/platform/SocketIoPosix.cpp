#include "platform/SocketIo.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
bool Wait(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int n = 0;
    do {
        n = ::poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}
}  // namespace

long SocketIo::Receive(std::intptr_t socket, char* buffer, std::size_t size, int timeoutMs) {
    const int fd = static_cast<int>(socket);
    if (!Wait(fd, POLLIN, timeoutMs)) return -1;
    ssize_t n = 0;
    do {
        n = ::recv(fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

long SocketIo::Send(std::intptr_t socket, const char* bytes, std::size_t size, int timeoutMs) {
    const int fd = static_cast<int>(socket);
    if (!Wait(fd, POLLOUT, timeoutMs)) return -1;
    ssize_t n = 0;
    do {
        n = ::send(fd, bytes, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

bool SocketIo::Readable(std::intptr_t socket) { return Wait(static_cast<int>(socket), POLLIN, 0); }

void SocketIo::Address(std::intptr_t socket, bool remote, std::string& ip, int& port) {
    ip.clear();
    port = -1;
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    auto* a = reinterpret_cast<sockaddr*>(&address);
    const int fd = static_cast<int>(socket);
    if ((remote ? ::getpeername(fd, a, &length) : ::getsockname(fd, a, &length)) != 0) return;
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> service{};
    if (::getnameinfo(a, length, host.data(), host.size(), service.data(), service.size(),
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return;
    ip = host.data();
    port = std::atoi(service.data());
}

void SocketIo::ListenAlone(std::intptr_t socket) {
    const int on = 1;
    ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
}

void SocketIo::Backlog(std::intptr_t socket, int connections) { ::listen(static_cast<int>(socket), connections); }

void SocketIo::ShutdownAndClose(std::intptr_t socket) {
    const int fd = static_cast<int>(socket);
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}
