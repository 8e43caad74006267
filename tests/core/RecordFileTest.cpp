#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "record/RecordReader.h"
#include "record/RecordStream.h"
#include "record/RecordWriter.h"
#include "record/Varint.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct Exchange {
    uint32_t code;
    Bytes in;
    uint32_t status;
    Bytes answer;
};
struct Session {
    int64_t ms;
    uint32_t open;
    std::vector<Exchange> exchanges;
};

Bytes Counting(size_t n, uint8_t from) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(from + i * 7);
    return b;
}

Bytes Changed(Bytes b, std::initializer_list<size_t> at) {
    for (size_t i : at) b[i] ^= 0x5A;
    return b;
}

// New keys, answers kept, patched, grown, shrunk, failed and answered again, an open that failed,
// and the largest answer there is.
const std::vector<Session>& Script() {
    static const Bytes a = Counting(600, 1);
    static const std::vector<Session> script = {
        {0, 0, {{0x80882804, {}, 0, Counting(20, 9)}, {0x80882808, {1, 0, 0, 0}, 0, a}, {0x80882808, {2, 0, 0, 0}, 0, a}}},
        {500, 0, {{0x80882804, {}, 0, Counting(20, 9)}, {0x80882808, {1, 0, 0, 0}, 0, Changed(a, {3, 4, 300, 599})}}},
        {1000, 2, {}},
        {1700, 0, {{0x80882808, {1, 0, 0, 0}, 31, {}}, {0x80882808, {2, 0, 0, 0}, 0, Counting(900, 1)}}},
        {2200, 0, {{0x80882808, {1, 0, 0, 0}, 0, Counting(10, 1)}, {0x80882808, {2, 0, 0, 0}, 0, Counting(5, 1)}}},
        {2700, 0, {{0x8088280C, {}, 0, Counting(RecordStream::MaxAnswerBytes, 3)}, {0x80882810, {}, 121, {}}}},
    };
    return script;
}

