#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QMouseEvent>
#include <functional>

#include "driver/IoctlCodes.h"
#include "sim/FaultPlan.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"
#include "trace/CDbgMaskDlg.h"

namespace {
QTableWidget& Bits(QWidget& dialog) { return *dialog.findChild<QTableWidget*>("traceBits"); }
QString Label(QWidget& dialog) { return dialog.findChild<QLabel*>("maskLabel")->text(); }
bool Checked(QWidget& dialog, int row) { return Bits(dialog).item(row, 0)->checkState() == Qt::Checked; }

// A left click, as the window system delivers it.
void Click(QWidget* widget, QPoint at) {
    QPoint global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

uint32_t CheckedMask(QWidget& dialog) {
    uint32_t mask = 0;
    for (int row = 0; row < Bits(dialog).rowCount(); ++row)
        if (Checked(dialog, row)) mask |= uint32_t(1) << row;
    return mask;
}

// A click on the row's check box, where a person would click it.
void ClickCheckBox(QWidget& dialog, int row) {
    QTableWidget& list = Bits(dialog);
    QTableWidgetItem* item = list.item(row, 0);
    list.scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.rect = list.visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    QRect box = list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
    Click(list.viewport(), box.center());
}

// A click on the row's description: selects the row, leaves its check box alone.
void ClickRow(QWidget& dialog, int row) {
    QTableWidget& list = Bits(dialog);
    QTableWidgetItem* item = list.item(row, 1);
    list.scrollToItem(item);
    Click(list.viewport(), list.visualItemRect(item).center());
}

// The driver is there (debug build, mask 0x00000005) and the panel has read its version.
struct TraceMaskDialogTest : ::testing::Test {
    PanelFixture p;
    void SetUp() override {
        p.sim.SetTraceMask(0x00000005);
        p.Start();
        p.Tick(2);
        p.sim.ResetRequestLog();
    }
    // Runs the trace mask command with `person` in front of the dialog; false if it never opened.
    bool WithDialog(const std::function<void(QWidget&)>& person) {
        bool opened = false;
        ModalHook hook([&](QWidget& modal) {
            opened = qobject_cast<CDbgMaskDlg*>(&modal) != nullptr;
            if (opened) person(modal);
        });
        p.frame->OnTraceMask();
        return opened && hook.Seen() == 1;
    }
    uint64_t Sets() const { return p.sim.RequestCount(IOCTL_QOR_SET_TRACE_MASK); }
};
}  // namespace

TEST_F(TraceMaskDialogTest, ShowsTheDriverMaskAndSendsNothingForIt) {
    ASSERT_TRUE(WithDialog([&](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Set Debug Trace Mask");
        EXPECT_FALSE(p.frame->IsRefreshTimerRunning());
        EXPECT_FALSE(p.dev.IsOpen());  // closed again right after the read
        QTableWidget& list = Bits(dialog);
        ASSERT_EQ(list.rowCount(), 32);
        ASSERT_EQ(list.columnCount(), 2);
        EXPECT_EQ(CheckedMask(dialog), 0x00000005u);
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x00000005");
        EXPECT_EQ(list.horizontalHeaderItem(0)->text(), "Bit");
        EXPECT_EQ(list.horizontalHeaderItem(1)->text(), "Trace Bit Description");
        EXPECT_EQ(list.columnWidth(0), 50);
        EXPECT_EQ(list.item(0, 0)->text(), " 0");
        EXPECT_EQ(list.item(31, 0)->text(), " 31");
        EXPECT_EQ(list.item(0, 1)->text(), "Fatal Errors, assertions");
        EXPECT_EQ(list.item(8, 1)->text(), "WDM/KS and ASIO interface: settings + channel enable/disable");
        EXPECT_EQ(list.item(30, 1)->text(), "ASIO buffer pointers");
        for (int empty : {6, 25, 26, 31}) EXPECT_EQ(list.item(empty, 1)->text(), "") << empty;
        QDir().mkpath(QOR_SCREENSHOT_DIR);
        dialog.grab().save(QString(QOR_SCREENSHOT_DIR) + "/trace-mask.png");  // for people to look at
        QPushButton* close = dialog.findChild<QPushButton*>("close");
        EXPECT_TRUE(close->isDefault());
        close->click();
    }));
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_GET_TRACE_MASK), 1u);
    EXPECT_EQ(Sets(), 0u);
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_SET_DEFAULT_TRACE_MASK), 0u);
    EXPECT_EQ(p.frame->EditedTraceMask(), 0x00000005u);
    EXPECT_EQ(p.frame->AcceptedTraceMask(), 0x00000005u);
    EXPECT_FALSE(p.dev.IsOpen());
    EXPECT_TRUE(p.frame->IsRefreshTimerRunning());
}

