#include "record/RecordWriter.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

#include "record/RecordStream.h"
#include "record/Varint.h"

namespace {
constexpr uint64_t DiskCheckEvery = 120;  // sessions: a minute of the panel's ticks
// Runs of changed bytes closer than this are sent as one: a gap costs a byte or two.
constexpr uint32_t RunJoin = 4;

// The first byte from `i` on where a and b differ, or `end`: equal stretches, most of an
// answer, are passed a word at a time.
uint32_t SkipEqual(const uint8_t* a, const uint8_t* b, uint32_t i, uint32_t end) {
    for (uint64_t x = 0, y = 0; i + 8 <= end; i += 8) {
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) break;
    }
    while (i < end && a[i] == b[i]) ++i;
    return i;
}

std::string SizeText(uint64_t bytes) {
    return bytes >= 1000000 ? std::to_string(bytes / 1000000) + " MB" : std::to_string(bytes) + " bytes";
}
}  // namespace

void RecordWriter::ZDeleter::operator()(z_stream_s* z) const {
    deflateEnd(z);
    delete z;
}

RecordWriter::RecordWriter() = default;

RecordWriter::~RecordWriter() { Close(); }

bool RecordWriter::Open(const std::filesystem::path& path, const RecordHeader& header, Limits limits) {
    auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
    if (!*file) {
        error_ = "cannot create " + path.string();
        return false;
    }
    path_ = path;
    Open(std::move(file), header, limits);
    return active_;
}

void RecordWriter::Open(std::unique_ptr<std::ostream> stream, const RecordHeader& header, Limits limits) {
    Close();
    out_ = std::move(stream);
    limits_ = limits;
    table_.Clear();
    previousOrder_.clear();
    error_.clear();
    lastMs_ = 0;
    fileBytes_ = 0;
    sessions_ = 0;
    z_.reset(new z_stream_s{});
    // The fastest level: the stream is mostly changed runs and references already, and a tick at
    // the driver's largest must stay cheap beside the refresh it records.
    if (deflateInit(z_.get(), Z_BEST_SPEED) != Z_OK) {
        z_.release();  // deflateEnd is for an initialised stream only
        Stop("the compressor could not start");
        return;
    }
    active_ = true;
    if (DiskShort()) return;
    uint8_t bytes[RecordHeader::Size];
    header.Encode(bytes);
    out_->write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    out_->flush();
    if (!*out_) return Stop("writing the file failed");
    fileBytes_ = sizeof bytes;
}

void RecordWriter::Close() {
    if (inSession_) EndSession();
    if (active_) {
        if (Deflate(nullptr, 0, Z_FINISH)) active_ = false;
    }
    active_ = false;
    z_.reset();
    out_.reset();
}

void RecordWriter::Stop(std::string reason) {
    error_ = std::move(reason);
    active_ = false;
    inSession_ = false;
    out_.reset();
    z_.reset();
}

bool RecordWriter::DiskShort() {
    if (path_.empty()) return false;
    std::error_code ec;
    const std::filesystem::path dir = path_.has_parent_path() ? path_.parent_path() : std::filesystem::path(".");
    const std::filesystem::space_info space = std::filesystem::space(dir, ec);
    if (ec || space.available >= limits_.minFreeDiskBytes) return false;
    Stop("the disk has less than " + SizeText(limits_.minFreeDiskBytes) + " free");
    return true;
}

bool RecordWriter::Deflate(const uint8_t* data, size_t size, int flush) {
    z_stream_s& z = *z_;
    // Checked before anything is packed, so the file stays whole and within its limit: a session
    // leaves room for the end mark (an empty last block and the checksum) after it.
    constexpr uint64_t EndRoom = 16;
    const uint64_t bound = deflateBound(&z, static_cast<uLong>(size)) + 2 * EndRoom;
    const uint64_t need = flush == Z_FINISH ? EndRoom : bound;
    if (fileBytes_ + need > limits_.maxFileBytes) {
        // What was written stays a whole recording: the end mark fits in the room always kept.
        if (flush != Z_FINISH) Deflate(nullptr, 0, Z_FINISH);
        Stop("the file reached its size limit of " + SizeText(limits_.maxFileBytes));
        return false;
    }
    packed_.resize(bound);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = packed_.data();
    z.avail_out = static_cast<uInt>(packed_.size());
    const int result = deflate(&z, flush);
    if (result == Z_STREAM_ERROR || z.avail_in != 0 || z.avail_out == 0) {
        Stop("the compressor failed");
        return false;
    }
    const size_t n = packed_.size() - z.avail_out;
    out_->write(reinterpret_cast<const char*>(packed_.data()), static_cast<std::streamsize>(n));
    out_->flush();
    if (!*out_) {
        Stop("writing the file failed (is the disk full?)");
        return false;
    }
    fileBytes_ += n;
    return true;
}

