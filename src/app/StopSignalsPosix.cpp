#include "app/StopSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int Handled[] = {SIGINT, SIGTERM};
// Read end and write end; the handler sees only the write end.
int pipeFds[2] = {-1, -1};
volatile sig_atomic_t writeEnd = -1;

void OnSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    // A full pipe already holds a request to stop.
    if (writeEnd >= 0 && ::write(writeEnd, &byte, 1) < 0) {
    }
    errno = saved;
}
}  // namespace

StopSignals::StopSignals(std::function<void()> onStop, QObject* parent) : QObject(parent), onStop_(std::move(onStop)) {
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = pipeFds[1];
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { OnSignalled(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Handled) ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals() {
    if (!notifier_) return;
    for (int signal : Handled) std::signal(signal, SIG_DFL);
    writeEnd = -1;
    delete notifier_;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void StopSignals::OnSignalled() {
    char bytes[16];
    bool signalled = false;
    while (::read(pipeFds[0], bytes, sizeof bytes) > 0) signalled = true;
    if (signalled && onStop_) onStop_();
}
