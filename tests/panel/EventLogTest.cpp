#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <fstream>
#include <gtest/gtest.h>

#include "eventlog/EventLogDialog.h"
#include "eventlog/EventLog.h"
#include "support/PanelFixture.h"

// The event log as the user meets it: the window of the panel, its lines and filters, Copy,
// and the file behind it.
namespace {

DriverEvent Event(EventKind kind, const char* text, int64_t wallMs = 1'700'000'000'000) {
    DriverEvent e;
    e.kind = kind;
    e.wallMs = wallMs;
    const std::string_view t(text);
    std::copy(t.begin(), t.end(), e.text.begin());
    e.length = t.size();
    return e;
}

QStringList Lines(const EventLogModel& model) {
    QStringList lines;
    for (int r = 0; r < model.rowCount(); ++r) lines << model.Line(r);
    return lines;
}

EventLogDialog* OpenWindow(CMainFrame& frame, const char* how) {
    Child<QAction>(frame, how).trigger();
    return frame.findChild<EventLogDialog*>("eventLogWindow");
}

QString ReadAll(const std::filesystem::path& p) {
    QFile f(QString::fromStdString(p.string()));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

TEST(EventLogWindow, OpensOnceFromMenuOrToolbarModelessAndEscapeClosesIt) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    p.Tick();
    EventLogDialog* window = OpenWindow(frame, "menuEventLog");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(OpenWindow(frame, "toolbarEventLog"), window);
    EXPECT_EQ(frame.findChildren<EventLogDialog*>().size(), 1);
    EXPECT_EQ(Child<QToolBar>(frame, "toolbar").actions().back()->objectName(), "toolbarEventLog");

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    p.Tick();  // the panel goes on with the window closed
    EXPECT_EQ(OpenWindow(frame, "menuEventLog"), window);
    EXPECT_TRUE(window->isVisible());
}

TEST(EventLogWindow, ShowsWhatTheTicksFoundOldestFirstWithLocalTimeToTheMillisecond) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    p.Tick();
    p.sim.SetLoaded(false);
    p.Tick();
    EventLogDialog* window = OpenWindow(frame, "menuEventLog");
    ASSERT_NE(window, nullptr);
    const QStringList lines = Lines(frame.Events().Model());
    ASSERT_GE(lines.size(), 3);
    const QRegularExpression shape(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  (Errors |Devices|Driver )  \S.*$)");
    for (const QString& line : lines) EXPECT_TRUE(shape.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(lines.first().endsWith("Driver   Driver opened.")) << lines.first().toStdString();
    // The loss, then the file that keeps what was read before it.
    EXPECT_TRUE(lines[lines.size() - 2].endsWith("Driver   Driver lost.")) << lines[lines.size() - 2].toStdString();
    EXPECT_TRUE(lines.last().contains("Driver   Last snapshot before the driver's loss saved to ")) << lines.last().toStdString();
    EXPECT_TRUE(lines.filter("Device present:").size() >= 1);
    EXPECT_EQ(Child<QListView>(*window, "eventList").model()->rowCount(), lines.size());
}

TEST(EventLogWindow, FiltersByKindAndCopiesTheSelectedLinesAsText) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    EventLogDialog* window = OpenWindow(frame, "menuEventLog");
    ASSERT_NE(window, nullptr);
    EventLog& log = frame.Events();
    log.OnEvent(Event(EventKind::DriverOpened, "Driver opened."));
    log.OnEvent(Event(EventKind::DeviceCame, "Device connected: A (ID 0x00000001)."));
    log.OnEvent(Event(EventKind::ErrorIncreased, "ISO IN stream 0 (A): MissingPacket +1, now 1."));
    log.OnEvent(Event(EventKind::ReadingStopped, "Reading stopped."));
    const int all = log.Model().rowCount();

    Child<QCheckBox>(*window, "filterDriver").setChecked(false);
    for (const QString& line : Lines(log.Model())) EXPECT_FALSE(line.contains("Driver  ")) << line.toStdString();
    EXPECT_EQ(log.Model().rowCount(), all - 2);
    Child<QCheckBox>(*window, "filterDevices").setChecked(false);
    ASSERT_EQ(log.Model().rowCount(), all - 3);
    EXPECT_TRUE(log.Model().Line(0).endsWith("MissingPacket +1, now 1."));
    Child<QCheckBox>(*window, "filterDriver").setChecked(true);
    Child<QCheckBox>(*window, "filterDevices").setChecked(true);
    ASSERT_EQ(log.Model().rowCount(), all);

    // Two lines picked out of order, copied in the list's order with Ctrl+C on the list.
    QListView& list = Child<QListView>(*window, "eventList");
    const int last = all - 1;
    list.selectionModel()->select(log.Model().index(last), QItemSelectionModel::Select);
    list.selectionModel()->select(log.Model().index(last - 2), QItemSelectionModel::Select);
    QApplication::clipboard()->clear();
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), log.Model().Line(last - 2) + "\n" + log.Model().Line(last));
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("Driver   Reading stopped."));
}

