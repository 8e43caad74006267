#pragma once

#include <functional>
#include <memory>
#include <string>

// One panel per user session. The first instance holds a named lock for its whole life; a
// later start finds it taken, brings the first instance's window (or its open dialog) to the
// front, restoring it if minimised, and ends.
class SingleInstance {
public:
    static constexpr const char* DefaultName = "QorStatsAppMutex";

    explicit SingleInstance(std::string name = DefaultName);
    ~SingleInstance();

    // True when this process is the first: it now holds the lock.
    bool Acquire();
    // In a later instance: brings the first instance's window to the front. Quietly does
    // nothing when that window cannot be found.
    void BringFirstToFront();
    // In the first instance: what to do when a later instance asks to be brought to the front
    // (where the platform leaves that to the first instance).
    void OnActivationRequest(std::function<void()> handler);

private:
    struct State;
    std::string name_;
    std::unique_ptr<State> state_;
};
