#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <fstream>
#include <gtest/gtest.h>

#include "record/RecordReader.h"
#include "record/ReplayControlDevice.h"
#include "res/StringTable.h"
#include "support/ModalHook.h"
#include "support/RecordedScenarios.h"

namespace {
std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
}  // namespace

// Hot-plug, a driver unload, an error burst and a hung code, recorded from the simulator: played
// back, the panel shows on every tick the pages, tree, status, snapshot file and event log lines
// it showed while they were recorded.
TEST(RecordingReplay, EachRecordingReplaysAsThePanelShowedIt) {
    for (const RecordedScenario& scenario : RecordedScenarios()) {
        SCOPED_TRACE(scenario.name);
        const std::string base = std::string(QOR_SOURCE_DIR) + "/tests/recordings/" + scenario.name;
        std::ifstream file(base + ".qorrec", std::ios::binary);
        RecordReader reader(file);
        ASSERT_TRUE(reader.Start()) << reader.Message();
        ReplayControlDevice replay(reader);
        PanelFixture f(RecordedStudio());
        f.Start();
        f.dev.RouteThrough(&replay);  // the simulator is left out
        std::vector<std::string> shown;
        int events = 0;
        for (int t = 1; t <= scenario.ticks; ++t) {
            f.frame->OnRefreshTimer();
            for (std::string& line : CapturedTick(f, t, events)) shown.push_back(std::move(line));
        }
        EXPECT_EQ(shown, Lines(base + ".expect"));
        // Every session was played, the panel's own openings between ticks (a driver loss) too.
        EXPECT_FALSE(reader.Ahead());
        EXPECT_EQ(reader.Ended(), RecordReader::End::Complete) << reader.Message();
        f.frame.reset();
        f.dev.RouteThrough(nullptr);
    }
}

TEST(RecordingReplay, RecordToFileShowsThatItRecordsAndWritesEveryTick) {
    PanelFixture f;
    f.Start();
    QAction& menu = Child<QAction>(*f.frame, "menuRecord");
    QLabel& pane = Child<QLabel>(*f.frame, "recordingPane");
    const QString path = f.dir.path() + "/studio.qorrec";
    ASSERT_TRUE(f.frame->StartRecording(path));
    f.Tick(3);
    EXPECT_TRUE(f.frame->Recording());
    EXPECT_FALSE(pane.isHidden());
    EXPECT_TRUE(pane.text().startsWith("Recording to studio.qorrec")) << pane.text().toStdString();
    EXPECT_EQ(menu.text(), QString::fromLatin1(Str::MenuStopRecording));

    menu.trigger();
    EXPECT_FALSE(f.frame->Recording());
    EXPECT_TRUE(pane.isHidden());
    EXPECT_EQ(menu.text(), QString::fromLatin1(Str::MenuRecord));
    f.Tick();
    std::ifstream file(path.toStdString(), std::ios::binary);
    RecordReader reader(file);
    ASSERT_TRUE(reader.Start());
    while (reader.Next()) {
        EXPECT_EQ(reader.Current().openResult, 0u);
        EXPECT_FALSE(reader.Current().keys.empty());
    }
    EXPECT_EQ(reader.Ended(), RecordReader::End::Complete);
    EXPECT_EQ(reader.Sessions(), 3u);
}

TEST(RecordingReplay, AFileThatCannotBeWrittenIsToldAndNothingRecords) {
    PanelFixture f;
    f.Start();
    QString text;
    ModalHook hook([&](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) text = box->text();
    });
    EXPECT_FALSE(f.frame->StartRecording(f.dir.path() + "/missing/studio.qorrec"));
    EXPECT_EQ(hook.Seen(), 1);
    EXPECT_TRUE(text.contains("could not start")) << text.toStdString();
    EXPECT_FALSE(f.frame->Recording());
    EXPECT_TRUE(Child<QLabel>(*f.frame, "recordingPane").isHidden());
}