TEST(EventLogWindow, SaysWhereTheLogFileIsAndTheFileHoldsTheLines) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    p.Tick();
    p.frame->OnStartStop();
    EventLogDialog* window = OpenWindow(frame, "menuEventLog");
    ASSERT_NE(window, nullptr);
    const std::filesystem::path file = frame.Events().File().Path();
    EXPECT_EQ(file, std::filesystem::path(qgetenv("XDG_STATE_HOME").toStdString()) / "qorstats" / "events.log");
    EXPECT_EQ(Child<QLabel>(*window, "logFileLine").text(), "Log file: " + QString::fromStdString(file.string()));
    const QString text = ReadAll(file);
    EXPECT_TRUE(text.contains(Lines(frame.Events().Model()).last() + "\n")) << "flushed after each tick or command";
}

TEST(EventLogModel, HoldsABoundedNumberOfLinesDroppingTheOldestAlsoWhileFiltered) {
    EventLogModel model(3);
    model.SetShown(EventCategory::Errors, false);
    model.Append(EventCategory::Errors, "e1");
    model.Append(EventCategory::Driver, "d1");
    model.Append(EventCategory::Driver, "d2");
    model.Append(EventCategory::Driver, "d3");  // e1, hidden, goes
    EXPECT_EQ(Lines(model), (QStringList{"d1", "d2", "d3"}));
    model.Append(EventCategory::Errors, "e2");  // d1, shown, goes
    EXPECT_EQ(Lines(model), (QStringList{"d2", "d3"}));
    EXPECT_EQ(model.Held(), 3u);
    model.SetShown(EventCategory::Errors, true);
    EXPECT_EQ(Lines(model), (QStringList{"d2", "d3", "e2"}));
    EXPECT_EQ(EventLogModel().Capacity(), 10000u);
}

TEST(EventLogFile, RotatesAtItsLimitKeepingAFewFilesAndLosingNoRecentLine) {
    QTemporaryDir dir;
    const std::filesystem::path path = std::filesystem::path(dir.path().toStdString()) / "sub" / "events.log";
    EventLogFile file(path, {100, 3});
    for (int i = 0; i < 20; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "line %02d of the event log....", i);  // 28 bytes and a break
        ASSERT_TRUE(file.Write(line));
    }
    file.Flush();
    EXPECT_FALSE(file.Failed());
    for (const auto& p : {path, file.Older(1), file.Older(2)}) {
        ASSERT_TRUE(std::filesystem::exists(p)) << p;
        EXPECT_LE(std::filesystem::file_size(p), 100u) << p;
    }
    EXPECT_FALSE(std::filesystem::exists(file.Older(3)));
    // The newest files hold the newest lines, in order across the rotation.
    const QString joined = ReadAll(file.Older(2)) + ReadAll(file.Older(1)) + ReadAll(path);
    const QStringList lines = joined.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8);  // three lines a file: 12 to 14, 15 to 17, 18 and 19
    for (int i = 0; i < lines.size(); ++i) EXPECT_TRUE(lines[i].startsWith(QString("line %1").arg(12 + i)));

    // A new run appends to the live file and rotates from where it stands.
    EventLogFile again(path, {100, 3});
    ASSERT_TRUE(again.Write("line 20 of the event log...."));
    again.Flush();
    EXPECT_TRUE(ReadAll(path).startsWith("line 18"));
    EXPECT_TRUE(ReadAll(path).endsWith("line 20 of the event log....\n"));
}

TEST(EventLogFile, AnUnwritableFolderIsToldOnceInTheWindowAndTheLogGoesOn) {
    QTemporaryDir dir;
    const std::filesystem::path blocker = std::filesystem::path(dir.path().toStdString()) / "blocker";
    std::ofstream(blocker) << "a file where the folder should be";
    EventLog log(blocker / "qorstats" / "events.log");
    EventLogDialog window(log);
    log.OnEvent(Event(EventKind::DriverOpened, "Driver opened."));
    log.OnEventsDone();
    log.OnEvent(Event(EventKind::DriverLost, "Driver lost."));
    log.OnEventsDone();

    EXPECT_TRUE(log.File().Failed());
    const QStringList lines = Lines(log.Model());
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith("Driver opened."));
    EXPECT_TRUE(lines[1].contains("cannot be written")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("Driver lost."));
    EXPECT_TRUE(Child<QLabel>(window, "logFileLine").text().contains("cannot be written"));

    EventLog nowhere{std::filesystem::path()};
    nowhere.OnEvent(Event(EventKind::DriverOpened, "Driver opened."));
    EXPECT_EQ(nowhere.FileLine().toStdString(),
              "Log file: none, the system names no folder for it; events stay in this window only.");
}
