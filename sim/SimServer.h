#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

#include "platform/WireProtocol.h"
#include "sim/ServedDriver.h"

namespace sim {

// Serves the control device socket for a driver stand-in (the simulator or a replay): one thread
// polls the listening socket and every connection, checks each request message and answers it
// from the stand-in. While it is unloaded there is no socket at all, as there is no device
// without the driver.
class SimServer {
public:
    static constexpr size_t MaxConnections = 32;

    // An empty path serves the system's control device path, in a directory private to the user.
    explicit SimServer(ServedDriver& driver, std::string path = {});
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // False when the socket cannot be served (Error() tells why), also when another server
    // answers on the path.
    bool Start();
    void Stop();
    bool Running() const { return running_; }

    // Unload closes the socket and every connection; load serves it again. Both have taken
    // effect when the call returns.
    void SetLoaded(bool loaded);

    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }
    size_t ConnectionCount() const { return connectionCount_; }

private:
    void Run();
    void Reconcile();
    bool Listen();
    void StopListening();
    void Accept();
    void CloseConnection(size_t i);
    void CloseAllConnections();
    void Serve(size_t i);
    void Wake();

    ServedDriver& sim_;
    std::mutex lifeMutex_;  // Start and Stop
    std::string path_;
    std::string error_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> connectionCount_{0};
    int wakeFd_ = -1;

    // Owned by the server thread once it runs.
    int listenFd_ = -1;
    dev_t socketDev_ = 0;
    ino_t socketIno_ = 0;
    std::array<int, MaxConnections> connections_{};
    uint32_t seenGeneration_ = 0;
    std::array<uint8_t, Wire::MaxRequestSize + 1> request_{};
    std::array<uint8_t, Wire::MaxAnswerSize> answer_{};

    // What the server thread has put into effect, for SetLoaded to wait on.
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    bool appliedLoaded_ = false;
    uint32_t appliedGeneration_ = 0;
};

}  // namespace sim
