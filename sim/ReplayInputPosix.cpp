#include "sim/ReplayInput.h"

#include <csignal>
#include <ctime>
#include <initializer_list>
#include <pthread.h>
#include <signal.h>

namespace sim {
namespace {
sigset_t Signals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) sigaddset(&set, s);
    return set;
}
}  // namespace

ReplayInput::ReplayInput() {
    const sigset_t set = Signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ReplayInput::~ReplayInput() {
    const sigset_t set = Signals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

ReplayInput::Event ReplayInput::Wait(int ms) {
    const sigset_t set = Signals();
    const timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000 * 1000};
    switch (sigtimedwait(&set, nullptr, &wait)) {
        case SIGINT:
        case SIGTERM: return Event::Stop;
        case SIGUSR1: return Event::Step;
        case SIGUSR2: return Event::TogglePause;
        default: return Event::None;
    }
}

bool ReplayInput::CanStep() { return true; }

}  // namespace sim
