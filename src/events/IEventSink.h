#pragma once

#include "events/DriverEvent.h"

// Where the event detector sends what it saw. The event lives only for the call.
class IEventSink {
public:
    virtual ~IEventSink() = default;
    virtual void OnEvent(const DriverEvent& event) = 0;
    // A tick or command that told events is done with them (a place to flush a file).
    virtual void OnEventsDone() {}
};
