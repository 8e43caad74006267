#include "platform/ReportingControlDevice.h"

#include "platform/DevicePath.h"

ReportingControlDevice::ReportingControlDevice(ControlDevice& device, std::string program, std::string path,
                                               std::FILE* stream)
    : device_(device), program_(std::move(program)), path_(std::move(path)), stream_(stream) {}

std::string ReportingControlDevice::SystemPath(bool touch) {
#ifdef _WIN32
    (void)touch;
    return DevicePath::Win32Path;
#else
    return DevicePath::SocketPath(touch ? DevicePath::Touch::Yes : DevicePath::Touch::No);
#endif
}

uint32_t ReportingControlDevice::Open() {
    lastOpen_ = device_.Open();
    if (lastOpen_ == 0 || reported_ || !stream_) return lastOpen_;
    reported_ = true;
    if (path_.empty())
        std::fprintf(stream_, "%s: cannot open the driver's control device: no private directory for it "
                              "(neither XDG_RUNTIME_DIR nor TMPDIR can be used)\n", program_.c_str());
    else
        std::fprintf(stream_, "%s: cannot open the driver's control device %s (error %u)\n", program_.c_str(),
                     path_.c_str(), static_cast<unsigned>(lastOpen_));
#ifdef _WIN32
    if (path_ == SystemPath())
        std::fprintf(stream_, "%s: without the driver, start the driver simulator first (qorsimd) and read from it with "
                              "--device %s\n", program_.c_str(), DevicePath::SimulatorPipe);
#else
    std::fprintf(stream_, "%s: without the driver, start the driver simulator first: qorsimd &\n", program_.c_str());
#endif
    std::fflush(stream_);
    return lastOpen_;
}
