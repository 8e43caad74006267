#pragma once

#include <chrono>
#include <string>
#include <thread>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// A bare HTTP client on the loopback address, for what a library client would refuse to send:
// sends the bytes as they are (one at a time, pauseMs apart, when asked) and reads until the
// server closes.
inline std::string LoopbackExchange(int port, const std::string& request, int pauseMs = 0) {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
    using Socket = SOCKET;
    auto closeSocket = [](Socket s) { ::closesocket(s); };
    const DWORD timeout = 10000;
    constexpr int noSignal = 0;
#else
    using Socket = int;
    auto closeSocket = [](Socket s) { ::close(s); };
    const timeval timeout{10, 0};
    constexpr int noSignal = MSG_NOSIGNAL;
#endif
    const Socket fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        closeSocket(fd);
        return "no connection";
    }
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    const std::size_t piece = pauseMs > 0 ? 1 : request.size();
    for (std::size_t at = 0; at < request.size(); at += piece) {
        if (::send(fd, request.data() + at, static_cast<int>(std::min(piece, request.size() - at)), noSignal) < 0) break;
        if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    std::string answer;
    char buffer[65536];
    for (long n; (n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
    closeSocket(fd);
    return answer;
}

inline std::string LoopbackGet(const std::string& target, const std::string& headers = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}
