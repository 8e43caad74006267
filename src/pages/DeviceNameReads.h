#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/CDev.h"
#include "rows/NodeNames.h"

// The names CDev::GetDeviceName gives for the items of a page, one request per item, kept
// apart since each request overwrites the buffer of the one before.
class DeviceNameReads {
public:
    // idOf(i) is the device id of item i.
    template <typename IdOf>
    void Read(CDev& dev, uint32_t count, IdOf idOf) {
        texts_.assign(count, std::string());
        read_.assign(count, false);
        for (uint32_t i = 0; i < count; ++i) {
            const char* name = dev.GetDeviceName(idOf(i));
            read_[i] = name != nullptr;
            if (name) texts_[i] = name;
        }
        views_.assign(count, std::nullopt);
        for (uint32_t i = 0; i < count; ++i)
            if (read_[i]) views_[i] = texts_[i];
    }
    DeviceNames Names() const { return views_; }

private:
    std::vector<std::string> texts_;
    std::vector<bool> read_;
    std::vector<std::optional<std::string_view>> views_;
};
