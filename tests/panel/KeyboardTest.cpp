// The panel without a mouse: every menu opens with its Alt key and every item has one of its
// own, Ctrl+Q closes the window, and Tab reaches both buttons of the trace mask dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "support/PanelFixture.h"
#include "trace/CDbgMaskDlg.h"

namespace {
void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}
}  // namespace

TEST(Keyboard, EveryMenuOpensWithItsAltKeyAndEveryItemHasOne) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    CMainFrame& frame = p.Start();
    ASSERT_NO_FATAL_FAILURE(ShowActive(frame));

    const Qt::Key altKeys[] = {Qt::Key_F, Qt::Key_D, Qt::Key_H};  // File, Debug, Help
    const QList<QAction*> bar = frame.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(bar[i]->text().toStdString());
        QMenu* menu = bar[i]->menu();
        ASSERT_NE(menu, nullptr);
        QSet<int> keys;
        int items = 0;
        for (QAction* item : menu->actions()) {
            if (item->isSeparator()) continue;
            ++items;
            const QKeySequence key = QKeySequence::mnemonic(item->text());
            EXPECT_FALSE(key.isEmpty()) << item->text().toStdString() << " has no Alt key";
            keys.insert(key[0].toCombined());
        }
        EXPECT_EQ(keys.size(), items) << "two items share an Alt key";

        QTest::keyClick(&frame, altKeys[i], Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
        menu->hide();
        ASSERT_NO_FATAL_FAILURE(ShowActive(frame));
    }
}

TEST(Keyboard, CtrlQClosesTheApplication) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    CMainFrame& frame = p.Start();
    ASSERT_NO_FATAL_FAILURE(ShowActive(frame));
    QTest::keyClick(&frame, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame.isVisible(); }, 2000));
}

TEST(Keyboard, TabGoesFromTheTraceBitsToBothButtonsAndBack) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    p.Tick();
    uint32_t mask = 0;
    uint32_t applied = 0;
    CDbgMaskDlg dialog(p.dev, mask, applied, &frame);
    ASSERT_NO_FATAL_FAILURE(ShowActive(dialog));
    auto* bits = dialog.findChild<QTableWidget*>("traceBits");
    bits->setFocus();
    bits->setCurrentCell(3, 0);
    const char* expected[] = {"setAsDefault", "close", "traceBits"};
    for (const char* name : expected) {
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
        ASSERT_NE(dialog.focusWidget(), nullptr);
        EXPECT_EQ(dialog.focusWidget()->objectName(), name);
    }
    // Shift+Tab walks back.
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dialog.focusWidget()->objectName(), "close");
    dialog.reject();
}
