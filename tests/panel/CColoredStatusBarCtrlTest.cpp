#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "controls/CColoredStatusBarCtrl.h"
#include "controls/StatusPane.h"
#include "controls/QtColour.h"

namespace {

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(900, 30);
        bar.show();
        QApplication::processEvents();
    }

    QRect PaneRect(int pane) {
        const QWidget* widget = bar.PaneWidget(pane);
        return QRect(widget->mapTo(&bar, QPoint(0, 0)), widget->size());
    }

    QColor PixelAt(const QImage& image, QPoint at) { return QColor(image.pixel(at)); }

    // Pixels of the pane drawn in `colour`, leaving out a margin for frames.
    int CountInPane(const QImage& image, int pane, const QColor& colour) {
        const QRect inner = PaneRect(pane).adjusted(2, 1, -2, -1);
        int count = 0;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x)
                if (QColor(image.pixel(x, y)) == colour) ++count;
        return count;
    }

    CColoredStatusBarCtrl bar;
};

TEST_F(StatusBarTest, PanesStartBlackAndEmpty) {
    const QImage image = bar.grab().toImage();
    for (int pane = 0; pane < 3; ++pane) {
        EXPECT_EQ(bar.PaneText(pane), "");
        EXPECT_EQ(bar.PaneBackground(pane), Colours::Black);
        EXPECT_EQ(bar.PaneForeground(pane), Colours::Black);
        EXPECT_EQ(PixelAt(image, PaneRect(pane).center()), QColor(Qt::black)) << pane;
    }
}

TEST_F(StatusBarTest, PanesStretchFromTheirMinimumWidthsLeftToRight) {
    EXPECT_EQ(bar.PaneWidget(0)->minimumWidth(), 200);
    EXPECT_EQ(bar.PaneWidget(1)->minimumWidth(), 200);
    EXPECT_EQ(bar.PaneWidget(2)->minimumWidth(), 100);
    EXPECT_LT(PaneRect(0).right(), PaneRect(1).left());
    EXPECT_LT(PaneRect(1).right(), PaneRect(2).left());
    const int total = PaneRect(0).width() + PaneRect(1).width() + PaneRect(2).width();
    EXPECT_GT(total, 800);  // the panes take the bar's width, not just their minimum 500
    EXPECT_EQ(bar.PaneWidget(3), nullptr);
}

TEST_F(StatusBarTest, EachPaneGetsItsOwnWidthPlusAnEqualShareOfTheRest) {
    struct Case {
        int barWidth;
        std::string pane0Text;
    };
    const Case cases[] = {{900, ""}, {1400, ""}, {640, ""}, {505, ""}, {1000, std::string(60, 'W')}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.barWidth);
        bar.SetPane(0, c.pane0Text, Colours::White, Colours::Black);
        bar.resize(c.barWidth, 30);
        bar.RepaintNow();
        QApplication::processEvents();
        int bases = 0;
        for (int pane = 0; pane < 3; ++pane) bases += bar.PaneWidget(pane)->minimumWidth();
        const int row = PaneRect(2).right() - PaneRect(0).left() + 1;
        EXPECT_GE(row, std::min(c.barWidth - 30, bases + 4)) << "the panes fill the bar";
        const int share = (row - bases - 4) / 3;
        for (int pane = 0; pane < 2; ++pane)
            EXPECT_EQ(PaneRect(pane).width(), bar.PaneWidget(pane)->minimumWidth() + share) << pane;
        EXPECT_NEAR(PaneRect(2).width(), 100 + share, 2);
        EXPECT_EQ(PaneRect(0).width() - PaneRect(1).width(), bar.PaneWidget(0)->minimumWidth() - 200);
    }
}