void Write(RecordWriter& writer, const std::vector<Session>& script, std::vector<uint64_t>* sizes = nullptr) {
    for (const Session& s : script) {
        writer.BeginSession(s.ms, s.open);
        for (const Exchange& e : s.exchanges)
            writer.Exchange(e.code, e.in.data(), static_cast<uint32_t>(e.in.size()), e.status, e.answer.data(),
                            static_cast<uint32_t>(e.answer.size()));
        writer.EndSession();
        if (sizes) sizes->push_back(writer.FileBytes());
    }
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ReadResult {
    RecordReader::End end;
    uint64_t sessions;
    std::string message;
};

ReadResult ReadAll(const std::string& bytes) {
    std::istringstream in(bytes);
    RecordReader reader(in);
    if (reader.Start())
        while (reader.Next()) {
        }
    return {reader.Ended(), reader.Sessions(), reader.Message()};
}

// A good header and the given unpacked stream, packed.
std::string Packed(const Bytes& stream) {
    uint8_t header[RecordHeader::Size];
    RecordHeader::ThisPanel(0, 500).Encode(header);
    uLongf size = compressBound(static_cast<uLong>(stream.size()));
    Bytes packed(size);
    compress(packed.data(), &size, stream.data(), static_cast<uLong>(stream.size()));
    return std::string(reinterpret_cast<char*>(header), sizeof header) +
           std::string(reinterpret_cast<char*>(packed.data()), size);
}

// One session whose payload (after the gap and open result) is `records`.
Bytes SessionOf(const Bytes& records) {
    Bytes payload{0, 0};
    payload.insert(payload.end(), records.begin(), records.end());
    Bytes out{RecordStream::Session};
    Varint::Put(out, payload.size());
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class RecordFileTest : public ::testing::Test {
protected:
    fs::path path = fs::temp_directory_path() /
                    ("qor-record-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    void TearDown() override { fs::remove(path); }
};
}  // namespace

TEST_F(RecordFileTest, EverySessionReadsBackAsItsDriverAnsweredIt) {
    {
        RecordWriter writer;
        ASSERT_TRUE(writer.Open(path, RecordHeader::ThisPanel(1795046400123, 500), {}));
        Write(writer, Script());
    }
    std::ifstream in(path, std::ios::binary);
    RecordReader reader(in);
    ASSERT_TRUE(reader.Start()) << reader.Message();
    EXPECT_EQ(reader.Header().startMs, 1795046400123);
    EXPECT_EQ(reader.Header().periodMs, 500u);
    for (const Session& s : Script()) {
        ASSERT_TRUE(reader.Next()) << reader.Message();
        EXPECT_EQ(reader.Current().ms, s.ms);
        EXPECT_EQ(reader.Current().openResult, s.open);
        ASSERT_EQ(reader.Current().keys.size(), s.exchanges.size());
        for (size_t i = 0; i < s.exchanges.size(); ++i) {
            const Exchange& e = s.exchanges[i];
            const AnswerTable::Answer& a = reader.Answers().At(reader.Current().keys[i]);
            EXPECT_EQ(a.code, e.code);
            EXPECT_EQ(a.input, std::string(e.in.begin(), e.in.end()));
            EXPECT_EQ(a.status, e.status);
            EXPECT_EQ(a.bytes, e.answer) << "session at " << s.ms << " ms, request " << i;
        }
    }
    EXPECT_FALSE(reader.Next());
    EXPECT_EQ(reader.Ended(), RecordReader::End::Complete);
}

// Cut off anywhere, a file gives every session that came whole before the cut, and says where.
TEST_F(RecordFileTest, ACutOffFileReadsUpToItsLastWholeTick) {
    std::vector<uint64_t> sizes;
    {
        RecordWriter writer;
        ASSERT_TRUE(writer.Open(path, RecordHeader::ThisPanel(0, 500), {}));
        Write(writer, Script(), &sizes);
    }
    const std::string whole = FileText(path);
    for (size_t s = 0; s < sizes.size(); ++s) {
        const uint64_t before = s ? sizes[s - 1] : RecordHeader::Size;
        for (uint64_t cut : {sizes[s], (before + sizes[s]) / 2}) {
            SCOPED_TRACE("cut at " + std::to_string(cut));
            const ReadResult r = ReadAll(whole.substr(0, cut));
            EXPECT_EQ(r.end, RecordReader::End::CutOff) << r.message;
            EXPECT_EQ(r.sessions, cut == sizes[s] ? s + 1 : s);
        }
    }
    EXPECT_EQ(ReadAll(whole.substr(0, RecordHeader::Size)).sessions, 0u);
}

// A damaged or hostile file ends with a message naming the byte, never a crash.
TEST(RecordFile, ADamagedOrHostileFileEndsWithTheByteWhereItWentWrong) {
    const Bytes key = {RecordStream::Key, 4, 0};
    const Bytes full = {RecordStream::Full, 0, 0, 2, 7, 7};
    std::string badMagic = Packed(SessionOf(Cat({key, full})));
    badMagic[0] = 'X';
    std::string newer = Packed({});
    newer[8] = 2;
    std::string damaged = Packed(Cat({SessionOf(Cat({key, full})), SessionOf(Cat({key, full}))}));
    damaged[damaged.size() - 6] ^= 0xFF;
    const Bytes eleven(11, 0x81);
    struct Case {
        const char* name;
        std::string file;
        const char* message;
    } cases[] = {
        {"short header", std::string(10, 'Q'), "byte 0 of the file: the file is shorter than a recording's header"},
        {"no magic", badMagic, "not a recording of the driver"},
        {"newer version", newer, "format version 2, this program reads version 1"},
        {"damaged data", damaged, "of the file: damaged compressed data"},
        {"no tick tag", Packed({'X'}), "byte 0 of the unpacked data (tick 1): a tick begins with an unknown entry"},
        {"huge tick", Packed({RecordStream::Session, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}), "more than a recording holds"},
        {"ends in a tick", Packed({RecordStream::Session, 50, 0, 0}), "the data ends inside a tick"},
        {"unknown entry", Packed(SessionOf({'Z'})), "byte 4 of the unpacked data (tick 1): an unknown entry"},
        {"undefined key", Packed(SessionOf(full)), "an answer to a request not defined"},
        {"key twice", Packed(SessionOf(Cat({key, key}))), "a request defined twice"},
        {"input too long", Packed(SessionOf({RecordStream::Key, 4, 0x81, 0x02})), "a request with a bad code or input"},
        {"input past the tick", Packed(SessionOf({RecordStream::Key, 4, 8, 1})), "a request with a bad code or input"},
        {"answer too long", Packed(SessionOf(Cat({key, {RecordStream::Full, 0, 0, 0x81, 0x80, 0x04}}))),
         "an answer with a bad status or size"},
        {"answer past the tick", Packed(SessionOf(Cat({key, {RecordStream::Full, 0, 0, 9, 1}}))),
         "an answer longer than its tick"},
        {"failure with bytes", Packed(SessionOf(Cat({key, {RecordStream::Full, 0, 31, 1, 1}}))),
         "an answer with a bad status or size"},
        {"same, never answered", Packed(SessionOf(Cat({key, {RecordStream::Same, 0}}))), "never answered"},
        {"patch, never answered", Packed(SessionOf(Cat({key, {RecordStream::Patch, 0, 0, 2, 1, 0, 1, 9}}))),
         "a change to a request that was never answered"},
        {"patch outside", Packed(SessionOf(Cat({key, full, {RecordStream::Patch, 0, 0, 2, 1, 1, 2, 9, 9}}))),
         "a changed run outside its answer"},
        {"empty run", Packed(SessionOf(Cat({key, full, {RecordStream::Patch, 0, 0, 2, 1, 0, 0}}))),
         "a changed run outside its answer"},
        {"number past 64 bits", Packed(Cat({{RecordStream::Session}, eleven})), "a number longer than 64 bits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult r = ReadAll(c.file);
        EXPECT_EQ(r.end, RecordReader::End::Fault);
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        EXPECT_EQ(r.message.rfind("byte ", 0), 0u) << r.message;
    }
}

// The writer stops by itself with a reason, and what it wrote stays a whole recording.
TEST_F(RecordFileTest, TheWriterStopsAtItsLimitsWithAReason) {
    struct Case {
        const char* name;
        fs::path file;
        RecordWriter::Limits limits;
        const char* reason;
        bool readable;
    } cases[] = {
        {"size limit", path, {3000, 0}, "the file reached its size limit of 3000 bytes", true},
        {"disk short", path, {200000000, UINT64_MAX}, "the disk has less than", false},
#ifdef __linux__
        {"disk full", "/dev/full", {200000000, 0}, "writing the file failed", false},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordWriter writer;
        writer.Open(c.file, RecordHeader::ThisPanel(0, 500), c.limits);
        for (int64_t ms = 0; writer.Active() && ms < 100000; ms += 500) {
            writer.BeginSession(ms, 0);
            const Bytes noise = Counting(400, static_cast<uint8_t>(ms / 500 * 13));
            writer.Exchange(0x80882804, nullptr, 0, 0, noise.data(), static_cast<uint32_t>(noise.size()));
            writer.EndSession();
        }
        EXPECT_FALSE(writer.Active());
        EXPECT_NE(writer.Error().find(c.reason), std::string::npos) << writer.Error();
        if (!c.readable) continue;
        EXPECT_LE(fs::file_size(c.file), c.limits.maxFileBytes);
        const ReadResult r = ReadAll(FileText(c.file));
        EXPECT_EQ(r.end, RecordReader::End::Complete) << r.message;
        EXPECT_EQ(r.sessions, writer.Sessions());
    }
}
