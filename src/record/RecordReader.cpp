#include "record/RecordReader.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

#include "record/RecordStream.h"
#include "record/Varint.h"

namespace {
constexpr size_t InputChunk = 16 * 1024;
constexpr size_t UnpackedChunk = 64 * 1024;
constexpr size_t PayloadChunk = 64 * 1024;

// Cursor over a session's payload; every read is checked against its end.
struct Cursor {
    const uint8_t* begin;
    const uint8_t* p;
    const uint8_t* end;
    uint64_t Offset(uint64_t base) const { return base + static_cast<uint64_t>(p - begin); }
    bool Number(uint64_t& v, uint64_t max) { return Varint::Get(p, end, v) && v <= max; }
    bool Has(uint64_t n) const { return n <= static_cast<uint64_t>(end - p); }
};
}  // namespace

void RecordReader::ZDeleter::operator()(z_stream_s* z) const {
    inflateEnd(z);
    delete z;
}

RecordReader::RecordReader(std::istream& in) : in_(in) {}

RecordReader::~RecordReader() = default;

bool RecordReader::Start() {
    uint8_t bytes[RecordHeader::Size];
    in_.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    if (in_.gcount() != static_cast<std::streamsize>(sizeof bytes))
        return FileFault("the file is shorter than a recording's header (" + std::to_string(RecordHeader::Size) +
                         " bytes)");
    if (std::string problem = header_.Decode(bytes); !problem.empty()) return FileFault(problem);
    z_.reset(new z_stream_s{});
    if (inflateInit(z_.get()) != Z_OK) {
        z_.release();
        return FileFault("the decompressor could not start");
    }
    input_.resize(InputChunk);
    unpacked_.resize(UnpackedChunk);
    return true;
}

bool RecordReader::FileFault(const std::string& what) {
    const uint64_t at = RecordHeader::Size + (z_ ? z_->total_in : 0);
    message_ = "byte " + std::to_string(z_ ? at : 0) + " of the file: " + what;
    end_ = End::Fault;
    return false;
}

bool RecordReader::Fault(uint64_t offset, const std::string& what) {
    message_ = "byte " + std::to_string(offset) + " of the unpacked data (tick " + std::to_string(sessions_ + 1) +
               "): " + what;
    end_ = End::Fault;
    return false;
}

// Up to n unpacked bytes; fewer only at the end of the data or at a fault (end_ set).
size_t RecordReader::Pull(uint8_t* to, size_t n) {
    size_t got = 0;
    while (got < n && end_ == End::None) {
        if (unpackedPos_ < unpackedEnd_) {
            const size_t take = std::min(n - got, unpackedEnd_ - unpackedPos_);
            std::memcpy(to + got, unpacked_.data() + unpackedPos_, take);
            unpackedPos_ += take;
            got += take;
            offset_ += take;
            continue;
        }
        if (streamEnd_ || !z_) break;
        z_stream_s& z = *z_;
        if (z.avail_in == 0 && !inputEnd_) {
            in_.read(reinterpret_cast<char*>(input_.data()), static_cast<std::streamsize>(input_.size()));
            z.next_in = input_.data();
            z.avail_in = static_cast<uInt>(in_.gcount());
            if (z.avail_in == 0) inputEnd_ = true;
        }
        z.next_out = unpacked_.data();
        z.avail_out = static_cast<uInt>(unpacked_.size());
        const int result = inflate(&z, Z_NO_FLUSH);
        unpackedPos_ = 0;
        unpackedEnd_ = unpacked_.size() - z.avail_out;
        if (result == Z_STREAM_END) {
            streamEnd_ = true;
        } else if (result == Z_BUF_ERROR) {
            if (inputEnd_ && unpackedEnd_ == 0) break;  // the file ends: cut off
        } else if (result != Z_OK) {
            FileFault(std::string("damaged compressed data") + (z.msg ? std::string(" (") + z.msg + ")" : ""));
            break;
        }
    }
    return got;
}

bool RecordReader::PullVarint(uint64_t& v) {
    v = 0;
    for (size_t i = 0; i < Varint::MaxBytes; ++i) {
        uint8_t b = 0;
        if (Pull(&b, 1) != 1) return false;
        if (i == Varint::MaxBytes - 1 && b > 1) return Fault(offset_ - 1, "a number longer than 64 bits");
        v |= uint64_t(b & 0x7F) << (7 * i);
        if ((b & 0x80) == 0) return true;
    }
    return false;
}

bool RecordReader::Next() {
    if (!Ahead()) return false;
    ahead_ = false;
    return Parse();
}

