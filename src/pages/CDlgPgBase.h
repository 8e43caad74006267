#pragma once

#include <QWidget>
#include <string_view>

#include "base/NodeCode.h"
#include "pages/PageContext.h"

// A page of the statistics view: a borderless child window that the view creates once,
// hidden, and shows when the page's node is selected. What the view asks of a page of any
// kind is here; each page answers for itself.
class CDlgPgBase : public QWidget {
    Q_OBJECT
public:
    // The object name is how the view and its tools tell the pages apart.
    CDlgPgBase(const char* objectName, PageContext& context, QWidget* parent = nullptr);
    // Creates the page window as a child of the view (the view hides and places it).
    void Create(QWidget* parent);

    // The polling cycle's update of a root node's page. The pages of child nodes are kept up
    // to date by the list page of their root instead.
    virtual void Refresh() {}
    // The view reset: no count cached any more, the first stream or bundle.
    virtual void ResetState() {}
    // The no-driver state of the list pages.
    virtual void ShowPlaceholder(std::string_view heading) { (void)heading; }
    // Node `code`, of a kind this page shows, has just been selected; the view shows the page
    // right after.
    virtual void OnSelect(NodeCode code) { (void)code; }
    // What the description pane shows for row `row` while node `code` is selected; nullptr
    // leaves it empty.
    virtual const char* RowDescription(NodeCode code, int row) const;
    // A window enlarged past the design's size: the page is `extra` larger than its area and
    // lays itself out to use it.
    virtual void Grow(QSize extra) { (void)extra; }

protected:
    PageContext& ctx_;
};
