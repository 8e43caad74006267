#include "sim/ReplayInput.h"

#include <memory>

#include "platform/StopRequest.h"

namespace sim {
namespace {
std::unique_ptr<StopRequest> stop;
}  // namespace

ReplayInput::ReplayInput() { stop = std::make_unique<StopRequest>(); }

ReplayInput::~ReplayInput() { stop.reset(); }

ReplayInput::Event ReplayInput::Wait(int ms) { return stop->Wait(ms) ? Event::Stop : Event::None; }

bool ReplayInput::CanStep() { return false; }

}  // namespace sim
