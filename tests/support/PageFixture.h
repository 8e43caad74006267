#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "base/RestoreWindow.h"
#include "controls/CListColorCtrlEx.h"
#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "pages/PageContext.h"
#include "support/FakeStatisticsTree.h"
#include "support/ScriptedControlDevice.h"

// Everything a page needs, without a view: an open scripted driver that knows some devices,
// a snapshot the test writes directly at the driver's record offsets, a fake tree and a closed
// restore window.
struct PageFixture {
    struct Device {
        std::string hardwareName;
        std::string nickName;
        bool readable = true;  // false: its information request fails
    };

    ScriptedControlDevice device;
    CDev dev{device};
    RestoreWindow restore;
    FakeStatisticsTree tree;
    PageContext context{dev, restore, tree};

    // In device list order.
    std::vector<std::pair<uint32_t, Device>> devices;
    uint32_t sampleRate = 0;
    std::array<uint8_t, 12> version{};
    bool versionFails = false;

    PageFixture() {
        restore.Close();  // the pages' own changes open it
        device.handler = [this](const ScriptedControlDevice::Request& r, uint8_t* out) { return Answer(r, out); };
        dev.Open();
        AnswerAll();
    }

    // The test writes the snapshot itself: every record counts as answered until it says otherwise.
    void AnswerAll() {
        RecordValidity& v = dev.MutableValidity();
        v.driverVersion = v.deviceList = v.sampleRate = v.asioStatistics = v.asioInfo = v.isoStreams = v.bundleList =
            true;
        v.devices.set();
        for (auto& half : v.bundles) half.set();
        for (auto& half : v.channels)
            for (auto& bundle : half) bundle.set();
    }
    RecordValidity& Answered() { return dev.MutableValidity(); }

    StatisticsSnapshot& Snap() { return dev.MutableSnapshot(); }

    void AddDevice(uint32_t id, std::string hardwareName, std::string nickName = "", bool readable = true) {
        devices.push_back({id, Device{std::move(hardwareName), std::move(nickName), readable}});
    }
    // Ids the driver does not know: their names cannot be read.
    void AddUnknownDevice(uint32_t id) { AddDevice(id, "", "", false); }

    // ISO stream entries: 16 input entries of 164 bytes from byte 4, the output count at 2628,
    // 16 output entries of 88 bytes from byte 2632.
    static size_t StreamOffset(Dir d, uint32_t i) { return d == Dir::In ? 4 + 164 * size_t(i) : 2632 + 88 * size_t(i); }
    void SetStreams(Dir d, uint32_t n) { Snap().isoStreamStatistics.PutU32(d == Dir::In ? 0 : 2628, n); }
    void PutStream(Dir d, uint32_t i, size_t offset, uint32_t value) {
        Snap().isoStreamStatistics.PutU32(StreamOffset(d, i) + offset, value);
    }
    void PutStreamByte(Dir d, uint32_t i, size_t offset, uint8_t value) {
        Snap().isoStreamStatistics.bytes[StreamOffset(d, i) + offset] = value;
    }

    // Channel bundles: the output half of the bundle list from byte 516; a bundle's type at 4,
    // its channel count at 8 and 56-byte channel entries from 12.
    void SetBundles(Dir d, uint32_t n) { Snap().bundleList.PutU32(d == Dir::In ? 0 : 516, n); }
    void PutBundle(Dir d, uint32_t b, uint32_t type, uint32_t channels) {
        ChannelBundleInfo& bundle = Snap().MutableBundle(d, b);
        bundle.PutU32(4, type);
        bundle.PutU32(8, channels);
    }
    void PutEntry(Dir d, uint32_t b, uint32_t c, size_t offset, uint32_t value) {
        Snap().MutableBundle(d, b).PutU32(12 + 56 * size_t(c) + offset, value);
    }
    // The channel's device id at 4, direction at 8, hardware name at 12 and nick name at 52.
    void PutChannel(Dir d, uint32_t b, uint32_t c, uint32_t deviceId, uint32_t direction, std::string_view hardwareName,
                    std::string_view nickName = "") {
        ChannelInfo& info = Snap().MutableChannel(d, b, c);
        info.PutU32(4, deviceId);
        info.PutU32(8, direction);
        Le::PutText(info.Data() + 12, 40, hardwareName);
        Le::PutText(info.Data() + 52, 40, nickName);
    }

    static std::string Text(const CListColorCtrlEx& list, int row, int column) {
        return list.CellText(row, column).toLatin1().toStdString();
    }
    static std::string Heading(const CListColorCtrlEx& list, int column) {
        return list.HeadingText(column).toLatin1().toStdString();
    }
    // A number cell as the user reads it: the number, one blank and the unit (UTF-8).
    static std::string NumberText(int64_t value, const char* unit) {
        std::string text = std::to_string(value);
        return unit && *unit ? text + " " + unit : text;
    }
    static std::string Utf8(const CListColorCtrlEx& list, int row, int column) {
        return list.CellText(row, column).toStdString();
    }

private:
    const Device* Find(uint32_t id) const {
        for (const auto& [known, d] : devices)
            if (known == id) return &d;
        return nullptr;
    }

    uint32_t Answer(const ScriptedControlDevice::Request& r, uint8_t* out) {
        switch (r.code) {
            case IOCTL_QOR_GET_DRIVER_VERSION:
                if (versionFails) return WinError::GenFailure;
                std::copy(version.begin(), version.end(), out);
                return 0;
            case IOCTL_QOR_GET_DEVICE_LIST:
                Le::PutU32(out, static_cast<uint32_t>(devices.size()));
                for (size_t i = 0; i < devices.size() && i < DeviceList::Capacity; ++i)
                    Le::PutU32(out + 4 + 4 * i, devices[i].first);
                return 0;
            case IOCTL_QOR_GET_DEVICE_INFO: {
                const Device* d = Find(r.input);
                if (!d || !d->readable) return WinError::GenFailure;
                // Id at 0, nick name (40 bytes) at 8, hardware name (384 bytes) at 48.
                Le::PutU32(out, r.input);
                Le::PutText(out + 8, 40, d->nickName);
                Le::PutText(out + 48, 384, d->hardwareName);
                return 0;
            }
            case IOCTL_QOR_GET_DEVICE_STREAM_INFO:
            case IOCTL_QOR_GET_GLOBAL_VALUE:
            case IOCTL_QOR_GET_GLOBAL_PAIR: return 0;
            case IOCTL_QOR_GET_SAMPLE_RATE_INFO: Le::PutU32(out + 4, sampleRate); return 0;
            default: return WinError::InvalidFunction;
        }
    }
};
