#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>
#include <utility>

#include "controls/CTreeCtrlEx.h"

namespace {

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.resize(300, 400);
        general = new QTreeWidgetItem(&tree, QStringList{"General"});
        streams = new QTreeWidgetItem(&tree, QStringList{"ISO IN Streams"});
        for (const char* name : {"Stream 0", "Stream 1", "Stream 2"}) new QTreeWidgetItem(streams, QStringList{name});
        // A grandchild goes with its parent.
        new QTreeWidgetItem(streams->child(1), QStringList{"Deeper"});
        streams->setExpanded(true);
    }

    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF local(at);
        const QPointF global(tree.viewport()->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(tree.viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree.viewport(), &release);
    }

    CTreeCtrlEx tree;
    QTreeWidgetItem* general = nullptr;
    QTreeWidgetItem* streams = nullptr;
};

TEST_F(TreeTest, DeleteChildrenEmptiesOnlyTheGivenItem) {
    tree.setCurrentItem(streams->child(2));
    tree.DeleteChildren(streams);
    EXPECT_EQ(streams->childCount(), 0);
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(1), streams);
    EXPECT_EQ(streams->text(0), "ISO IN Streams");

    // Nothing to delete, or nothing given: nothing happens.
    tree.DeleteChildren(general);
    tree.DeleteChildren(streams);
    tree.DeleteChildren(nullptr);
    EXPECT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(general->childCount(), 0);
}

TEST_F(TreeTest, LeftPressAsksForTheHintBeforeTheSelectionMoves) {
    tree.show();
    QApplication::processEvents();
    tree.setCurrentItem(general);
    int hints = 0;
    QTreeWidgetItem* currentAtHint = nullptr;
    QObject::connect(&tree, &CTreeCtrlEx::paneHintRequested, [&] {
        ++hints;
        currentAtHint = tree.currentItem();
    });

    QTreeWidgetItem* target = streams->child(1);
    Press(tree.visualItemRect(target).center());
    EXPECT_EQ(hints, 1);
    EXPECT_EQ(currentAtHint, general);
    EXPECT_EQ(tree.currentItem(), target);

    // Empty space below the last node resets the pane too.
    Press(QPoint(10, tree.viewport()->height() - 5));
    EXPECT_EQ(hints, 2);
    EXPECT_EQ(tree.currentItem(), target);

    Press(tree.visualItemRect(general).center(), Qt::RightButton);
    EXPECT_EQ(hints, 2);
}

TEST_F(TreeTest, OnlyTheLeftButtonAndTheKeyboardSelect) {
    struct Case {
        const char* what;
        Qt::MouseButton button;  // NoButton: the Down key
        bool twice;
        bool selects;
    };
    const Case cases[] = {
        {"left click", Qt::LeftButton, false, true},      {"left double click", Qt::LeftButton, true, true},
        {"right click", Qt::RightButton, false, false},   {"right double click", Qt::RightButton, true, false},
        {"middle click", Qt::MiddleButton, false, false}, {"middle double click", Qt::MiddleButton, true, false},
        {"back button", Qt::BackButton, false, false},    {"down key", Qt::NoButton, false, true},
    };
    tree.show();
    QApplication::processEvents();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tree.setCurrentItem(streams);
        int hints = 0;
        const auto counting = QObject::connect(&tree, &CTreeCtrlEx::paneHintRequested, [&] { ++hints; });
        const QPoint at = tree.visualItemRect(streams->child(0)).center();
        if (c.button == Qt::NoButton) QTest::keyClick(&tree, Qt::Key_Down);
        if (c.button != Qt::NoButton) QTest::mouseClick(tree.viewport(), c.button, Qt::NoModifier, at);
        if (c.twice) QTest::mouseDClick(tree.viewport(), c.button, Qt::NoModifier, at);
        QObject::disconnect(counting);
        QTreeWidgetItem* expected = c.selects ? streams->child(0) : streams;
        EXPECT_EQ(tree.currentItem(), expected);
        EXPECT_EQ(tree.selectedItems().value(0), expected);
        EXPECT_EQ(hints > 0, c.button == Qt::LeftButton);
    }
}

TEST_F(TreeTest, ColumnSizedToItsLabelsFollowsNewLabelsAndFonts) {
    // The view sizes the column to its widest label; a stock tree shows what that should be.
    QTreeWidget reference;
    for (QTreeWidget* t : {static_cast<QTreeWidget*>(&tree), &reference}) {
        t->setHeaderHidden(true);
        t->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        t->header()->setStretchLastSection(false);
        t->resize(300, 400);
    }
    new QTreeWidgetItem(&reference, QStringList{"General"});
    auto* stream = new QTreeWidgetItem(&reference, QStringList{"ISO IN Streams"});
    for (const char* name : {"Stream 0", "Stream 1", "Stream 2"}) new QTreeWidgetItem(stream, QStringList{name});
    stream->setExpanded(true);
    tree.show();
    reference.show();
    auto widths = [&] {
        QApplication::processEvents();
        return std::pair(tree.header()->sectionSize(0), reference.header()->sectionSize(0));
    };
    const auto [before, expected] = widths();
    EXPECT_EQ(before, expected);

    const QString longer = QStringLiteral("A bundle with a much longer name than the others");
    streams->child(1)->setText(0, longer);
    stream->child(1)->setText(0, longer);
    const auto [renamed, expectedRenamed] = widths();
    EXPECT_GT(renamed, before);
    EXPECT_EQ(renamed, expectedRenamed);

    QFont larger = tree.font();
    larger.setPointSize(larger.pointSize() * 2);
    tree.setFont(larger);
    reference.setFont(larger);
    const auto [enlarged, expectedEnlarged] = widths();
    EXPECT_GT(enlarged, renamed);
    EXPECT_EQ(enlarged, expectedEnlarged);
}

}  // namespace
