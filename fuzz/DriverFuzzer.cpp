// libFuzzer entry points of the driver harness: the input is the driver, answering whole
// refreshes of the snapshot (see DriverSession) with no window in the way.
#include <cstddef>
#include <cstdint>

#include "fuzz/DriverSession.h"
#include "fuzz/FuzzControlDevice.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/InputScript.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One CDev for every input (its snapshot is megabytes, allocated once as in the panel), and one
    // device, whose memory of answers is reused rather than allocated again per input.
    static DriverSession* const session = new DriverSession;
    static FuzzControlDevice* const device = new FuzzControlDevice;
    FuzzInput input(data, size);
    device->Begin(input);
    InputScript script(input);
    session->Run(*device, script);
    return 0;
}
