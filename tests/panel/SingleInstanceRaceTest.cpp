// Many starts of the real panel at the same moment, as a double click repeated in haste or a
// session restoring its programs does: exactly one panel keeps running, every other start
// ends with exit code 0, and a panel killed without a chance to clean up leaves nothing in
// the way of the next start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <vector>

namespace {

constexpr int Starts = 10;
// Generous: ten Qt programs starting on two busy cores.
constexpr int SettleMs = 20000;
// How long the one left running has to stay so.
constexpr int StayMs = 1000;

// Panel processes of one user: a shared private runtime and configuration directory, no display.
class Panels {
public:
    Panels() {
        QDir().mkpath(home_.path() + "/run");
        QFile::setPermissions(home_.path() + "/run",
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("QT_QPA_PLATFORM", "offscreen");
        env_.insert("XDG_RUNTIME_DIR", home_.path() + "/run");
        env_.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    }
    ~Panels() {
        for (auto& p : all_)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }
    Panels(const Panels&) = delete;
    Panels& operator=(const Panels&) = delete;

    // Starts n panels without waiting for any of them in between; returns them.
    std::vector<QProcess*> StartAtOnce(int n) {
        std::vector<QProcess*> started;
        for (int i = 0; i < n; ++i) {
            all_.push_back(std::make_unique<QProcess>());
            QProcess* p = all_.back().get();
            p->setProcessEnvironment(env_);
            p->setProgram(QOR_PANEL_PATH);
            p->start();
            started.push_back(p);
        }
        for (QProcess* p : started) EXPECT_TRUE(p->waitForStarted(5000));
        return started;
    }

private:
    QTemporaryDir home_;
    QProcessEnvironment env_;
    std::vector<std::unique_ptr<QProcess>> all_;
};

int CountRunning(const std::vector<QProcess*>& ps) {
    int n = 0;
    for (const QProcess* p : ps) n += p->state() != QProcess::NotRunning;
    return n;
}

// Waits until at most `left` of them run, then makes sure that stays so for a while.
void SettleTo(const std::vector<QProcess*>& ps, int left) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return CountRunning(ps) <= left; }, SettleMs));
    QTest::qWait(StayMs);
    EXPECT_EQ(CountRunning(ps), left);
}

// Every start that ended did so by itself, with exit code 0; returns the one still running.
QProcess* Survivor(const std::vector<QProcess*>& ps) {
    QProcess* running = nullptr;
    for (QProcess* p : ps) {
        if (p->state() != QProcess::NotRunning) {
            running = p;
            continue;
        }
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    return running;
}

void KillHard(QProcess* p) {
    ::kill(static_cast<pid_t>(p->processId()), SIGKILL);
    EXPECT_TRUE(p->waitForFinished(5000));
}

}  // namespace

TEST(SingleInstanceRace, TenStartsAtOnceLeaveExactlyOnePanelEvenAfterAKill) {
    Panels panels;

    const std::vector<QProcess*> first = panels.StartAtOnce(Starts);
    SettleTo(first, 1);
    QProcess* survivor = Survivor(first);
    ASSERT_NE(survivor, nullptr);

    // The first instance gets ten requests to come to the front at once and keeps running.
    const std::vector<QProcess*> more = panels.StartAtOnce(Starts);
    SettleTo(more, 0);
    Survivor(more);
    EXPECT_EQ(survivor->state(), QProcess::Running);

    // Killed, it leaves its lock file and socket behind: they are stale, and exactly one of
    // the next starts takes them over.
    KillHard(survivor);
    const std::vector<QProcess*> after = panels.StartAtOnce(Starts);
    SettleTo(after, 1);
    EXPECT_NE(Survivor(after), nullptr);
}
