#pragma once

#include <QWidget>

#include "pages/PageContext.h"

// A page of the statistics view: a borderless child window that the view creates once,
// hidden, and shows when the page's node is selected.
class CDlgPgBase : public QWidget {
    Q_OBJECT
public:
    CDlgPgBase(int templateId, PageContext& context, QWidget* parent = nullptr);
    int TemplateId() const { return templateId_; }
    // Creates the page window as a child of the view (the view hides and places it).
    void Create(QWidget* parent);

protected:
    PageContext& ctx_;

private:
    int templateId_;
};
