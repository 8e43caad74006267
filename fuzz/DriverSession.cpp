#include "fuzz/DriverSession.h"

#include <cstdio>

#include "base/RestoreWindow.h"
#include "cycle/PollingCycle.h"
#include "fuzz/AnswerEncoding.h"
#include "fuzz/SessionScript.h"
#include "fuzz/SnapshotInvariants.h"
#include "rows/PageDescription.h"

namespace AE = AnswerEncoding;

namespace {

// The window the polling cycle talks to, minus the window: it keeps nothing, and on a walk it
// makes the requests that showing each page makes.
class Windowless : public IStatusPanes, public IToolbarImage, public IPollingView {
public:
    explicit Windowless(CDev& dev) : dev_(dev) {}
    bool walking = false;
    bool refreshed = false;  // the tick re-read the snapshot

    void SetPane(int, std::string_view, Colour, Colour) override {}
    void RepaintNow() override {}
    void LoadBitmap(int) override {}
    void RefreshInfoPage(bool keepBuildText) override { refreshed = refreshed || !keepBuildText; }
    void ResetPageState() override {}
    void ShowPlaceholder(PageId, std::string_view) override {}
    void RebuildTree() override {}
    void SelectLastSelectedItem() override {}
    void SelectGeneral() override {}
    void ClearDescription() override {}

    void RefreshPage(PageId page) override {
        if (!walking) return;
        const StatisticsSnapshot& s = dev_.Snapshot();
        const PageDescription* description = PageOf(RootKindOf(page));
        if (description == nullptr) return;
        if (description->requests & RequestGlobalInfo) dev_.ReadGlobalInfo();
        if (description->requests & RequestItemNames)
            for (uint32_t i = 0; i < ChildCount(*description, s); ++i)
                Name(ItemDeviceId(*description, s, description->kind, i));
    }

private:
    void Name(uint32_t deviceId) { SnapshotInvariants::CheckDeviceName(dev_.GetDeviceName(deviceId), "naming a device"); }

    CDev& dev_;
};

// FNV-1a: the transcript records the snapshot's bytes without holding megabytes of them.
uint64_t Hash(const void* data, size_t size) {
    uint64_t h = 1469598103934665603ull;
    for (const auto* p = static_cast<const uint8_t*>(data); size--; ++p) h = (h ^ *p) * 1099511628211ull;
    return h;
}

void Describe(const CDev& dev, std::string& out) {
    const PublishedDriverVersion& v = dev.Published();
    char line[160];
    std::snprintf(line, sizeof line, "open %d devices %u version %u.%u %u.%u.%u flags %u/%u snapshot %016llx\n",
                  dev.IsOpen(), dev.DeviceCount(), v.interfaceMajor, v.interfaceMinor, v.releaseMajor,
                  v.releaseMinor, v.releaseBuild, v.DebugBuild, v.ExtendedStatistics,
                  static_cast<unsigned long long>(Hash(&dev.Snapshot(), sizeof(StatisticsSnapshot))));
    out += line;
}

}  // namespace

DriverSession::DriverSession() : dev_(slot_) { slot_.Watch(&dev_.Snapshot(), sizeof(StatisticsSnapshot)); }

void DriverSession::Run(ControlDevice& device, SessionScript& script, std::string* transcript) {
    // What the previous session left goes first: records, counts, the published version and
    // which records were answered.
    slot_.Plug(nullptr);
    slot_.ZeroWritten();
    dev_.ResetDeviceCount();
    dev_.Published() = PublishedDriverVersion{};
    static const RecordValidity nothingAnswered;
    dev_.MutableValidity() = nothingAnswered;
    dev_.ClearReadFailed();

    Windowless window(dev_);
    RestoreWindow restore;
    PollingCycle cycle(dev_, restore, window, window, window);
    script.StoredNode();  // the panel's remembered node means nothing here
    slot_.Plug(&device);
    for (int tick = 0; tick < MaxTicks; ++tick) {
        std::optional<uint8_t> action = script.NextAction();
        if (!action) break;
        if (AE::TogglesReading(*action)) cycle.OnStartStop();
        if (*action & AE::ActionClear) cycle.ClearStatistics();
        window.walking = *action & AE::ActionWalk;
        window.refreshed = false;
        slot_.ForgetAnswered();
        cycle.OnRefreshTimer();
        SnapshotInvariants::Check(dev_, "after a tick");
        if (window.refreshed) SnapshotInvariants::CheckAnswered(dev_, answered_ = slot_.Answered(), "after a refresh");
        if (transcript) Describe(dev_, *transcript);
    }
    slot_.Plug(nullptr);
}
