#include "record/RecordingControlDevice.h"

#include <algorithm>

RecordingControlDevice::RecordingControlDevice(ControlDevice& device, RecordWorker& writer, Clock clock)
    : device_(device), writer_(writer), clock_(std::move(clock)) {}

RecordingControlDevice::~RecordingControlDevice() { writer_.EndSession(); }

uint32_t RecordingControlDevice::Open() {
    const uint32_t result = device_.Open();
    writer_.BeginSession(clock_(), result);
    return result;
}

void RecordingControlDevice::Close() {
    device_.Close();
    writer_.EndSession();
}

uint32_t RecordingControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                         uint32_t& bytesReturned) {
    const uint32_t status = device_.Control(code, in, inSize, out, outSize, bytesReturned);
    writer_.Exchange(code, in, inSize, status, out, std::min(bytesReturned, outSize));
    return status;
}
