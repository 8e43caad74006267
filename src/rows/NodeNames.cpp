#include "rows/NodeNames.h"

#include <algorithm>
#include <cstdio>

#include "base/NodeCode.h"
#include "driver/IsoStreamEntryRef.h"
#include "res/StringTable.h"
#include "rows/NameTables.h"
#include "rows/PageDescription.h"

namespace {
std::optional<std::string_view> NameAt(DeviceNames names, uint32_t index) {
    return index < names.size() ? names[index] : std::nullopt;
}

size_t Written(int printed, std::span<char> out) {
    if (out.empty() || printed < 0) return 0;
    return std::min(static_cast<size_t>(printed), out.size() - 1);
}

int Length(std::string_view text) { return static_cast<int>(std::min<size_t>(text.size(), 4096)); }
}  // namespace

size_t StreamName(DeviceNames names, const IsoStreamStatistics& stats, Dir d, uint32_t index, std::span<char> out) {
    if (out.empty()) return 0;
    const unsigned channel = IsoStreamEntryRef::At(stats, d, index).IsoChannel();
    const std::optional<std::string_view> own = NameAt(names, index);
    if (!own || own->empty())
        return Written(std::snprintf(out.data(), out.size(), Str::StreamHeadingFormat, Str::StreamWord, channel), out);
    bool shared = false;
    bool sameChannel = false;
    for (uint32_t other = 0; other < names.size(); ++other) {
        if (other == index || names[other] != own) continue;
        shared = true;
        sameChannel = sameChannel || IsoStreamEntryRef::At(stats, d, other).IsoChannel() == channel;
    }
    if (!shared) return Written(std::snprintf(out.data(), out.size(), "%.*s", Length(*own), own->data()), out);
    // Two streams on one channel: only a driver's mistake, yet each keeps a name of its own.
    if (sameChannel)
        return Written(std::snprintf(out.data(), out.size(), Str::SameNameSameChannelFormat, Length(*own),
                                     own->data(), Str::StreamWord, channel, unsigned(index)),
                       out);
    return Written(std::snprintf(out.data(), out.size(), Str::SameNameStreamFormat, Length(*own), own->data(),
                                 Str::StreamWord, channel),
                   out);
}

size_t BundleName(DeviceNames names, const StatisticsSnapshot& s, Dir d, uint32_t index, std::span<char> out) {
    if (out.empty()) return 0;
    const std::string_view own = NameAt(names, index).value_or(std::string_view());
    const uint32_t type = s.Bundle(d, index).BundleType();
    bool shared = false;
    for (uint32_t other = 0; other < names.size() && !shared; ++other)
        shared = other != index && NameAt(names, other).value_or(std::string_view()) == own &&
                 BundleTypeName(s.Bundle(d, other).BundleType()) == BundleTypeName(type);
    const int printed =
        shared ? std::snprintf(out.data(), out.size(), Str::SameNameBundleFormat, Length(own), own.data(),
                               BundleTypeName(type), unsigned(index))
               : std::snprintf(out.data(), out.size(), Str::BundleLabelFormat, Length(own), own.data(),
                               BundleTypeName(type));
    return Written(printed, out);
}

const char* RootLabel(uint32_t kind) {
    const PageDescription* root = ParentOf(kind);
    if (root == nullptr) root = PageOf(kind);
    return root && root->label ? root->label : Str::NodeChannelsOut;
}
