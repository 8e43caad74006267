// The design's layout at the fonts people use: the view's parts grow with the font and never
// overlap, from the template's 8 points to a large 16.
#include <gtest/gtest.h>

#include <QFont>
#include <QLabel>

#include "controls/DialogUnits.h"
#include "pages/CDlgPgBase.h"
#include "support/PanelFixture.h"

TEST(FontLayout, TheViewsPartsGrowWithTheFontAndNeverOverlap) {
    const QFont before = QApplication::font();
    const DialogUnits atTemplate = DialogUnits::Template();
    int lastWidth = 0;
    for (int points : {6, 8, 9, 12, 16}) {
        QFont font = before;
        font.setPointSize(points);
        QApplication::setFont(font);
        PanelFixture p;
        p.Start();
        p.Tick(2);
        CQorstatsView& view = p.View();
        const DialogUnits du(view.font());
        SCOPED_TRACE(points);

        EXPECT_EQ(view.size(), QSize(du.X(474), du.Y(341)));
        EXPECT_GE(view.width(), atTemplate.X(474));  // the template is the least it takes
        EXPECT_GE(view.width(), lastWidth);
        lastWidth = view.width();

        const QRect tree = p.Tree().geometry();
        const QRect description = Child<QLabel>(view, "description").geometry();
        ASSERT_FALSE(view.findChildren<CDlgPgBase*>().isEmpty());
        for (const CDlgPgBase* page : view.findChildren<CDlgPgBase*>()) {
            const QRect area = page->geometry();
            EXPECT_LT(tree.right(), area.left()) << page->objectName().toStdString();
            EXPECT_LT(area.bottom(), description.top()) << page->objectName().toStdString();
            EXPECT_TRUE(view.rect().contains(area)) << page->objectName().toStdString();
        }
        EXPECT_TRUE(view.rect().contains(tree));
        EXPECT_TRUE(view.rect().contains(description));
    }
    QApplication::setFont(before);
}
