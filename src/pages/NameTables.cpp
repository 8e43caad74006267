#include "pages/NameTables.h"

#include <span>

namespace {

struct CodeName {
    uint32_t code;
    const char* name;
};

constexpr const char* UnknownName = "Unknown";

constexpr CodeName BundleTypeNames[] = {
    {1, "Mono 1C"},
    {2, "Stereo 2C"},
    {3, "Multi Channel"},
    {20, "Effect"},
    {100, "SPDIF Transparent"},
    {101, "SPDIF PCM"},
    {200, "MIDI 1C"},
};

constexpr CodeName ChannelFormatNames[] = {
    {1, "Raw Audio"},
    {2, "SPDIF"},
    {3, "MIDI"},
};

const char* Lookup(std::span<const CodeName> table, uint32_t code) {
    for (const CodeName& entry : table)
        if (entry.code == code) return entry.name;
    return UnknownName;
}

}  // namespace

const char* BundleTypeName(uint32_t code) { return Lookup(BundleTypeNames, code); }

const char* ChannelFormatName(uint32_t code) { return Lookup(ChannelFormatNames, code); }
