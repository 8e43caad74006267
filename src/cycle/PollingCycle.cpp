#include "cycle/PollingCycle.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/NodeCode.h"
#include "driver/IoctlCodes.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "rows/PageDescription.h"

namespace {
enum Pane { ReadingPane = 0, ElapsedPane = 1, DriverPane = 2 };

struct PaneState {
    const char* text;
    Colour background;
    Colour foreground;
};
const PaneState OpenedCantRead{Str::StatusOpenedCantRead, Colours::White, Colours::StatusBlue};
const PaneState Reading{Str::StatusReading, Colours::White, Colours::Black};
const PaneState Stopped{Str::StatusStopped, Colours::White, Colours::StatusRed};
const PaneState Trying{Str::StatusTrying, Colours::White, Colours::StatusRed};
const PaneState ElapsedLabel{Str::StatusElapsedLabel, Colours::White, Colours::Black};
const PaneState NotOpened{Str::StatusNotOpened, Colours::StatusRed, Colours::White};
const PaneState Opened{Str::StatusOpened, Colours::StatusGreen, Colours::White};

void Show(IStatusPanes& status, int pane, const PaneState& s) { status.SetPane(pane, s.text, s.background, s.foreground); }

// The pages in the order one refresh updates them, once the records are re-read.
constexpr std::array<PageId, 5> RefreshOrder{PageId::IsoInStreams, PageId::IsoOutStreams, PageId::Devices,
                                             PageId::ChannelsIn, PageId::ChannelsOut};

// The lists that show a placeholder while no driver is there, each with its node's kind.
struct Placeholder {
    PageId page;
    uint32_t kind;
};
constexpr std::array<Placeholder, 6> Placeholders{{
    {PageId::IsoInStreams, NodeKind_IsoInStreams},
    {PageId::IsoOutStreams, NodeKind_IsoOutStreams},
    {PageId::Asio, NodeKind_Asio},
    {PageId::ChannelsIn, NodeKind_ChannelsIn},
    {PageId::ChannelsOut, NodeKind_ChannelsOut},
    {PageId::Devices, NodeKind_Devices},
}};
}  // namespace

PollingCycle::PollingCycle(CDev& dev, RestoreWindow& restore, IStatusPanes& status, IToolbarImage& toolbar,
                           IPollingView& view, ElapsedClock::MonotonicMs clock)
    : dev_(dev), restore_(restore), status_(status), toolbar_(toolbar), view_(view),
      toolbarBitmapId_(Res::IDB_READING_1), elapsed_(std::move(clock)) {}

void PollingCycle::SetInitialPanes() {
    Show(status_, ReadingPane, OpenedCantRead);
    Show(status_, ElapsedPane, ElapsedLabel);
    Show(status_, DriverPane, NotOpened);
}

void PollingCycle::OnRefreshTimer() {
    if (!dev_.IsOpen()) dev_.Open();
    if (!dev_.IsOpen() || !readingEnabled_) readFailed_ = false;
    UpdateStatus(readingEnabled_);
    if (!dev_.IsOpen()) {
        if (!viewIsReset_) ResetView();
    } else {
        viewIsReset_ = false;
        if (readingEnabled_) {
            RefreshAll();
            // The status went out before the reads: tell now if they failed, or no longer do.
            if (dev_.ReadFailed() != readFailed_) {
                readFailed_ = dev_.ReadFailed();
                ShowReadingState();
                status_.RepaintNow();
            }
        }
        if (restore_.IsOpen()) {
            view_.SelectLastSelectedItem();
            restore_.CountTick();
        }
    }
    TickFacts facts;
    facts.monotonicMs = elapsed_.NowMs();
    facts.deviceOpen = dev_.IsOpen();
    facts.readingEnabled = readingEnabled_;
    facts.refreshed = facts.deviceOpen && readingEnabled_;
    if (facts.refreshed) {
        facts.readFailed = dev_.ReadFailed();
        facts.snapshot = &dev_.Snapshot();
        facts.validity = &dev_.Validity();
    }
    Tell([&facts](ITickObserver& o) { o.OnTick(facts); });
    if (dev_.IsOpen()) dev_.Close();
}