void RecordWriter::BeginSession(int64_t ms, uint32_t openResult) {
    if (!active_) return;
    if (inSession_) EndSession();
    if (!active_) return;
    const int64_t gap = std::clamp<int64_t>(ms - lastMs_, 0, int64_t(RecordStream::MaxGapMs - 1));
    lastMs_ += gap;
    session_.clear();
    Varint::Put(session_, static_cast<uint64_t>(gap));
    Varint::Put(session_, openResult);
    exchanges_ = 0;
    order_.clear();
    inSession_ = true;
}

void RecordWriter::Exchange(uint32_t code, const void* in, uint32_t inSize, uint32_t status, const void* out,
                            uint32_t count) {
    if (!inSession_) return;
    if (status != 0 || !out) count = 0;
    if (inSize > RecordStream::MaxInputBytes || count > RecordStream::MaxAnswerBytes || (inSize && !in))
        return Stop("a request or answer was larger than a recording holds");
    if (++exchanges_ > RecordStream::MaxExchanges) return Stop("more requests in one tick than a recording holds");
    // A tick asks what the tick before asked, in the same order: the key at this place last time
    // is tried before the table is searched.
    std::optional<uint32_t> found;
    if (exchanges_ <= previousOrder_.size()) {
        const AnswerTable::Answer& guess = table_.At(previousOrder_[exchanges_ - 1]);
        if (guess.code == code && guess.input.size() == inSize &&
            (inSize == 0 || std::memcmp(guess.input.data(), in, inSize) == 0))
            found = previousOrder_[exchanges_ - 1];
    }
    if (!found) found = table_.Find(code, in, inSize);
    if (!found) {
        if (table_.Size() >= RecordStream::MaxKeys)
            return Stop("the driver was asked more different requests than a recording holds");
        found = table_.Add(code, in, inSize);
        session_.push_back(RecordStream::Key);
        Varint::Put(session_, code);
        Varint::Put(session_, inSize);
        const uint8_t* input = static_cast<const uint8_t*>(in);
        session_.insert(session_.end(), input, input + inSize);
    }
    const uint32_t id = *found;
    order_.push_back(id);
    const AnswerTable::Answer& before = table_.At(id);
    const uint8_t* bytes = static_cast<const uint8_t*>(out);
    if (before.answered && before.status == status && before.bytes.size() == count &&
        (count == 0 || std::memcmp(before.bytes.data(), bytes, count) == 0)) {
        session_.push_back(RecordStream::Same);
        Varint::Put(session_, id);
        return;
    }
    if (table_.TotalBytes() - before.bytes.size() + count > RecordStream::MaxTableBytes)
        return Stop("the driver's answers outgrew what a recording holds");
    PutPatch(id, status, before, bytes, count);
    table_.Store(id, status, bytes, count);
    if (session_.size() > RecordStream::MaxSessionBytes) Stop("one tick's answers outgrew what a recording holds");
}

// A patch where it is shorter than the answer in full, else the answer in full.
void RecordWriter::PutPatch(uint32_t id, uint32_t status, const AnswerTable::Answer& before, const uint8_t* bytes,
                            uint32_t count) {
    patch_.clear();
    uint32_t runs = 0;
    if (before.answered && !before.bytes.empty()) {
        const size_t old = before.bytes.size();
        auto differs = [&](uint32_t i) { return bytes[i] != (i < old ? before.bytes[i] : 0); };
        const uint32_t common = static_cast<uint32_t>(std::min<size_t>(old, count));
        uint32_t end = 0;  // end of the previous run
        for (uint32_t i = 0; i < count && patch_.size() < count; ++i) {
            if (i < common && bytes[i] == before.bytes[i]) i = SkipEqual(bytes, before.bytes.data(), i, common);
            if (i >= count || !differs(i)) continue;
            uint32_t last = i;  // the run's last changed byte
            for (uint32_t j = i + 1; j < count && j <= last + RunJoin; ++j)
                if (differs(j)) last = j;
            Varint::Put(patch_, i - end);
            Varint::Put(patch_, last + 1 - i);
            patch_.insert(patch_.end(), bytes + i, bytes + last + 1);
            end = last + 1;
            i = last;
            ++runs;
        }
    }
    const bool asPatch = before.answered && !before.bytes.empty() && patch_.size() < count;
    session_.push_back(asPatch ? RecordStream::Patch : RecordStream::Full);
    Varint::Put(session_, id);
    Varint::Put(session_, status);
    Varint::Put(session_, count);
    if (asPatch) {
        Varint::Put(session_, runs);
        session_.insert(session_.end(), patch_.begin(), patch_.end());
    } else if (count) {
        session_.insert(session_.end(), bytes, bytes + count);
    }
}

void RecordWriter::EndSession() {
    if (!inSession_) return;
    inSession_ = false;
    frame_.clear();
    frame_.push_back(RecordStream::Session);
    Varint::Put(frame_, session_.size());
    frame_.insert(frame_.end(), session_.begin(), session_.end());
    if (!order_.empty()) previousOrder_.swap(order_);
    if (!Deflate(frame_.data(), frame_.size(), Z_SYNC_FLUSH)) return;
    ++sessions_;
    if (sessions_ % DiskCheckEvery == 0) DiskShort();
}
