#include "sim/ReplayDriver.h"

#include "platform/WinError.h"
#include "record/ReplayControlDevice.h"

namespace sim {

bool ReplayDriver::Open() {
    std::lock_guard lock(mutex_);
    openError_.clear();
    reader_.reset();
    file_ = std::make_unique<std::ifstream>(path_, std::ios::binary);
    if (!*file_) {
        openError_ = "cannot open the file";
        return false;
    }
    reader_ = std::make_unique<RecordReader>(*file_);
    if (!reader_->Start()) return false;
    if (!reader_->Next()) {
        if (reader_->Ended() == RecordReader::End::Complete || reader_->Ended() == RecordReader::End::CutOff)
            openError_ = "the recording holds no tick";
        return false;
    }
    return true;
}

std::optional<int64_t> ReplayDriver::NextMs() {
    std::lock_guard lock(mutex_);
    if (!reader_ || !reader_->Ahead()) return std::nullopt;
    return reader_->NextMs();
}

bool ReplayDriver::Step() {
    std::lock_guard lock(mutex_);
    return reader_ && reader_->Next();
}

int64_t ReplayDriver::CurrentMs() const {
    std::lock_guard lock(mutex_);
    return reader_ ? reader_->Current().ms : 0;
}

uint64_t ReplayDriver::Tick() const {
    std::lock_guard lock(mutex_);
    return reader_ ? reader_->Sessions() : 0;
}

std::string ReplayDriver::Message() const {
    std::lock_guard lock(mutex_);
    if (!openError_.empty()) return openError_;
    return reader_ ? reader_->Message() : std::string();
}

bool ReplayDriver::DriverPresent() const {
    std::lock_guard lock(mutex_);
    return reader_ && reader_->Sessions() > 0 && reader_->Current().openResult == 0;
}

uint32_t ReplayDriver::Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                              uint32_t& bytesReturned, bool& answered) {
    std::lock_guard lock(mutex_);
    answered = true;
    bytesReturned = 0;
    if (!loaded_ || !reader_) return WinError::DeviceNotConnected;
    const uint32_t status =
        ReplayControlDevice::Answer(reader_->Answers(), code, in, inSize, out, outSize, bytesReturned);
    answered = status != WinError::SemTimeout;
    return status;
}

void ReplayDriver::SetLoaded(bool loaded) {
    std::lock_guard lock(mutex_);
    if (loaded_ && !loaded) ++generation_;
    loaded_ = loaded;
}

bool ReplayDriver::Loaded() const {
    std::lock_guard lock(mutex_);
    return loaded_;
}

uint32_t ReplayDriver::LoadGeneration() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

}  // namespace sim
