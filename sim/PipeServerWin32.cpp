#include "sim/PipeServer.h"

#ifdef _WIN32

#include <chrono>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/DevicePath.h"
#include "sim/WireAnswer.h"

#ifndef PIPE_REJECT_REMOTE_CLIENTS
#define PIPE_REJECT_REMOTE_CLIENTS 0x00000008
#endif

namespace sim {
namespace {
constexpr DWORD PollIntervalMs = 100;  // also how soon a load change made on the simulator alone is seen
constexpr DWORD WriteWaitMs = 1000;
constexpr DWORD ShutWaitMs = 1000;
}  // namespace

// One pipe instance: listening for a client, or connected to one with a read outstanding.
struct PipeServer::Instance {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE writeEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED overlapped{};
    bool pending = false;
    std::array<uint8_t, Wire::MaxRequestSize + 1> request{};

    ~Instance() {
        if (event) ::CloseHandle(event);
        if (writeEvent) ::CloseHandle(writeEvent);
    }
    void Arm() {
        ::ResetEvent(event);
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
    }
    // Ends the instance; false while the system may still write into it, so it must not be freed.
    bool Shut() {
        if (pipe != INVALID_HANDLE_VALUE) {
            if (pending) ::CancelIoEx(pipe, &overlapped);
            ::DisconnectNamedPipe(pipe);
            ::CloseHandle(pipe);
            pipe = INVALID_HANDLE_VALUE;
        }
        if (!pending) return true;
        return ::WaitForSingleObject(event, ShutWaitMs) == WAIT_OBJECT_0 || HasOverlappedIoCompleted(&overlapped);
    }
    static void Dispose(std::unique_ptr<Instance>& instance) {
        if (!instance) return;
        // What the system still holds stays to the end of the process.
        if (!instance->Shut()) (void)instance.release();
        instance.reset();
    }
};

PipeServer::PipeServer(ServedDriver& simulator, std::string path) : sim_(simulator), path_(std::move(path)) {}

PipeServer::~PipeServer() { Stop(); }

bool PipeServer::Start() {
    std::lock_guard life(lifeMutex_);
    if (running_) return true;
    error_.clear();
    if (path_.empty()) path_ = DevicePath::SimulatorPipe;
    if (!DevicePath::IsPipePath(path_)) {
        error_ = "not a pipe name (\\\\.\\pipe\\NAME): " + path_;
        return false;
    }
    wakeEvent_ = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!wakeEvent_) {
        error_ = "CreateEvent failed";
        return false;
    }
    connectionCount_ = 0;
    seenGeneration_ = sim_.LoadGeneration();
    const bool loaded = sim_.Loaded();
    if (loaded && !Listen(true)) {
        ::CloseHandle(wakeEvent_);
        wakeEvent_ = nullptr;
        return false;
    }
    {
        std::lock_guard lock(stateMutex_);
        appliedLoaded_ = loaded;
        appliedGeneration_ = seenGeneration_;
    }
    stopping_ = false;
    running_ = true;
    thread_ = std::thread(&PipeServer::Run, this);
    return true;
}

void PipeServer::Stop() {
    std::lock_guard life(lifeMutex_);
    if (!running_) return;
    stopping_ = true;
    ::SetEvent(wakeEvent_);
    thread_.join();
    {
        std::lock_guard lock(stateMutex_);
        running_ = false;
    }
    stateChanged_.notify_all();
    ::CloseHandle(wakeEvent_);
    wakeEvent_ = nullptr;
}

void PipeServer::SetLoaded(bool loaded) {
    sim_.SetLoaded(loaded);
    if (!running_) return;
    const uint32_t generation = sim_.LoadGeneration();
    ::SetEvent(wakeEvent_);
    std::unique_lock lock(stateMutex_);
    stateChanged_.wait_for(lock, std::chrono::seconds(5), [&] {
        return !running_ || (appliedLoaded_ == loaded && appliedGeneration_ == generation);
    });
}

bool PipeServer::Listen(bool first) {
    // Not every system refuses a first instance of a name that is served (Wine does not): ask.
    if (first) {
        HANDLE probe = ::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool served = probe != INVALID_HANDLE_VALUE || ::GetLastError() == ERROR_PIPE_BUSY;
        if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);
        if (served) {
            error_ = "another server answers on " + path_;
            return false;
        }
    }
    auto instance = std::make_unique<Instance>();
    if (!instance->event || !instance->writeEvent) return false;
    const DWORD open = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    const DWORD mode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT;
    auto create = [&](DWORD extra) {
        return ::CreateNamedPipeA(path_.c_str(), open, mode | extra, PIPE_UNLIMITED_INSTANCES,
                                  static_cast<DWORD>(Wire::MaxAnswerSize), static_cast<DWORD>(Wire::MaxRequestSize),
                                  0, nullptr);
    };
    instance->pipe = create(PIPE_REJECT_REMOTE_CLIENTS);
    // Older systems (and Wine) may not know the flag; the pipe is local by its name anyway.
    if (instance->pipe == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER) instance->pipe = create(0);
    if (instance->pipe == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        error_ = err == ERROR_ACCESS_DENIED && first ? "another server answers on " + path_
                                                     : path_ + ": CreateNamedPipe failed (error " + std::to_string(err) + ")";
        return false;
    }
    instance->Arm();
    if (!::ConnectNamedPipe(instance->pipe, &instance->overlapped)) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_IO_PENDING) {
            instance->pending = true;
        } else if (err == ERROR_PIPE_CONNECTED) {
            ::SetEvent(instance->event);  // a client came between create and connect
        } else {
            error_ = path_ + ": ConnectNamedPipe failed (error " + std::to_string(err) + ")";
            Instance::Dispose(instance);
            return false;
        }
    }
    listening_ = std::move(instance);
    return true;
}

