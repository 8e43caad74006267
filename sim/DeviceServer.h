#pragma once

// The server that stands in for the driver's control device on this platform.
#ifdef _WIN32
#include "sim/PipeServer.h"
namespace sim {
using DeviceServer = PipeServer;
}
#else
#include "sim/SimServer.h"
namespace sim {
using DeviceServer = SimServer;
}
#endif