TEST_F(StatusBarTest, SetPaneStoresAndTheNextRepaintShowsIt) {
    bar.SetPane(2, "Reading", Colours::White, Colours::StatusRed);
    EXPECT_EQ(bar.PaneText(2), "Reading");
    EXPECT_EQ(bar.PaneBackground(2), Colours::White);
    EXPECT_EQ(bar.PaneForeground(2), Colours::StatusRed);
    EXPECT_EQ(bar.LastPane(), 2);
    EXPECT_EQ(bar.PaneBackground(0), Colours::Black);

    const int before = bar.RepaintCount();
    bar.RepaintNow();
    EXPECT_EQ(bar.RepaintCount(), before + 1);

    const QImage image = bar.grab().toImage();
    EXPECT_EQ(PixelAt(image, QPoint(PaneRect(2).right() - 4, PaneRect(2).center().y())), QColor(Qt::white));
    EXPECT_GT(CountInPane(image, 2, ToQColor(Colours::StatusRed)), 5);
    EXPECT_EQ(CountInPane(image, 0, ToQColor(Colours::StatusRed)), 0);
    EXPECT_EQ(PixelAt(image, PaneRect(0).center()), QColor(Qt::black));
}

TEST_F(StatusBarTest, TextStartsAtTheLeftAndIsNeverShortened) {
    const std::string longText(250, 'W');
    bar.SetPane(1, "Connected", Colours::StatusBlue, Colours::White);
    bar.SetPane(2, longText, Colours::White, Colours::Black);
    EXPECT_EQ(bar.PaneText(2).toStdString(), longText);

    const QImage image = bar.grab().toImage();
    const QRect pane = PaneRect(1);
    // Text pixels begin within a few pixels of the pane's left edge.
    int firstText = -1;
    for (int x = pane.left(); x < pane.left() + 40 && firstText < 0; ++x)
        for (int y = pane.top(); y <= pane.bottom(); ++y)
            if (QColor(image.pixel(x, y)) == QColor(Qt::white)) {
                firstText = x - pane.left();
                break;
            }
    EXPECT_GE(firstText, 2);
    EXPECT_LE(firstText, 6);
}

TEST_F(StatusBarTest, PaneWidensToEachLongTextAgainAndFollowsTheFont) {
    const std::string longText(120, 'W');
    auto needed = [&](const std::string& text) {
        return bar.PaneWidget(2)->fontMetrics().horizontalAdvance(QString::fromStdString(text)) +
               2 * CColoredStatusBarCtrl::TextIndent;
    };
    bar.SetPane(2, longText, Colours::White, Colours::Black);
    const int wide = bar.PaneWidget(2)->minimumWidth();
    EXPECT_EQ(wide, needed(longText));
    bar.SetPane(2, "Short", Colours::White, Colours::Black);
    EXPECT_EQ(bar.PaneWidget(2)->minimumWidth(), 100);
    bar.SetPane(2, longText, Colours::White, Colours::Black);
    EXPECT_EQ(bar.PaneWidget(2)->minimumWidth(), wide);

    QFont larger = bar.PaneWidget(2)->font();
    larger.setPointSize(larger.pointSize() * 2);
    bar.PaneWidget(2)->setFont(larger);
    bar.SetPane(2, "Short", Colours::White, Colours::Black);
    bar.SetPane(2, longText, Colours::White, Colours::Black);
    EXPECT_GT(bar.PaneWidget(2)->minimumWidth(), wide);
    EXPECT_EQ(bar.PaneWidget(2)->minimumWidth(), needed(longText));
}

TEST_F(StatusBarTest, PaneIndexesBeyondTwoChangeNothing) {
    bar.SetPane(0, "Connected", Colours::StatusGreen, Colours::White);
    const QImage before = bar.grab().toImage();
    bar.SetPane(3, "Ignored", Colours::White, Colours::StatusRed);
    bar.SetPane(-1, "Ignored", Colours::White, Colours::StatusRed);
    bar.RepaintNow();
    EXPECT_EQ(bar.LastPane(), 0);
    EXPECT_EQ(bar.PaneText(3), "");
    EXPECT_EQ(bar.PaneBackground(3), Colours::Black);
    for (int pane = 1; pane < 3; ++pane) EXPECT_EQ(bar.PaneText(pane), "");
    EXPECT_EQ(bar.PaneText(0), "Connected");
    EXPECT_EQ(bar.grab().toImage(), before);
}

}  // namespace
