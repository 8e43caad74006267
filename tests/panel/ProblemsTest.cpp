#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRegularExpression>
#include <QTreeWidget>

#include "app/TrayNotifier.h"
#include "base/Colours.h"
#include "controls/CListColorCtrlEx.h"
#include "controls/TreeItemDelegate.h"
#include "controls/QtColour.h"
#include "driver/IsoStreamEntryRef.h"
#include "eventlog/EventLog.h"
#include "eventlog/EvidenceKeeper.h"
#include "pages/ListPage.h"
#include "problems/ProblemsDialog.h"
#include "settings/PanelSettings.h"
#include "support/PanelFixture.h"

namespace {

struct ProblemsFixture : ::testing::Test {
    PanelFixture p;

    ProblemsFixture() {
        // The cycle's time is the simulator's.
        p.Start({.clock = p.SimulatorClock()});
        p.frame->show();
        p.Tick(4);
    }
    static int MarkOf(const QTreeWidgetItem* item) { return item->data(0, TreeItemDelegate::MarkRole).toInt(); }
    // The marks of every node, roots with their children after them.
    std::vector<int> Marks() {
        std::vector<int> marks;
        for (uint32_t kind : {NodeKind_Asio, NodeKind_IsoInStreams, NodeKind_IsoOutStreams, NodeKind_ChannelsIn,
                              NodeKind_ChannelsOut}) {
            QTreeWidgetItem* root = p.Root(kind);
            marks.push_back(MarkOf(root));
            for (int i = 0; i < root->childCount(); ++i) marks.push_back(MarkOf(root->child(i)));
        }
        return marks;
    }
    ProblemsDialog& OpenProblems() {
        Child<QAction>(*p.frame, "menuProblems").trigger();
        return Child<ProblemsDialog>(*p.frame, "problemsWindow");
    }
};

constexpr int None = 0, Quiet = 1, Red = 2;

}  // namespace

TEST_F(ProblemsFixture, ANodeIsMarkedRedWithinATickOfARiseAndQuietlyOnceItHasNotMovedForTenSeconds) {
    EXPECT_EQ(Marks(), std::vector<int>(Marks().size(), None));
    QTreeWidgetItem* streams = p.Root(NodeKind_IsoInStreams);
    ASSERT_GE(streams->childCount(), 2);
    const QString label = streams->child(1)->text(0);

    p.sim.SetIsoInField(1, IsoInField::IsoRxError, 5);
    p.Tick();
    EXPECT_EQ(MarkOf(streams), Red);
    EXPECT_EQ(MarkOf(streams->child(1)), Red);
    EXPECT_EQ(MarkOf(streams->child(0)), None);
    EXPECT_EQ(MarkOf(p.Root(NodeKind_Asio)), None);
    EXPECT_EQ(streams->child(1)->text(0), label);  // the text stays the design's

    p.Tick(19);  // 9.5 s
    EXPECT_EQ(MarkOf(streams->child(1)), Red);
    p.Tick();
    EXPECT_EQ(MarkOf(streams->child(1)), Quiet);
    EXPECT_EQ(MarkOf(streams), Quiet);

    // A rise elsewhere makes the root red again; the quiet child stays quiet.
    p.sim.SetIsoInField(0, IsoInField::MissingPacket, 1);
    p.Tick();
    EXPECT_EQ(MarkOf(streams), Red);
    EXPECT_EQ(MarkOf(streams->child(0)), Red);
    EXPECT_EQ(MarkOf(streams->child(1)), Quiet);

    // Cleared, the marks go.
    p.frame->OnClearStatistics();
    p.Tick();
    EXPECT_EQ(Marks(), std::vector<int>(Marks().size(), None));
}

