// The real panel, started without a driver and ended by a signal as a terminal or a session
// ends it: it has said once where it looked for the driver, and it goes as a close of its
// window goes, with exit code 0, its lock and socket removed and its setting kept.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "base/NodeCode.h"
#include "platform/SettingsStore.h"
#include "settings/PanelSettings.h"

namespace {
constexpr const char* Key = "Software\\Quandrel\\QOR_Stats";
}  // namespace

TEST(PanelSignals, SigintAndSigtermEndThePanelCleanly) {
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal == SIGINT ? "SIGINT" : "SIGTERM");
        QTemporaryDir home;
        const QString run = home.path() + "/run";
        QDir().mkpath(run);
        QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString lock = run + "/QorStatsAppMutex.lock";
        const QString socket = run + "/QorStatsAppMutex.sock";

        // The node the user selected last time.
        SettingsStore settings((home.path() + "/config/Quandrel/QOR_Stats.ini").toStdString());
        PanelSettings panelSettings(settings);
        panelSettings.CreateKey();
        const uint32_t stored = MakeNodeCode(NodeKind_Asio, 0);
        ASSERT_TRUE(panelSettings.SetLastSelItem(stored));

        QProcess panel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", run);
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        panel.setProcessEnvironment(env);
        panel.start(QOR_PANEL_PATH, {});
        ASSERT_TRUE(panel.waitForStarted());
        QString err;
        const QString tried = "cannot open the driver's control device " + run + "/qor1394-";
        ASSERT_TRUE(QTest::qWaitFor([&] {
            err += QString::fromLocal8Bit(panel.readAllStandardError());
            return err.contains(tried) && QFile::exists(lock) && QFile::exists(socket);
        }, 20000)) << err.toStdString();
        QTest::qWait(1200);  // more ticks without a driver

        ::kill(static_cast<pid_t>(panel.processId()), signal);
        ASSERT_TRUE(panel.waitForFinished(10000));
        err += QString::fromLocal8Bit(panel.readAllStandardError());
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(panel.exitCode(), 0);
        EXPECT_FALSE(QFile::exists(lock));
        EXPECT_FALSE(QFile::exists(socket));
        EXPECT_EQ(err.count(tried), 1) << err.toStdString();
        EXPECT_TRUE(err.contains("qorsimd")) << "how to start the simulator";

        uint32_t value = 0;
        EXPECT_EQ(settings.ReadDword(SettingsStore::Root::LocalMachine, Key, "LastSelItem", value), 0u);
        EXPECT_EQ(value, stored);
    }
}
