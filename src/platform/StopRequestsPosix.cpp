#include "platform/StopRequests.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <signal.h>

namespace {
sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}
}  // namespace

StopRequests::StopRequests() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopRequests::~StopRequests() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

int StopRequests::Wait(int ms) {
    const sigset_t set = StopSet();
    const timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000 * 1000};
    const int signal = sigtimedwait(&set, nullptr, &wait);
    return signal == SIGINT || signal == SIGTERM ? signal : 0;
}