bool RecordReader::Ahead() {
    if (ahead_) return true;
    if (end_ != End::None || !z_) return false;
    const uint64_t start = offset_;
    uint8_t tag = 0;
    if (Pull(&tag, 1) != 1) {
        if (end_ != End::None) return false;
        end_ = streamEnd_ ? End::Complete : End::CutOff;
        if (end_ == End::CutOff)
            message_ = "the file ends after tick " + std::to_string(sessions_) +
                       " without its end mark (the recording was not closed); every tick before is whole";
        return false;
    }
    if (tag != RecordStream::Session) return Fault(start, "a tick begins with an unknown entry");
    uint64_t length = 0;
    const bool lengthRead = PullVarint(length);
    if (lengthRead && length > RecordStream::MaxSessionBytes)
        return Fault(start, "a tick of " + std::to_string(length) + " bytes, more than a recording holds");
    if (lengthRead) {
        payloadOffset_ = offset_;
        payload_.clear();
        // Grown as the bytes arrive, so a length that lies allocates nothing.
        while (payload_.size() < length) {
            const size_t have = payload_.size();
            const size_t want = static_cast<size_t>(std::min<uint64_t>(length - have, PayloadChunk));
            payload_.resize(have + want);
            const size_t got = Pull(payload_.data() + have, want);
            payload_.resize(have + got);
            if (got < want) break;
        }
        if (payload_.size() == length) {
            Cursor c{payload_.data(), payload_.data(), payload_.data() + payload_.size()};
            uint64_t gap = 0;
            if (!c.Number(gap, RecordStream::MaxGapMs)) return Fault(payloadOffset_, "a tick without its time");
            nextMs_ = session_.ms + static_cast<int64_t>(gap);
            ahead_ = true;
            return true;
        }
    }
    if (end_ != End::None) return false;
    if (streamEnd_) return Fault(offset_, "the data ends inside a tick");
    end_ = End::CutOff;
    message_ = "the file is cut off inside tick " + std::to_string(sessions_ + 1) + " (byte " +
               std::to_string(start) + " of the unpacked data); replayed up to tick " + std::to_string(sessions_);
    return false;
}

bool RecordReader::Parse() {
    using namespace RecordStream;
    Cursor c{payload_.data(), payload_.data(), payload_.data() + payload_.size()};
    uint64_t gap = 0;
    uint64_t open = 0;
    if (!c.Number(gap, MaxGapMs) || !c.Number(open, UINT32_MAX))
        return Fault(c.Offset(payloadOffset_), "a tick without its time and open result");
    session_.ms += static_cast<int64_t>(gap);
    session_.openResult = static_cast<uint32_t>(open);
    session_.keys.clear();
    while (c.p < c.end) {
        const uint64_t at = c.Offset(payloadOffset_);
        const uint8_t tag = *c.p++;
        uint64_t id = 0;
        uint64_t status = 0;
        uint64_t count = 0;
        if (tag == Key) {
            uint64_t code = 0;
            uint64_t inSize = 0;
            if (!c.Number(code, UINT32_MAX) || !c.Number(inSize, MaxInputBytes) || !c.Has(inSize))
                return Fault(at, "a request with a bad code or input");
            if (table_.Size() >= MaxKeys) return Fault(at, "more requests than a recording holds");
            const uint32_t size = static_cast<uint32_t>(inSize);
            if (table_.Find(static_cast<uint32_t>(code), c.p, size)) return Fault(at, "a request defined twice");
            table_.Add(static_cast<uint32_t>(code), c.p, size);
            c.p += inSize;
            continue;
        }
        if (tag != Full && tag != Patch && tag != Same) return Fault(at, "an unknown entry");
        if (!c.Number(id, table_.Size() ? table_.Size() - 1 : 0) || id >= table_.Size())
            return Fault(at, "an answer to a request not defined");
        if (session_.keys.size() >= MaxExchanges) return Fault(at, "more requests in a tick than a recording holds");
        session_.keys.push_back(static_cast<uint32_t>(id));
        const uint32_t key = static_cast<uint32_t>(id);
        const AnswerTable::Answer& before = table_.At(key);
        if (tag == Same) {
            if (!before.answered) return Fault(at, "a request answered 'as before' that was never answered");
            continue;
        }
        if (!c.Number(status, UINT32_MAX) || !c.Number(count, MaxAnswerBytes) || (status != 0 && count != 0))
            return Fault(at, "an answer with a bad status or size");
        if (table_.TotalBytes() - before.bytes.size() + count > MaxTableBytes)
            return Fault(at, "answers larger than a recording holds");
        if (tag == Full) {
            if (!c.Has(count)) return Fault(at, "an answer longer than its tick");
            table_.Store(key, static_cast<uint32_t>(status), c.p, static_cast<size_t>(count));
            c.p += count;
            continue;
        }
        if (!before.answered) return Fault(at, "a change to a request that was never answered");
        uint64_t runs = 0;
        if (!c.Number(runs, count)) return Fault(at, "a change with too many runs");
        std::vector<uint8_t>& bytes = table_.Resize(key, static_cast<uint32_t>(status), static_cast<size_t>(count));
        uint64_t pos = 0;
        for (uint64_t r = 0; r < runs; ++r) {
            uint64_t skip = 0;
            uint64_t length = 0;
            if (!c.Number(skip, count) || !c.Number(length, count) || length == 0 || pos + skip + length > count ||
                !c.Has(length))
                return Fault(c.Offset(payloadOffset_), "a changed run outside its answer");
            pos += skip;
            std::memcpy(bytes.data() + pos, c.p, static_cast<size_t>(length));
            c.p += length;
            pos += length;
        }
    }
    ++sessions_;
    return true;
}
