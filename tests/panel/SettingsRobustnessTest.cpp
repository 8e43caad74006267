// The one remembered setting against whatever the disk holds in its place: whatever the file
// looks like, the panel starts on "General", keeps polling, and never loses a value it wrote.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <random>
#include <string>
#include <sys/resource.h>

#include "controls/CColoredStatusBarCtrl.h"
#include "support/PanelFixture.h"

namespace {

constexpr auto Hklm = SettingsStore::Root::LocalMachine;
constexpr const char* Key = "Software\\Quandrel\\QOR_Stats";
// Below the code of "General", selected at start, so that selecting it is stored at once.
constexpr NodeCode Chosen = NodeKind_ChannelsOut;
constexpr NodeCode Other = NodeKind_Asio;

QByteArray ReadFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray RandomBytes(qsizetype size, uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// The file as the panel writes it, with `value` as the remembered node's text.
QByteArray SettingsText(const QByteArray& value) {
    return "[Software]\nQuandrel\\QOR_Stats\\%40=\n\n[Software/Quandrel/QOR_Stats]\n%40=\nLastSelItem=" + value + "\n";
}

// Start-up on "General", then the ticks that find the driver: the pages fill and insert their
// nodes whatever became of the setting.
void StartAndPoll(PanelFixture& p) {
    p.Start();
    EXPECT_EQ(KindOf(p.Selected()), NodeKind_Info);
    p.Tick(6);
    EXPECT_EQ(p.StatusBar().PaneText(2), "Driver opened.");
    EXPECT_EQ(p.StatusBar().PaneText(0), "Reading from device.");
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 2);
    EXPECT_EQ(p.Root(NodeKind_ChannelsOut)->childCount(), 5);
}

// No stored node was found: "General" stays selected.
void ExpectNothingRestored(PanelFixture& p) { EXPECT_EQ(KindOf(p.Selected()), NodeKind_Info); }

// The user's choice is written and comes back after a restart.
void ExpectChoiceSurvivesRestart(PanelFixture& p) {
    p.Select(p.Root(NodeKind_ChannelsOut));
    EXPECT_EQ(p.StoredCode(), Chosen);
    p.Restart();
    p.Tick(4);
    EXPECT_EQ(p.Selected(), Chosen);
}

// While alive, writing a file beyond `bytes` fails with EFBIG (root is bound by it too).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return active_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
    bool active_ = false;
};

}  // namespace

TEST(SettingsRobustness, MissingOrEmptyFileStartsOnGeneralAndKeepsTheUsersChoice) {
    {
        PanelFixture p;
        ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(p.SettingsFile())));
        StartAndPoll(p);
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(p.SettingsFile())));  // the key was created
        ExpectNothingRestored(p);
        EXPECT_EQ(p.StoredCode(), 0u);
        ExpectChoiceSurvivesRestart(p);
    }
    {
        PanelFixture p;
        WriteFile(p.SettingsFile(), QByteArray());
        StartAndPoll(p);
        ExpectNothingRestored(p);
        ExpectChoiceSurvivesRestart(p);
    }
}

TEST(SettingsRobustness, CorruptFileIsNeitherTrustedNorInTheWay) {
    const qsizetype sizes[] = {1, 1024, 16 * 1024, 60 * 1024};
    uint32_t seed = 1;
    for (qsizetype size : sizes) {
        SCOPED_TRACE(size);
        PanelFixture p;
        WriteFile(p.SettingsFile(), RandomBytes(size, seed++));
        StartAndPoll(p);
        ExpectNothingRestored(p);
        ExpectChoiceSurvivesRestart(p);
    }
}

