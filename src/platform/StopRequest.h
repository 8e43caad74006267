#pragma once

// Ctrl+C (SIGINT) and SIGTERM for a program without an event loop: the first one is recorded
// rather than ending the process, so the program can say what it gathered and then exit with
// the shell's code for the signal (130 or 143). One at a time; the signals get their default
// handling back when it is destroyed. On Windows, Ctrl+C counts as SIGINT and Ctrl+Break or
// closing the console as SIGTERM.
class StopRequest {
public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // Sleeps for ms milliseconds or until a stop is requested; true when one was.
    bool Wait(int ms);
    bool Requested() const { return ExitCode() != 0; }
    // 130 after SIGINT, 143 after SIGTERM, 0 while none came.
    int ExitCode() const;
};
