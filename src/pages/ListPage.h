#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/FormatGrouped.h"
#include "controls/CListColorCtrlEx.h"
#include "pages/CDlgPgBase.h"
#include "rows/ListLayouts.h"
#include "rows/PageCells.h"
#include "rows/PageDescription.h"

// The list template shared by every list page: one colour list control filling the page,
// and the count the list was last built for (0: not built).
class ListPage : public CDlgPgBase {
    Q_OBJECT
public:
    ListPage(const char* objectName, PageContext& context, QWidget* parent = nullptr);

    CListColorCtrlEx& List() { return list_; }
    const CListColorCtrlEx& List() const { return list_; }
    // The count the list was last built for; only the page itself changes it.
    uint32_t Cached() const { return CachedCount; }

    // The no-driver state: one heading spanning the list, nothing else.
    void ShowPlaceholder(std::string_view heading) override;
    // Whether the list shows its placeholder alone, not laid out since.
    bool ShowsPlaceholder() const { return placeholder_; }
    // The columns, rows and child nodes the list keeps until its record answers with another
    // count; nullptr while it shows its placeholder or keeps none.
    const ListLayout* KeptLayout() const { return placeholder_ || !layout_ ? nullptr : &*layout_; }
    void ResetState() override { CachedCount = 0; }
    void Grow(QSize extra) override;

protected:
    uint32_t CachedCount = 0;
    // What the list was last laid out with, as the exports read it; set by the lists that keep
    // their layout while their record does not answer.
    std::optional<ListLayout> layout_;

    // What the row tables' cells read from: the latest refresh.
    PageSources Sources() const;
    // Lays the list out as `page` describes it: its fixed headings, then `items` value columns
    // headed by heading(item, buffer) (the length written), then the names of its rows: in every
    // cell until the values come, or with `blankValues` in the first column alone.
    template <typename Heading>
    void LayOut(const PageDescription& page, uint32_t items, Heading heading, TextSource source = TextSource::Panel,
                bool blankValues = false) {
        StartLayOut(page);
        std::array<char, PageNameCapacity + 33> text{};
        for (uint32_t i = 0; i < items; ++i)
            AddColumn(page, std::string_view(text.data(), heading(i, std::span<char>(text))), source);
        AddRows(page, blankValues);
    }
    void LayOut(const PageDescription& page) {
        StartLayOut(page);
        AddRows(page, false);
    }
    ListLayout& Kept() { return layout_ ? *layout_ : layout_.emplace(); }
    // Writes value column `item` of the page of `node`.
    void FillColumn(const PageDescription& page, const PageSources& sources, NodeCode node, uint32_t item,
                    const char* deviceName = nullptr);

    CListColorCtrlEx list_;

private:
    void StartLayOut(const PageDescription& page);
    void AddColumn(const PageDescription& page, std::string_view heading, TextSource source);
    void AddRows(const PageDescription& page, bool blankValues);

    QRect listArea_;  // where the design puts the list
    bool placeholder_ = false;
};