TEST(SettingsRobustness, HugeFileIsLeftAloneAndThePanelRunsWithoutItsSetting) {
    PanelFixture p;
    // A well-formed file holding a node, but far beyond what a settings file of ours can be.
    QByteArray huge = SettingsText("dword:17000000");
    huge += "[Padding]\n";
    for (int i = 0; huge.size() <= 80 * 1024; ++i) huge += "Filler" + QByteArray::number(i) + "=" + QByteArray(60, 'x') + "\n";
    WriteFile(p.SettingsFile(), huge);

    StartAndPoll(p);
    ExpectNothingRestored(p);
    p.Select(p.Root(NodeKind_Asio));
    p.Select(p.Root(NodeKind_ChannelsOut));
    p.Restart();
    p.Tick(4);
    ExpectNothingRestored(p);
    EXPECT_EQ(ReadFile(p.SettingsFile()), huge);
}

TEST(SettingsRobustness, ValueOfAnotherTypeIsIgnoredAndThenReplaced) {
    // Decimal and short forms of Chosen, and texts that are no number at all.
    const QByteArray wrong[] = {"385875968", "dword:1700000", "dword:170000000", "0x17000000", "hello", "",
                                "@Variant(\\0\\0\\0\\x3\\x17\\0\\0\\0)"};
    for (const QByteArray& value : wrong) {
        SCOPED_TRACE(value.toStdString());
        PanelFixture p;
        WriteFile(p.SettingsFile(), SettingsText(value));
        StartAndPoll(p);
        ExpectNothingRestored(p);
        ExpectChoiceSurvivesRestart(p);
    }
}

TEST(SettingsRobustness, UnwritableLocationLeavesThePanelWorkingWithoutMemory) {
    PanelFixture p;
    // Root may write anywhere, but not below a plain file.
    const std::string blocker = p.dir.path().toStdString() + "/blocker";
    WriteFile(blocker, "not a directory");
    p.settings = std::make_unique<SettingsStore>(blocker + "/sub/QOR_Stats.ini");

    StartAndPoll(p);
    ExpectNothingRestored(p);
    p.Select(p.Root(NodeKind_ChannelsOut));
    EXPECT_EQ(p.StoredCode(), 0u);
    p.Restart();
    p.Tick(4);
    ExpectNothingRestored(p);
    p.Tick(2);
    EXPECT_EQ(p.StatusBar().PaneText(2), "Driver opened.");
    EXPECT_EQ(ReadFile(blocker), "not a directory");
}

TEST(SettingsRobustness, WrittenValueIsNeverLost) {
    PanelFixture p;
    StartAndPoll(p);
    p.Select(p.Root(NodeKind_ChannelsOut));
    ASSERT_EQ(p.StoredCode(), Chosen);
    const QByteArray written = ReadFile(p.SettingsFile());

    // Restarts that change nothing bring the value back and leave the file as it was.
    for (int i = 0; i < 3; ++i) {
        p.Restart();
        p.Tick(6);
        EXPECT_EQ(p.Selected(), Chosen);
        EXPECT_EQ(ReadFile(p.SettingsFile()), written);
    }

    // A refused write (no file may grow to the size the settings need) leaves the old file whole.
    {
        FileSizeLimit limit(static_cast<rlim_t>(written.size() - 8));
        ASSERT_TRUE(limit.Active());
        p.Select(p.Root(NodeKind_Asio));
    }
    EXPECT_EQ(ReadFile(p.SettingsFile()), written);
    // Nor does the refused value turn up later: not when read back, not in the file.
    EXPECT_EQ(p.StoredCode(), Chosen);
    EXPECT_EQ(ReadFile(p.SettingsFile()), written);
    p.Restart();
    p.Tick(4);
    EXPECT_EQ(p.Selected(), Chosen);

    // And once writing works again, the next choice is kept.
    p.Select(p.Root(NodeKind_Asio));
    EXPECT_EQ(p.StoredCode(), Other);
    uint32_t value = 0;
    EXPECT_EQ(SettingsStore(p.SettingsFile()).ReadDword(Hklm, Key, "LastSelItem", value), 0u);
    EXPECT_EQ(value, Other);
}
