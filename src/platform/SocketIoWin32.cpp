#include "platform/SocketIo.h"

#include <array>
#include <cstdlib>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {
bool Wait(SOCKET s, short events, int timeoutMs) {
    WSAPOLLFD p{s, events, 0};
    return WSAPoll(&p, 1, timeoutMs) > 0;
}
int Clamp(std::size_t size) { return static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size); }
}  // namespace

long SocketIo::Receive(std::intptr_t socket, char* buffer, std::size_t size, int timeoutMs) {
    const auto s = static_cast<SOCKET>(socket);
    if (!Wait(s, POLLRDNORM, timeoutMs)) return -1;
    return ::recv(s, buffer, Clamp(size), 0);
}

long SocketIo::Send(std::intptr_t socket, const char* bytes, std::size_t size, int timeoutMs) {
    const auto s = static_cast<SOCKET>(socket);
    if (!Wait(s, POLLWRNORM, timeoutMs)) return -1;
    return ::send(s, bytes, Clamp(size), 0);
}

bool SocketIo::Readable(std::intptr_t socket) { return Wait(static_cast<SOCKET>(socket), POLLRDNORM, 0); }

void SocketIo::Address(std::intptr_t socket, bool remote, std::string& ip, int& port) {
    ip.clear();
    port = -1;
    sockaddr_storage address{};
    int length = sizeof(address);
    auto* a = reinterpret_cast<sockaddr*>(&address);
    const auto s = static_cast<SOCKET>(socket);
    if ((remote ? ::getpeername(s, a, &length) : ::getsockname(s, a, &length)) != 0) return;
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> service{};
    if (::getnameinfo(a, length, host.data(), static_cast<DWORD>(host.size()), service.data(),
                      static_cast<DWORD>(service.size()), NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return;
    ip = host.data();
    port = std::atoi(service.data());
}

void SocketIo::ListenAlone(std::intptr_t socket) {
    const BOOL on = TRUE;
    ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                 sizeof(on));
}

void SocketIo::Backlog(std::intptr_t socket, int connections) { ::listen(static_cast<SOCKET>(socket), connections); }

void SocketIo::ShutdownAndClose(std::intptr_t socket) {
    const auto s = static_cast<SOCKET>(socket);
    ::shutdown(s, SD_BOTH);
    ::closesocket(s);
}