void PipeServer::StopListening() { Instance::Dispose(listening_); }

void PipeServer::Accepted() {
    Instance& l = *listening_;
    DWORD ignored = 0;
    const bool connected = !l.pending || ::GetOverlappedResult(l.pipe, &l.overlapped, &ignored, FALSE) ||
                           ::GetLastError() == ERROR_PIPE_CONNECTED;
    l.pending = false;
    if (!connected) {
        StopListening();  // listened for again on the next round
        return;
    }
    size_t i = 0;
    while (i < MaxConnections && connections_[i]) ++i;
    if (i == MaxConnections) {
        StopListening();  // full: the client sees the pipe break
    } else {
        connections_[i] = std::move(listening_);
        ++connectionCount_;
    }
    Listen(false);
}

void PipeServer::CloseConnection(size_t i) {
    if (!connections_[i]) return;
    Instance::Dispose(connections_[i]);
    --connectionCount_;
}

void PipeServer::CloseAllConnections() {
    for (size_t i = 0; i < MaxConnections; ++i) CloseConnection(i);
}

void PipeServer::Reconcile() {
    const bool loaded = sim_.Loaded();
    const uint32_t generation = sim_.LoadGeneration();
    if (generation != seenGeneration_) {
        CloseAllConnections();
        StopListening();
        seenGeneration_ = generation;
    }
    if (!loaded) {
        CloseAllConnections();
        StopListening();
    } else if (!listening_) {
        Listen(connectionCount_ == 0);  // on failure, tried again on the next round
    }
    {
        std::lock_guard lock(stateMutex_);
        appliedLoaded_ = loaded;
        appliedGeneration_ = generation;
    }
    stateChanged_.notify_all();
}

void PipeServer::StartRead(size_t i) {
    Instance& c = *connections_[i];
    c.Arm();
    if (::ReadFile(c.pipe, c.request.data(), static_cast<DWORD>(c.request.size()), nullptr, &c.overlapped) ||
        ::GetLastError() == ERROR_IO_PENDING) {
        c.pending = true;  // done at once or later: the event tells either way
        return;
    }
    CloseConnection(i);  // the client went, or sent more than any request can be
}

void PipeServer::Serve(size_t i) {
    Instance& c = *connections_[i];
    c.pending = false;
    DWORD got = 0;
    if (!::GetOverlappedResult(c.pipe, &c.overlapped, &got, FALSE)) {
        CloseConnection(i);
        return;
    }
    const Wire::Request request = Wire::ParseRequest(c.request.data(), got);
    if (request.shape == Wire::Request::Shape::Foreign) {
        CloseConnection(i);
        return;
    }
    size_t length = 0;
    if (!AnswerWireRequest(sim_, request, answer_.data(), length)) return;
    OVERLAPPED write{};
    ::ResetEvent(c.writeEvent);
    write.hEvent = c.writeEvent;
    DWORD sent = 0;
    bool ok = ::WriteFile(c.pipe, answer_.data(), static_cast<DWORD>(length), nullptr, &write) != 0;
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(c.writeEvent, WriteWaitMs) != WAIT_OBJECT_0) ::CancelIoEx(c.pipe, &write);
        ok = true;
    }
    // Waits for the end of a cancelled write too: `write` lives on this stack.
    if (!ok || !::GetOverlappedResult(c.pipe, &write, &sent, TRUE) || sent != length) CloseConnection(i);
}

void PipeServer::Run() {
    std::array<HANDLE, 2 + MaxConnections> events{};
    std::array<size_t, 2 + MaxConnections> slot{};
    while (!stopping_) {
        Reconcile();
        DWORD n = 0;
        events[n++] = wakeEvent_;
        DWORD listenIndex = 0;
        if (listening_) {
            listenIndex = n;
            events[n++] = listening_->event;
        }
        for (size_t i = 0; i < MaxConnections; ++i) {
            if (connections_[i] && !connections_[i]->pending) StartRead(i);
            if (!connections_[i]) continue;
            slot[n] = i;
            events[n++] = connections_[i]->event;
        }
        const DWORD ready = ::WaitForMultipleObjects(n, events.data(), FALSE, PollIntervalMs);
        if (ready >= WAIT_OBJECT_0 + n || stopping_) continue;
        const DWORD k = ready - WAIT_OBJECT_0;
        if (k == 0) continue;
        if (listenIndex && k == listenIndex)
            Accepted();
        else
            Serve(slot[k]);
    }
    CloseAllConnections();
    StopListening();
}

}  // namespace sim

#endif  // _WIN32