TEST_F(TraceMaskDialogTest, EachCheckBoxChangeSendsTheWholeMaskAtOnce) {
    ASSERT_TRUE(WithDialog([&](QWidget& dialog) {
        ClickCheckBox(dialog, 31);
        EXPECT_TRUE(Checked(dialog, 31));
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x80000005");
        EXPECT_EQ(Sets(), 1u);
        EXPECT_EQ(p.sim.LastInput(IOCTL_QOR_SET_TRACE_MASK), 0x80000005u);
        EXPECT_EQ(p.sim.TraceMask(), 0x80000005u);

        ClickCheckBox(dialog, 2);
        EXPECT_EQ(Sets(), 2u);
        EXPECT_EQ(p.sim.TraceMask(), 0x80000001u);
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x80000001");
        ClickCheckBox(dialog, 2);
        EXPECT_EQ(Sets(), 3u);
        EXPECT_EQ(p.sim.TraceMask(), 0x80000005u);
        EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_SET_DEFAULT_TRACE_MASK), 0u);  // nothing is kept by itself
    }));
    EXPECT_EQ(p.frame->EditedTraceMask(), 0x80000005u);
    EXPECT_EQ(p.frame->AcceptedTraceMask(), 0x80000005u);
    EXPECT_FALSE(p.dev.IsOpen());
}

TEST_F(TraceMaskDialogTest, SelectionChangesResendOnlyAMaskTheDriverRefused) {
    ASSERT_TRUE(WithDialog([&](QWidget& dialog) {
        ClickRow(dialog, 4);
        ClickRow(dialog, 9);
        EXPECT_EQ(Bits(dialog).currentRow(), 9);
        EXPECT_EQ(Sets(), 0u);
        EXPECT_EQ(CheckedMask(dialog), 0x00000005u);

        sim::FaultPlan refuse;
        refuse.failCode = IOCTL_QOR_SET_TRACE_MASK;
        p.sim.SetFaults(refuse);
        ClickCheckBox(dialog, 3);
        EXPECT_EQ(Sets(), 1u);
        EXPECT_EQ(p.sim.TraceMask(), 0x00000005u);
        EXPECT_EQ(p.frame->EditedTraceMask(), 0x0000000Du);
        EXPECT_EQ(p.frame->AcceptedTraceMask(), 0x00000005u);
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x0000000D");  // no word of the failure

        p.sim.SetFaults({});
        ClickRow(dialog, 20);
        EXPECT_EQ(Sets(), 2u);
        EXPECT_EQ(p.sim.LastInput(IOCTL_QOR_SET_TRACE_MASK), 0x0000000Du);
        EXPECT_EQ(p.sim.TraceMask(), 0x0000000Du);
        EXPECT_EQ(p.frame->AcceptedTraceMask(), 0x0000000Du);
        ClickRow(dialog, 21);
        EXPECT_EQ(Sets(), 2u);
        EXPECT_FALSE(Checked(dialog, 20));
        EXPECT_FALSE(Checked(dialog, 21));
    }));
}

