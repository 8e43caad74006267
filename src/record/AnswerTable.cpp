#include "record/AnswerTable.h"

#include <cstring>

#include "base/LittleEndian.h"

std::string AnswerTable::KeyOf(uint32_t code, const void* in, uint32_t inSize) {
    // Four bytes of code and the panel's four of input stay within the string's own buffer.
    std::string key(4 + inSize, '\0');
    Le::PutU32(reinterpret_cast<uint8_t*>(key.data()), code);
    if (inSize) std::memcpy(key.data() + 4, in, inSize);
    return key;
}

std::optional<uint32_t> AnswerTable::Find(uint32_t code, const void* in, uint32_t inSize) const {
    auto it = index_.find(KeyOf(code, in, inSize));
    if (it == index_.end()) return std::nullopt;
    return it->second;
}

uint32_t AnswerTable::Add(uint32_t code, const void* in, uint32_t inSize) {
    const uint32_t id = static_cast<uint32_t>(answers_.size());
    Answer& a = answers_.emplace_back();
    a.code = code;
    a.input.assign(static_cast<const char*>(in), inSize);
    index_.emplace(KeyOf(code, in, inSize), id);
    return id;
}

void AnswerTable::Store(uint32_t id, uint32_t status, const uint8_t* bytes, size_t count) {
    std::vector<uint8_t>& out = Resize(id, status, count);
    if (count) std::memcpy(out.data(), bytes, count);
}

std::vector<uint8_t>& AnswerTable::Resize(uint32_t id, uint32_t status, size_t count) {
    Answer& a = answers_[id];
    totalBytes_ = totalBytes_ - a.bytes.size() + count;
    a.bytes.resize(count);
    a.status = status;
    a.answered = true;
    return a.bytes;
}

void AnswerTable::Clear() {
    answers_.clear();
    index_.clear();
    totalBytes_ = 0;
}