TEST_F(ProblemsFixture, TheProblemsWindowListsCountingCountersNewestRiseFirstAndADoubleClickShowsOne) {
    ProblemsDialog& window = OpenProblems();
    EXPECT_EQ(window.windowTitle(), "Problems");
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(Child<QLabel>(window, "problemsNone").isVisible());
    EXPECT_EQ(Child<QLabel>(window, "problemsNone").text(), "No errors counted.");
    auto& list = Child<QTreeWidget>(window, "problemsList");

    p.sim.SetIsoInField(0, IsoInField::IsoRxError, 5);
    p.Tick(2);
    // The dropouts count though the ASIO page draws them black.
    p.sim.SetAsioInfoField(AsioInfoField::InBufferOverrun, 3);
    p.Tick();
    EXPECT_FALSE(Child<QLabel>(window, "problemsNone").isVisible());
    ASSERT_EQ(list.topLevelItemCount(), 2);
    const QString stream = p.Root(NodeKind_IsoInStreams)->child(0)->text(0);
    const QStringList expected[] = {{"ASIO", "InBufferOverrun", "3", "3"},
                                    {"ISO IN Streams/" + stream, "IsoRxError", "5", "5"}};
    const QRegularExpression clock("^\\d\\d:\\d\\d:\\d\\d$");
    for (int r = 0; r < 2; ++r) {
        const QTreeWidgetItem* row = list.topLevelItem(r);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(row->text(c), expected[r][c]) << r << "," << c;
        EXPECT_TRUE(clock.match(row->text(4)).hasMatch()) << row->text(4).toStdString();
    }

    emit list.itemDoubleClicked(list.topLevelItem(1), 0);
    EXPECT_EQ(p.Selected(), MakeNodeCode(NodeKind_IsoInStream, 0));
    auto* page = dynamic_cast<ListPage*>(p.View().VisiblePage());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->List().CellText(page->List().CurrentRow(), 0), "IsoRxError");
}

TEST_F(ProblemsFixture, RowsOfAGoneDeviceStayGreyedWithTheTimeItWent) {
    ProblemsDialog& window = OpenProblems();
    auto& list = Child<QTreeWidget>(window, "problemsList");
    const int streams = p.Root(NodeKind_IsoInStreams)->childCount();
    for (int k = 0; k < streams; ++k) p.sim.SetIsoInField(uint32_t(k), IsoInField::IsoRxError, uint32_t(k + 1));
    p.Tick();
    ASSERT_EQ(list.topLevelItemCount(), streams);

    p.sim.SetLoaded(false);
    p.Tick();
    ASSERT_EQ(list.topLevelItemCount(), streams);
    const QRegularExpression gone(" \\(gone since \\d\\d:\\d\\d:\\d\\d\\)$");
    for (int r = 0; r < streams; ++r) {
        const QTreeWidgetItem* row = list.topLevelItem(r);
        EXPECT_TRUE(gone.match(row->text(0)).hasMatch()) << row->text(0).toStdString();
        EXPECT_EQ(row->foreground(2).color(), ToQColor(Colours::ProblemGone));
        EXPECT_NE(row->text(2), "0");  // the last value read
    }
    // Gone rows bring no mark to a tree without their nodes.
    EXPECT_EQ(MarkOf(p.Root(NodeKind_IsoInStreams)), None);

    p.sim.SetLoaded(true);
    p.Tick();
    ASSERT_EQ(list.topLevelItemCount(), streams);
    for (int r = 0; r < streams; ++r) {
        EXPECT_FALSE(list.topLevelItem(r)->text(0).contains("gone")) << r;
        EXPECT_EQ(list.topLevelItem(r)->foreground(2).color(), ToQColor(Colours::Black));
    }
}

TEST_F(ProblemsFixture, AnotherDeviceInAGoneStreamsPlaceCountsApartFromIt) {
    ProblemsDialog& window = OpenProblems();
    auto& list = Child<QTreeWidget>(window, "problemsList");
    p.sim.SetIsoInField(0, IsoInField::IsoRxError, 5);
    p.Tick();
    ASSERT_EQ(list.topLevelItemCount(), 1);
    const QString first = list.topLevelItem(0)->text(0);

    // The stream at index 0 now belongs to the device of stream 1, with counts of its own.
    const uint32_t other = IsoStreamEntryRef::At(p.dev.Snapshot().isoStreamStatistics, Dir::In, 1).DeviceId();
    p.sim.SetIsoInField(0, IsoInField::DeviceId, other);
    p.sim.SetIsoInField(0, IsoInField::IsoRxError, 2);
    p.Tick();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    const QTreeWidgetItem* now = list.topLevelItem(0);
    const QTreeWidgetItem* gone = list.topLevelItem(1);
    EXPECT_EQ(now->text(2), "2");
    EXPECT_FALSE(now->text(0).contains("gone"));
    EXPECT_NE(now->text(0), first);
    EXPECT_EQ(gone->text(2), "5");
    EXPECT_TRUE(gone->text(0).startsWith(first + " (gone since ")) << gone->text(0).toStdString();
}

