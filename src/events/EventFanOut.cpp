#include "events/EventFanOut.h"

bool EventFanOut::Add(IEventSink& sink) {
    for (IEventSink*& slot : sinks_) {
        if (slot == &sink) return true;
        if (slot == nullptr) {
            slot = &sink;
            return true;
        }
    }
    return false;
}

void EventFanOut::OnEvent(const DriverEvent& event) {
    for (IEventSink* sink : sinks_)
        if (sink != nullptr) sink->OnEvent(event);
}

void EventFanOut::OnEventsDone() {
    for (IEventSink* sink : sinks_)
        if (sink != nullptr) sink->OnEventsDone();
}
