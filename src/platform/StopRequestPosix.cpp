#include "platform/StopRequest.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr int Handled[] = {SIGINT, SIGTERM};
volatile sig_atomic_t received = 0;
// The handler wakes a waiting Wait through the pipe's write end.
int pipeFds[2] = {-1, -1};
volatile sig_atomic_t writeEnd = -1;

void OnSignal(int signal) {
    const int saved = errno;
    if (received == 0) received = signal;
    const char byte = 1;
    if (writeEnd >= 0 && ::write(writeEnd, &byte, 1) < 0) {
    }
    errno = saved;
}
}  // namespace

StopRequest::StopRequest() {
    received = 0;
    if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) == 0) writeEnd = pipeFds[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Handled) ::sigaction(signal, &action, nullptr);
}

StopRequest::~StopRequest() {
    for (int signal : Handled) std::signal(signal, SIG_DFL);
    writeEnd = -1;
    if (pipeFds[0] >= 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        pipeFds[0] = pipeFds[1] = -1;
    }
}

bool StopRequest::Wait(int ms) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (!Requested()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{pipeFds[0], POLLIN, 0};
        // Without the pipe the signal still ends the sleep early (EINTR), only not in every case.
        if (::poll(&p, pipeFds[0] >= 0 ? 1 : 0, static_cast<int>(left)) > 0) {
            char bytes[16];
            while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
            }
        }
    }
    return Requested();
}

int StopRequest::ExitCode() const { return received == 0 ? 0 : 128 + received; }
