#include "sim/SimServer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/DevicePath.h"
#include "platform/WinError.h"
#include "sim/WireAnswer.h"

namespace sim {
namespace {

constexpr int PollIntervalMs = 100;  // also how soon a load change made on the simulator alone is seen
constexpr int ListenBacklog = 16;

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

// Whether a server is accepting connections on the socket file at addr.
bool SomeoneListens(const sockaddr_un& addr) {
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool live = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return live;
}

}  // namespace

SimServer::SimServer(ServedDriver& driver, std::string path) : sim_(driver), path_(std::move(path)) {
    connections_.fill(-1);
}

SimServer::~SimServer() { Stop(); }

bool SimServer::Start() {
    std::lock_guard life(lifeMutex_);
    if (running_) return true;
    error_.clear();
    if (path_.empty()) {
        path_ = DevicePath::SocketPath();
        if (path_.empty()) {
            error_ = "no private directory for the control device socket (XDG_RUNTIME_DIR or /tmp/qor1394-<uid>)";
            return false;
        }
    }
    sockaddr_un addr;
    if (!MakeAddress(path_, addr)) {
        error_ = "socket path too long or empty: " + path_;
        return false;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        error_ = std::string("eventfd: ") + std::strerror(errno);
        return false;
    }
    connections_.fill(-1);
    connectionCount_ = 0;
    seenGeneration_ = sim_.LoadGeneration();
    bool loaded = sim_.Loaded();
    if (loaded && !Listen()) {
        ::close(wakeFd_);
        wakeFd_ = -1;
        return false;
    }
    {
        std::lock_guard lock(stateMutex_);
        appliedLoaded_ = loaded;
        appliedGeneration_ = seenGeneration_;
    }
    stopping_ = false;
    running_ = true;
    thread_ = std::thread(&SimServer::Run, this);
    return true;
}

void SimServer::Stop() {
    std::lock_guard life(lifeMutex_);
    if (!running_) return;
    stopping_ = true;
    Wake();
    thread_.join();
    {
        std::lock_guard lock(stateMutex_);
        running_ = false;
    }
    stateChanged_.notify_all();
    ::close(wakeFd_);
    wakeFd_ = -1;
}

void SimServer::SetLoaded(bool loaded) {
    sim_.SetLoaded(loaded);
    if (!running_) return;
    uint32_t generation = sim_.LoadGeneration();
    Wake();
    std::unique_lock lock(stateMutex_);
    // Bounded, in case another thread flips the state back meanwhile.
    stateChanged_.wait_for(lock, std::chrono::seconds(5), [&] {
        return !running_ || (appliedLoaded_ == loaded && appliedGeneration_ == generation);
    });
}

void SimServer::Wake() {
    uint64_t one = 1;
    if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof one);
}

bool SimServer::Listen() {
    sockaddr_un addr;
    if (!MakeAddress(path_, addr)) return false;
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            error_ = path_ + " exists and is not a socket";
            return false;
        }
        if (SomeoneListens(addr)) {
            error_ = "another server answers on " + path_;
            return false;
        }
        ::unlink(path_.c_str());  // left behind by a server that died
    }
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error_ = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::chmod(path_.c_str(), 0600) != 0 || ::listen(fd, ListenBacklog) != 0 ||
        ::stat(path_.c_str(), &st) != 0) {
        error_ = path_ + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    socketDev_ = st.st_dev;
    socketIno_ = st.st_ino;
    listenFd_ = fd;
    return true;
}

void SimServer::StopListening() {
    if (listenFd_ < 0) return;
    ::close(listenFd_);
    listenFd_ = -1;
    // Only our own socket file: a later server may already have replaced it.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == socketDev_ && st.st_ino == socketIno_)
        ::unlink(path_.c_str());
}

void SimServer::Reconcile() {
    bool loaded = sim_.Loaded();
    uint32_t generation = sim_.LoadGeneration();
    if (generation != seenGeneration_) {
        // Unloaded (and perhaps loaded again) since the last look: every connection is stale.
        CloseAllConnections();
        StopListening();
        seenGeneration_ = generation;
    }
    if (!loaded) {
        CloseAllConnections();
        StopListening();
    } else if (listenFd_ < 0) {
        Listen();  // on failure, tried again on the next round
    }
    {
        std::lock_guard lock(stateMutex_);
        appliedLoaded_ = loaded;
        appliedGeneration_ = generation;
    }
    stateChanged_.notify_all();
}

void SimServer::Run() {
    std::array<pollfd, 2 + MaxConnections> fds;
    std::array<size_t, 2 + MaxConnections> slot;
    while (!stopping_) {
        Reconcile();
        size_t n = 0;
        fds[n++] = {wakeFd_, POLLIN, 0};
        size_t listenIndex = 0;
        if (listenFd_ >= 0) {
            listenIndex = n;
            fds[n++] = {listenFd_, POLLIN, 0};
        }
        size_t firstConnection = n;
        for (size_t i = 0; i < MaxConnections; ++i) {
            if (connections_[i] < 0) continue;
            slot[n] = i;
            fds[n++] = {connections_[i], POLLIN, 0};
        }
        int ready = ::poll(fds.data(), n, PollIntervalMs);
        if (ready <= 0) continue;
        if (fds[0].revents) {
            uint64_t count;
            (void)!::read(wakeFd_, &count, sizeof count);
        }
        if (stopping_) break;
        for (size_t k = firstConnection; k < n; ++k) {
            if (fds[k].revents & POLLIN)
                Serve(slot[k]);
            else if (fds[k].revents & (POLLHUP | POLLERR | POLLNVAL))
                CloseConnection(slot[k]);
        }
        if (listenIndex && (fds[listenIndex].revents & POLLIN)) Accept();
    }
    CloseAllConnections();
    StopListening();
}

void SimServer::Accept() {
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        size_t i = 0;
        while (i < MaxConnections && connections_[i] >= 0) ++i;
        if (i == MaxConnections) {
            ::close(fd);  // full: the client sees the connection end
            continue;
        }
        connections_[i] = fd;
        ++connectionCount_;
    }
}

void SimServer::CloseConnection(size_t i) {
    if (connections_[i] < 0) return;
    ::close(connections_[i]);
    connections_[i] = -1;
    --connectionCount_;
}

void SimServer::CloseAllConnections() {
    for (size_t i = 0; i < MaxConnections; ++i) CloseConnection(i);
}

void SimServer::Serve(size_t i) {
    int fd = connections_[i];
    ssize_t got = ::recv(fd, request_.data(), request_.size(), MSG_TRUNC | MSG_DONTWAIT);
    if (got < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) CloseConnection(i);
        return;
    }
    const Wire::Request request = Wire::ParseRequest(request_.data(), static_cast<size_t>(got));
    if (request.shape == Wire::Request::Shape::Foreign) {
        CloseConnection(i);
        return;
    }
    size_t length = 0;
    if (!AnswerWireRequest(sim_, request, answer_.data(), length)) return;
    ssize_t sent;
    do {
        sent = ::send(fd, answer_.data(), length, MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(length)) CloseConnection(i);
}

}  // namespace sim
