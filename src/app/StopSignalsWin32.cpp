#include "app/StopSignals.h"

// A Windows GUI program gets no SIGINT or SIGTERM; the session's close requests reach its
// window instead.
StopSignals::StopSignals(std::function<void()> onStop, QObject* parent) : QObject(parent), onStop_(std::move(onStop)) {}

StopSignals::~StopSignals() = default;

void StopSignals::OnSignalled() {}
