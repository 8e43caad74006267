#include "rows/NameTables.h"

#include <span>

#include "res/StringTable.h"

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

// Lower case, unlike the channel list pages' names of the same codes.
constexpr CodeName ChannelTypes[] = {{1, "raw audio"}, {2, "SPDIF"}, {3, "MIDI"}};
constexpr const char* UnknownChannelType = "unknown";

constexpr CodeName PanningSuffixes[] = {
    {1, " (L)"},
    {2, " (R)"},
    {3, " (C)"},
    {4, " (LFE)"},
    {5, " (LS)"},
    {6, " (RS)"},
    {7, " (LC)"},
    {8, " (RC)"},
    {9, " (S)"},
    {10, " (SL)"},
    {11, " (SR)"},
    {12, " (T)"},
    {13, " (B)"},
    {14, " (FEL)"},
    {15, " (FER)"},
    {255, " (No position)"},
};

const char* Lookup(std::span<const CodeName> table, uint32_t code, const char* otherwise = UnknownName) {
    for (const CodeName& entry : table)
        if (entry.code == code) return entry.name;
    return otherwise;
}

}  // namespace

const char* BundleTypeName(uint32_t code) { return Lookup(BundleTypeNames, code); }

const char* ChannelFormatName(uint32_t code) { return Lookup(ChannelFormatNames, code); }

const char* ChannelTypeText(uint32_t code) { return Lookup(ChannelTypes, code, UnknownChannelType); }

const char* PanningSuffix(uint32_t code) { return Lookup(PanningSuffixes, code, Str::NotAvailable); }
