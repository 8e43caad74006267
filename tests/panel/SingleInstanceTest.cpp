#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

#include "platform/SingleInstance.h"
#include "support/ScopedEnvironment.h"

TEST(SingleInstance, SecondInstanceIsRefusedAndAsksTheFirstToComeForward) {
    SingleInstance first("QorStatsTestMutex");
    ASSERT_TRUE(first.Acquire());
    int requests = 0;
    first.OnActivationRequest([&] { ++requests; });
    SingleInstance second("QorStatsTestMutex");
    EXPECT_FALSE(second.Acquire());
    second.BringFirstToFront();
    EXPECT_TRUE(QTest::qWaitFor([&] { return requests == 1; }, 3000));
}

// With the runtime directory unusable the lock goes to another directory private to the user,
// and where there is none either, every start runs: never a lock in a directory shared by all
// users, which another user's panel or a file planted there would hold against this user's.
TEST(SingleInstance, AnUnusableRuntimeDirectoryNeverSendsTheLockToASharedDirectory) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    QFile(base.path() + "/run").open(QIODevice::WriteOnly);  // a file, not a directory
    const QString temp = base.path() + "/tmp";
    ASSERT_TRUE(QDir().mkpath(temp));
    const QString fallback = temp + "/qor1394-" + QString::number(::getuid());
    const QString name = "QorStatsTestShared-" + QString::number(::getpid());
    ScopedEnvironment xdg("XDG_RUNTIME_DIR", (base.path() + "/run").toStdString());
    ScopedEnvironment tmp("TMPDIR", temp.toStdString());
    {
        SingleInstance first(name.toStdString());
        ASSERT_TRUE(first.Acquire());
        SingleInstance second(name.toStdString());
        EXPECT_FALSE(second.Acquire()) << "the other private directory still keeps one instance";
        EXPECT_TRUE(QFile::exists(fallback + "/" + name + ".lock"));
    }
    ASSERT_TRUE(QDir(fallback).removeRecursively());
    QFile(fallback).open(QIODevice::WriteOnly);
    {
        SingleInstance first(name.toStdString());
        ASSERT_TRUE(first.Acquire());
        SingleInstance second(name.toStdString());
        EXPECT_TRUE(second.Acquire()) << "no private directory: run without the guarantee";
        second.BringFirstToFront();
    }
    for (const QString& shared : {QString("/tmp"), temp, QDir::tempPath()})
        EXPECT_FALSE(QFile::exists(shared + "/" + name + ".lock")) << shared.toStdString();
}

namespace {
// A panel process with its own runtime and configuration directories and no display.
struct PanelProcess {
    explicit PanelProcess(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", home + "/run");
        env.insert("XDG_CONFIG_HOME", home + "/config");
        process.setProcessEnvironment(env);
        process.setProgram(QOR_PANEL_PATH);
    }
    QProcess process;
};
}  // namespace

TEST(SingleInstance, ASecondPanelExitsWithZeroAndALaterOneRunsAfterAKill) {
    QTemporaryDir home;
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    PanelProcess first(home.path());
    first.process.start();
    ASSERT_TRUE(first.process.waitForStarted());
    QTest::qWait(1500);  // let it take the lock
    ASSERT_EQ(first.process.state(), QProcess::Running);

    PanelProcess second(home.path());
    second.process.start();
    ASSERT_TRUE(second.process.waitForFinished(10000));
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_TRUE(second.process.readAllStandardError().contains("qorstats: the panel is already running"));
    EXPECT_EQ(first.process.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.process.processId()), SIGKILL);
    first.process.waitForFinished(5000);

    PanelProcess third(home.path());
    third.process.start();
    ASSERT_TRUE(third.process.waitForStarted());
    EXPECT_FALSE(third.process.waitForFinished(1500));  // still running: it took over the stale lock
    third.process.terminate();
    if (!third.process.waitForFinished(5000)) third.process.kill();
    third.process.waitForFinished(2000);
}