void PollingCycle::OnStartStop() {
    readingEnabled_ = !readingEnabled_;
    const int64_t now = elapsed_.NowMs();
    Tell([this, now](ITickObserver& o) { o.OnReadingSwitched(now, readingEnabled_); });
}

void PollingCycle::TraceMaskChanged(uint32_t before, uint32_t after) {
    const int64_t now = elapsed_.NowMs();
    Tell([=](ITickObserver& o) { o.OnTraceMaskChanged(now, before, after); });
}

bool PollingCycle::AddObserver(ITickObserver& observer) {
    for (ITickObserver*& slot : observers_) {
        if (slot == &observer) return true;
        if (slot == nullptr) {
            slot = &observer;
            return true;
        }
    }
    return false;
}

void PollingCycle::RemoveObserver(ITickObserver& observer) {
    // Later observers move up, so the order of the rest is kept.
    auto end = std::remove(observers_.begin(), observers_.end(), &observer);
    std::fill(end, observers_.end(), nullptr);
}

template <typename Call>
void PollingCycle::Tell(Call call) {
    for (ITickObserver* o : observers_)
        if (o != nullptr) call(*o);
}

void PollingCycle::UpdateStatus(bool reading) {
    if (reading)
        toolbarBitmapId_ = toolbarBitmapId_ == Res::IDB_READING_1 ? Res::IDB_READING_2 : Res::IDB_READING_1;
    else
        toolbarBitmapId_ = Res::IDB_STOPPED;
    toolbar_.LoadBitmap(toolbarBitmapId_);

    if (reading)
        ShowReadingState();
    else
        Show(status_, ReadingPane, Stopped);
    if (dev_.IsOpen()) {
        Show(status_, DriverPane, Opened);
    } else {
        Show(status_, DriverPane, NotOpened);
        Show(status_, ReadingPane, Trying);
    }
    status_.SetPane(ElapsedPane, elapsed_.ElapsedText(), Colours::White, Colours::Black);
    status_.RepaintNow();
}

void PollingCycle::ShowReadingState() { Show(status_, ReadingPane, readFailed_ ? OpenedCantRead : Reading); }

void PollingCycle::RefreshAll() {
    if (!dev_.IsOpen()) return;
    dev_.ClearReadFailed();
    dev_.ReadDriverVersion();
    view_.RefreshInfoPage(false);
    // The ASIO page shows the records of the previous refresh: it runs before they are re-read.
    view_.RefreshPage(PageId::Asio);
    dev_.ReadAsioStatistics();
    dev_.ReadAsioInfo();
    dev_.ReadDevices();
    dev_.ReadIsoStreamStatistics();
    dev_.ReadChannelBundles();
    lastRead_ = std::chrono::system_clock::now();
    for (PageId page : RefreshOrder) view_.RefreshPage(page);
}

void PollingCycle::ResetView() {
    viewIsReset_ = true;
    view_.ResetPageState();
    dev_.ResetDeviceCount();
    view_.RebuildTree();
    dev_.ReadDriverVersion();
    view_.RefreshInfoPage(true);
    for (const Placeholder& p : Placeholders) view_.ShowPlaceholder(p.page, PageOf(p.kind)->placeholder);
    view_.SelectGeneral();
    view_.ClearDescription();
}

void PollingCycle::ClearStatistics() {
    if (!dev_.IsOpen()) dev_.Open();
    const bool sent = dev_.IsOpen() && dev_.Control(IOCTL_QOR_CLEAR_STATISTICS, nullptr, 0, nullptr, 0) == 0;
    if (dev_.IsOpen()) dev_.Close();
    const int64_t now = elapsed_.NowMs();
    Tell([=](ITickObserver& o) { o.OnClearStatistics(now, sent); });
}
