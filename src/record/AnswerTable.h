#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The driver's latest answer to each request a recording holds, a request being a control code
// with its input bytes. Keys are numbered in the order they first appear; the recording names
// them by these numbers.
class AnswerTable {
public:
    struct Answer {
        uint32_t code = 0;
        std::string input;
        bool answered = false;  // an answer has been stored since the key appeared
        uint32_t status = 0;
        std::vector<uint8_t> bytes;  // empty unless status is 0
    };

    std::optional<uint32_t> Find(uint32_t code, const void* in, uint32_t inSize) const;
    uint32_t Add(uint32_t code, const void* in, uint32_t inSize);
    size_t Size() const { return answers_.size(); }
    const Answer& At(uint32_t id) const { return answers_[id]; }
    // Sets a key's answer; the caller keeps TotalBytes within its bound.
    void Store(uint32_t id, uint32_t status, const uint8_t* bytes, size_t count);
    // Resizes a key's answer (new bytes are zero) for a patch, keeping the total.
    std::vector<uint8_t>& Resize(uint32_t id, uint32_t status, size_t count);
    // The bytes of every answer held.
    uint64_t TotalBytes() const { return totalBytes_; }
    void Clear();

private:
    static std::string KeyOf(uint32_t code, const void* in, uint32_t inSize);

    std::vector<Answer> answers_;
    std::unordered_map<std::string, uint32_t> index_;
    uint64_t totalBytes_ = 0;
};
