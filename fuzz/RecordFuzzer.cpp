// libFuzzer entry points of the recording reader: the input is a recording from a stranger. An
// input that starts as a recording is read as the file it is; any other is taken as the unpacked
// stream behind a good header and packed here first, so that the fuzzer reaches the sessions'
// parser rather than spending itself on zlib's checksums.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <streambuf>
#include <vector>
#include <zlib.h>

#include "record/RecordHeader.h"
#include "record/RecordReader.h"
#include "record/RecordStream.h"
#include "record/ReplayControlDevice.h"

namespace {
// The input's bytes as a stream, without a copy.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(const uint8_t* data, size_t size) {
        char* p = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(p, p, p + size);
    }
};

void Check(bool condition) {
    if (!condition) std::abort();
}

void Read(const uint8_t* data, size_t size) {
    MemoryBuffer buffer(data, size);
    std::istream in(&buffer);
    RecordReader reader(in);
    if (!reader.Start()) {
        Check(!reader.Message().empty());
        return;
    }
    ReplayControlDevice device(reader);
    uint8_t answer[RecordStream::MaxAnswerBytes];
    int64_t lastMs = 0;
    while (device.Open() == 0 || reader.Ended() == RecordReader::End::None) {
        const AnswerTable& answers = reader.Answers();
        Check(answers.Size() <= RecordStream::MaxKeys && answers.TotalBytes() <= RecordStream::MaxTableBytes);
        Check(reader.Current().ms >= lastMs);
        lastMs = reader.Current().ms;
        // Every request of the session is answered as recorded, within the caller's buffer.
        for (uint32_t key : reader.Current().keys) {
            Check(key < answers.Size());
            const AnswerTable::Answer& a = answers.At(key);
            uint32_t returned = 0;
            const uint32_t status =
                ReplayControlDevice::Answer(answers, a.code, a.input.data(), static_cast<uint32_t>(a.input.size()),
                                            answer, sizeof answer, returned);
            Check(status == a.status && returned == a.bytes.size() && returned <= sizeof answer);
        }
        device.Close();
    }
    Check(reader.Ended() == RecordReader::End::Complete || !reader.Message().empty());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= sizeof RecordHeader::Magic && std::memcmp(data, RecordHeader::Magic, sizeof RecordHeader::Magic) == 0) {
        Read(data, size);
        return 0;
    }
    static std::vector<uint8_t> file;
    RecordHeader header = RecordHeader::ThisPanel(0, 500);
    uLongf packed = compressBound(static_cast<uLong>(size));
    file.resize(RecordHeader::Size + packed);
    header.Encode(*reinterpret_cast<uint8_t(*)[RecordHeader::Size]>(file.data()));
    if (compress(file.data() + RecordHeader::Size, &packed, data, static_cast<uLong>(size)) != Z_OK) return 0;
    Read(file.data(), RecordHeader::Size + packed);
    return 0;
}
