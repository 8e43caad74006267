#pragma once

// The requests to stop a console program: SIGINT and SIGTERM, or on Windows Ctrl+C, Ctrl+Break
// and the console closing. Made before any thread starts (on Linux the signals are blocked
// then, so that only Wait takes them); one at a time.
class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // Waits at most ms for a request: 0 when none came, else the signal it stands for
    // (SIGINT, or SIGTERM).
    int Wait(int ms);
};
