#pragma once

#ifdef _WIN32

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/WireProtocol.h"
#include "sim/ServedDriver.h"

namespace sim {

// Serves the simulator on a Windows named pipe in message mode, with the same messages and the
// same rules as the Linux socket server: one thread waits on every pipe instance, checks each
// request and answers it from the simulator; while the simulator is unloaded the pipe is gone.
class PipeServer {
public:
    static constexpr size_t MaxConnections = 32;

    // An empty path serves the simulator's default pipe (DevicePath::SimulatorPipe).
    explicit PipeServer(ServedDriver& simulator, std::string path = {});
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    // False when the pipe cannot be served (Error() tells why), also when another server
    // serves the same name.
    bool Start();
    void Stop();
    bool Running() const { return running_; }

    // Both have taken effect when the call returns.
    void SetLoaded(bool loaded);

    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }
    size_t ConnectionCount() const { return connectionCount_; }

private:
    struct Instance;
    void Run();
    void Reconcile();
    bool Listen(bool first);
    void StopListening();
    void Accepted();
    void CloseConnection(size_t i);
    void CloseAllConnections();
    void StartRead(size_t i);
    void Serve(size_t i);

    ServedDriver& sim_;
    std::mutex lifeMutex_;
    std::string path_;
    std::string error_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> connectionCount_{0};
    void* wakeEvent_ = nullptr;  // HANDLE

    // Owned by the server thread once it runs.
    std::unique_ptr<Instance> listening_;
    std::array<std::unique_ptr<Instance>, MaxConnections> connections_;
    uint32_t seenGeneration_ = 0;
    std::array<uint8_t, Wire::MaxAnswerSize> answer_{};

    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    bool appliedLoaded_ = false;
    uint32_t appliedGeneration_ = 0;
};

}  // namespace sim

#endif  // _WIN32