TEST_F(TraceMaskDialogTest, SetAsDefaultHandsTheCurrentMaskToTheDriver) {
    ASSERT_TRUE(WithDialog([&](QWidget& dialog) {
        QPushButton* setAsDefault = dialog.findChild<QPushButton*>("setAsDefault");
        setAsDefault->click();
        EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_SET_DEFAULT_TRACE_MASK), 1u);
        EXPECT_EQ(p.sim.DefaultTraceMask(), 0x00000005u);
        EXPECT_EQ(Sets(), 0u);

        ClickCheckBox(dialog, 0);
        setAsDefault->click();
        EXPECT_EQ(p.sim.DefaultTraceMask(), 0x00000004u);
        EXPECT_TRUE(dialog.isVisible());  // the dialog stays open
    }));
}

TEST_F(TraceMaskDialogTest, AFailedReadShowsTheMaskTheFrameLastHeld) {
    ASSERT_TRUE(WithDialog([](QWidget&) {}));  // the frame now holds 0x00000005
    p.sim.SetTraceMask(0x00FF0000);

    sim::FaultPlan broken;
    broken.failCode = IOCTL_QOR_GET_TRACE_MASK;
    p.sim.SetFaults(broken);
    ASSERT_TRUE(WithDialog([&](QWidget& dialog) {
        EXPECT_EQ(CheckedMask(dialog), 0x00000005u);
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x00000005");
    }));

    // Half a mask is no mask either.
    sim::FaultPlan half;
    half.shortAnswers = true;
    half.shortCode = IOCTL_QOR_GET_TRACE_MASK;
    p.sim.SetFaults(half);
    ASSERT_TRUE(WithDialog([&](QWidget& dialog) {
        EXPECT_EQ(CheckedMask(dialog), 0x00000005u);
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x00000005");
    }));
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_GET_TRACE_MASK), 3u);
    EXPECT_EQ(Sets(), 0u);
    EXPECT_EQ(p.sim.TraceMask(), 0x00FF0000u);
    EXPECT_EQ(p.frame->EditedTraceMask(), 0x00000005u);
    EXPECT_EQ(p.frame->AcceptedTraceMask(), 0x00000005u);
}

TEST(TraceMaskDialog, BeforeAnyReadTheFrameHoldsZero) {
    PanelFixture p;
    p.Start();
    EXPECT_EQ(p.frame->EditedTraceMask(), 0u);
    EXPECT_EQ(p.frame->AcceptedTraceMask(), 0u);
    p.Tick();
    sim::FaultPlan broken;
    broken.failCode = IOCTL_QOR_GET_TRACE_MASK;
    p.sim.SetFaults(broken);
    bool opened = false;
    ModalHook hook([&](QWidget& dialog) {
        opened = true;
        EXPECT_EQ(CheckedMask(dialog), 0u);
        EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x00000000");
    });
    p.frame->OnTraceMask();
    EXPECT_TRUE(opened);
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_SET_TRACE_MASK), 0u);
}

TEST(TraceMaskDialog, ShowingItAgainRereadsTheDriverMaskWithoutSendingIt) {
    PanelFixture p;
    p.sim.SetTraceMask(0x00000005);
    p.Start();
    uint32_t mask = 0;
    uint32_t applied = 0;
    CDbgMaskDlg dialog(p.dev, mask, applied);
    dialog.show();
    EXPECT_EQ(mask, 0x00000005u);
    dialog.hide();
    p.sim.SetTraceMask(0x00000030);
    dialog.show();
    EXPECT_EQ(CheckedMask(dialog), 0x00000030u);
    EXPECT_EQ(Bits(dialog).rowCount(), 32);
    EXPECT_EQ(Label(dialog), "Current Trace Mask: 0x00000030");
    EXPECT_EQ(mask, 0x00000030u);
    EXPECT_EQ(applied, 0x00000030u);
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_SET_TRACE_MASK), 0u);
}
