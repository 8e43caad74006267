#pragma once

#include <string_view>

#include "base/Colours.h"
#include "base/NodeCode.h"

// What the polling cycle needs of the window, so that it runs and is tested without one.

enum class PageId { Info, Asio, Devices, IsoInStreams, IsoOutStreams, ChannelsIn, ChannelsOut };
// The node kind of the page's root, by which its description is found.
constexpr uint32_t RootKindOf(PageId page) {
    constexpr uint32_t kinds[] = {NodeKind_Info,         NodeKind_Asio,       NodeKind_Devices,    NodeKind_IsoInStreams,
                                  NodeKind_IsoOutStreams, NodeKind_ChannelsIn, NodeKind_ChannelsOut};
    return kinds[static_cast<int>(page)];
}

class IStatusPanes {
public:
    virtual ~IStatusPanes() = default;
    // Stores a pane's text and colours; nothing shows until RepaintNow.
    virtual void SetPane(int pane, std::string_view text, Colour background, Colour foreground) = 0;
    virtual void RepaintNow() = 0;
};

class IToolbarImage {
public:
    virtual ~IToolbarImage() = default;
    virtual void LoadBitmap(int bitmapId) = 0;
};

class IPollingView {
public:
    virtual ~IPollingView() = default;
    // The driver information page; keepBuildText leaves the build line as it is.
    virtual void RefreshInfoPage(bool keepBuildText) = 0;
    virtual void RefreshPage(PageId page) = 0;
    // Cached counts of the list pages and the single stream and channel indexes back to 0.
    virtual void ResetPageState() = 0;
    virtual void ShowPlaceholder(PageId page, std::string_view heading) = 0;
    virtual void RebuildTree() = 0;
    // Selects the stored node if the tree has it (running the selection change).
    virtual void SelectLastSelectedItem() = 0;
    virtual void SelectGeneral() = 0;
    virtual void ClearDescription() = 0;
};
