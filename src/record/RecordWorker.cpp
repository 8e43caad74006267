#include "record/RecordWorker.h"

#include <cstring>

#include "record/RecordStream.h"

namespace {
constexpr std::size_t FieldBytes = 4 * sizeof(uint32_t);

void PutU32(uint8_t* out, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

RecordWorker::~RecordWorker() { Close(); }

bool RecordWorker::Open(const std::filesystem::path& path, const RecordHeader& header, RecordWriter::Limits limits) {
    Close();
    const bool opened = writer_.Open(path, header, limits);
    closing_ = false;
    Publish();
    if (opened) thread_ = std::thread([this] { Run(); });
    return opened;
}

void RecordWorker::Close() {
    if (inSession_) EndSession();
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    writer_.Close();
    Publish();
}

void RecordWorker::Flush() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (queue_.empty() && !writing_) || !thread_.joinable(); });
}

void RecordWorker::Publish() {
    std::lock_guard lock(mutex_);
    active_ = writer_.Active();
    error_ = writer_.Error();
    fileBytes_ = writer_.FileBytes();
    sessions_ = writer_.Sessions();
}

bool RecordWorker::Active() const {
    std::lock_guard lock(mutex_);
    return active_;
}
std::string RecordWorker::Error() const {
    std::lock_guard lock(mutex_);
    return error_;
}
uint64_t RecordWorker::FileBytes() const {
    std::lock_guard lock(mutex_);
    return fileBytes_;
}
uint64_t RecordWorker::Sessions() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

void RecordWorker::BeginSession(int64_t ms, uint32_t openResult) {
    if (inSession_) EndSession();
    if (!Active()) return;
    current_.ms = ms;
    current_.openResult = openResult;
    current_.exchanges.clear();
    exchanges_ = 0;
    inSession_ = true;
}

void RecordWorker::Exchange(uint32_t code, const void* in, uint32_t inSize, uint32_t status, const void* out,
                            uint32_t count) {
    if (!inSession_) return;
    // The writer keeps no answer of a failed request; nor beyond what a recording holds, where
    // one more exchange is enough for it to stop with its reason.
    if (status != 0 || !out) count = 0;
    if (!in) inSize = 0;
    if (++exchanges_ > RecordStream::MaxExchanges + 1) return;
    std::vector<uint8_t>& bytes = current_.exchanges;
    uint8_t fields[FieldBytes];
    PutU32(fields, 0, code);
    PutU32(fields, 4, inSize);
    PutU32(fields, 8, status);
    PutU32(fields, 12, count);
    bytes.insert(bytes.end(), fields, fields + FieldBytes);
    const auto* input = static_cast<const uint8_t*>(in);
    const auto* answer = static_cast<const uint8_t*>(out);
    if (inSize) bytes.insert(bytes.end(), input, input + inSize);
    if (count) bytes.insert(bytes.end(), answer, answer + count);
}

void RecordWorker::EndSession() {
    if (!inSession_) return;
    inSession_ = false;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < QueueTicks || !active_; });
    if (!active_) return;
    queue_.push_back(std::move(current_));
    if (!spare_.empty()) {
        current_ = std::move(spare_.back());
        spare_.pop_back();
    } else {
        current_ = Tick{};
    }
    lock.unlock();
    changed_.notify_all();
}

void RecordWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
        if (queue_.empty()) return;
        Tick tick = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();
        Write(tick);
        Publish();
        lock.lock();
        writing_ = false;
        tick.exchanges.clear();
        spare_.push_back(std::move(tick));
        changed_.notify_all();
    }
}

void RecordWorker::Write(const Tick& tick) {
    writer_.BeginSession(tick.ms, tick.openResult);
    const uint8_t* p = tick.exchanges.data();
    const uint8_t* end = p + tick.exchanges.size();
    while (p + FieldBytes <= end) {
        const uint32_t inSize = U32(p + 4), count = U32(p + 12);
        const uint8_t* in = p + FieldBytes;
        writer_.Exchange(U32(p), inSize ? in : nullptr, inSize, U32(p + 8), count ? in + inSize : nullptr, count);
        p = in + inSize + count;
    }
    writer_.EndSession();
}