TEST_F(ProblemsFixture, TheLastSnapshotReadIsSavedBesideTheEventLogWhenTheDriverGoesAndBeforeAClear) {
    p.sim.SetIsoInField(0, IsoInField::IsoRxError, 4321);
    p.Tick();
    p.sim.SetLoaded(false);
    p.Tick(3);
    // One file for the loss, named in the log.
    auto savedFiles = [this] {
        QStringList files;
        const EventLogModel& lines = p.frame->Events().Model();
        const QRegularExpression saved("Last snapshot before (.+) saved to (.+)$");
        for (int i = 0; i < int(lines.Held()); ++i)
            if (const auto m = saved.match(lines.Line(i)); m.hasMatch()) files << m.captured(1) + "|" + m.captured(2);
        return files;
    };
    QStringList files = savedFiles();
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    EXPECT_TRUE(files[0].startsWith("the driver's loss|")) << files[0].toStdString();
    QFile file(files[0].section('|', 1));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << files[0].toStdString();
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll());
    ASSERT_TRUE(json.isObject());
    EXPECT_EQ(json["format"].toString(), "qorstats-snapshot");
    // The values read before the loss, not the empty pages after it.
    bool found = false;
    for (const QJsonValue page : json["pages"].toArray())
        for (const QJsonValue row : page["rows"].toArray())
            if (row["name"] == "IsoRxError" && page["node"] == "ISO IN Streams")
                found = row["values"].toArray().first().toInt() == 4321;
    EXPECT_TRUE(found);

    p.sim.SetLoaded(true);
    p.Tick(2);
    p.frame->OnClearStatistics();
    files = savedFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[1].startsWith("Clear Statistics|")) << files[1].toStdString();

    // Only the newest are kept.
    for (int i = 0; i < int(EvidenceKeeper::KeptFiles) + 3; ++i) {
        p.Tick();
        p.frame->OnClearStatistics();
    }
    const QDir folder = QFileInfo(files[1].section('|', 1)).dir();
    EXPECT_EQ(folder.entryList({"snapshot-*.json"}, QDir::Files).size(), int(EvidenceKeeper::KeptFiles));
    EXPECT_FALSE(QFile::exists(files[0].section('|', 1)));
}

TEST_F(ProblemsFixture, ARiseIsToldOnTheDesktopAtMostEveryTenSecondsWhileThePanelIsNotInFront) {
    auto& notifier = Child<TrayNotifier>(*p.frame, "trayNotifier");
    auto& option = Child<QAction>(*p.frame, "menuNotifications");
    EXPECT_TRUE(option.isChecked());
    p.frame->showMinimized();
    uint32_t errors = 0;
    auto rise = [&] {
        p.sim.SetIsoInField(1, IsoInField::IsoRxError, ++errors);
        p.Tick();
    };
    rise();
    EXPECT_EQ(notifier.Told(), 1);
    EXPECT_TRUE(notifier.LastText().contains("IsoRxError")) << notifier.LastText().toStdString();
    rise();
    p.Tick(17);
    rise();  // 9.5 s after the first
    EXPECT_EQ(notifier.Told(), 1);
    rise();
    EXPECT_EQ(notifier.Told(), 2);

    // A click brings the panel to the front on the stream.
    notifier.Clicked();
    EXPECT_FALSE(p.frame->isMinimized());
    EXPECT_EQ(p.Selected(), MakeNodeCode(NodeKind_IsoInStream, 1));

    // Turned off, it stays off, also after a restart.
    option.trigger();
    EXPECT_FALSE(PanelSettings(*p.settings).Notifications());
    p.frame->showMinimized();
    p.Tick(21);
    rise();
    EXPECT_EQ(notifier.Told(), 2);
    p.Restart();
    EXPECT_FALSE(Child<QAction>(*p.frame, "menuNotifications").isChecked());
    EXPECT_FALSE(Child<TrayNotifier>(*p.frame, "trayNotifier").Enabled());
}
