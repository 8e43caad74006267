// The three programs' command lines, run as a user would run them, without a display: help
// and version answer on standard output, a mistake is named on standard error with exit
// code 2, and a missing driver is said once, with the path that was tried.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace {

struct Case {
    const char* program;
    QStringList arguments;
    int exitCode;
    QString inOut;  // must be on standard output ("" for nothing to look for)
    QString inErr;  // must be on standard error, exactly once
};

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result RunProgram(const char* program, const QStringList& arguments,
                  QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Result r;
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(2000);
        return r;
    }
    r.exitCode = process.exitCode();
    r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}

QString VersionLine(const char* name) { return QStringLiteral("%1 %2\n").arg(name, QOR_VERSION); }

}  // namespace

TEST(CommandLine, HelpVersionAndMistakesOfEveryProgram) {
    QTemporaryDir dir;
    const QString noSocket = dir.path() + "/no-driver-here";
    const Case cases[] = {
        {QOR_PANEL_PATH, {"--help"}, 0, "Usage: qorstats [options]", ""},
        {QOR_PANEL_PATH, {"-h"}, 0, "--version", ""},
        {QOR_PANEL_PATH, {"--version"}, 0, VersionLine("qorstats"), ""},
        {QOR_PANEL_PATH, {"-platform", "offscreen", "-v"}, 0, VersionLine("qorstats"), ""},  // Qt's own options pass
        // What the panel does not know is named and passed over: it starts (and here finds no display).
        {QOR_PANEL_PATH, {"--bogus"}, 1, "", "unknown option 'bogus' ignored"},
        {QOR_PANEL_PATH, {"--bogus", "-x", "stray"}, 1, "", "argument 'stray' ignored"},
        {QOR_PANEL_PATH, {"--bogus", "-x", "stray"}, 1, "", "no display"},
        {QOR_PANEL_PATH, {"--bogus", "--version"}, 0, VersionLine("qorstats"), "unknown option 'bogus' ignored"},
        {QOR_PANEL_PATH, {"/home/user/take.json", "--help"}, 0, "Usage: qorstats [options]",
         "argument '/home/user/take.json' ignored"},
        {QOR_PANEL_PATH, {}, 1, "", "no display"},  // and no abort with advice to reinstall
        // The three read their command lines one way: "--x=value", "-x", a missing value.
        {QOR_PANEL_PATH, {"--device=", "-version"}, 0, VersionLine("qorstats"), "--device without a path ignored"},
        {QOR_PANEL_PATH, {"--help=1", "--device"}, 1, "", "--help takes no value (ignored)"},
        {QOR_PANEL_PATH, {"--help=1", "--device"}, 1, "", "--device needs a path (ignored)"},
        {QOR_SIMD_PATH, {"-version"}, 0, VersionLine("qorsimd"), ""},
        {QOR_SIMD_PATH, {"--devices=ninety"}, 2, "", "--devices wants a number from 0 to 64, not 'ninety'"},
        {QOR_SIMD_PATH, {"--seed"}, 2, "", "--seed needs a value"},
        {QOR_SIMD_PATH, {"--help=1"}, 2, "", "--help takes no value"},
        {QOR_POLL_PATH, {"-version"}, 0, VersionLine("qorpoll"), ""},
        {QOR_POLL_PATH, {"--ticks=0"}, 2, "", "--ticks wants a whole number from 1, not '0'"},
        {QOR_POLL_PATH, {"--device"}, 2, "", "--device needs a path"},
        {QOR_POLL_PATH, {"--json=yes"}, 2, "", "--json takes no value"},
        {QOR_POLL_PATH, {"stray"}, 2, "", "unexpected argument 'stray'"},
        {QOR_SIMD_PATH, {"--help"}, 0, "Usage: qorsimd [options]", ""},
        {QOR_SIMD_PATH, {"--version"}, 0, VersionLine("qorsimd"), ""},
        {QOR_SIMD_PATH, {"--devices", "ninety"}, 2, "", "--devices wants a number from 0 to 64, not 'ninety'"},
        {QOR_SIMD_PATH, {"--frobnicate"}, 2, "", "Try 'qorsimd --help' for more information."},
        {QOR_POLL_PATH, {"--help"}, 0, "Usage: qorpoll [options]", ""},
        {QOR_POLL_PATH, {"-v"}, 0, VersionLine("qorpoll"), ""},
        {QOR_POLL_PATH, {"--ticks", "abc"}, 2, "", "--ticks wants a whole number from 1, not 'abc'"},
        {QOR_POLL_PATH, {"--ticks", "0"}, 2, "", "--ticks wants a whole number from 1, not '0'"},
        {QOR_POLL_PATH, {"--ticks"}, 2, "", "--ticks needs a number"},
        {QOR_POLL_PATH, {"--period-ms", "-5"}, 2, "", "--period-ms wants a whole number"},
        {QOR_POLL_PATH, {"--frobnicate"}, 2, "", "unknown option '--frobnicate'"},
        {QOR_POLL_PATH,
         {"--socket", noSocket, "--ticks", "3", "--period-ms", "10"},
         1,
         "tick 3 | Trying to read from device. | 00:00.00 | Driver not opened.",
         "cannot open the driver's control device " + noSocket + " (error 2)"},
    };
    for (const Case& c : cases) {
        const QString line = QString(c.program).section('/', -1) + " " + c.arguments.join(' ');
        SCOPED_TRACE(line.toStdString());
        const Result r = RunProgram(c.program, c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (!c.inOut.isEmpty()) {
            EXPECT_TRUE(r.out.contains(c.inOut)) << r.out.toStdString();
        }
        if (!c.inErr.isEmpty()) {
            EXPECT_EQ(r.err.count(c.inErr), 1) << r.err.toStdString();
        }
        // Answers on standard output, mistakes on standard error, and nothing else.
        if (c.exitCode == 0 && c.inErr.isEmpty()) {
            EXPECT_EQ(r.err, "");
        }
        if (c.exitCode == 2) {
            EXPECT_EQ(r.out, "");
        }
    }
}

TEST(CommandLine, HelpAndVersionTouchNoDirectory) {
    QTemporaryDir dir;
    const QString runtime = dir.path() + "/run";
    const QString temp = dir.path() + "/tmp";
    ASSERT_TRUE(QDir().mkpath(runtime) && QDir().mkpath(temp));
    // A runtime directory others may enter, which the programs would make private before use.
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::permissions(runtime) | QFileDevice::ReadOther |
                                                   QFileDevice::ExeOther));
    const QFileDevice::Permissions before = QFile::permissions(runtime);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("TMPDIR", temp);
    for (const char* program : {QOR_POLL_PATH, QOR_PANEL_PATH, QOR_SIMD_PATH})
        for (const char* argument : {"--help", "--version"}) {
            SCOPED_TRACE(std::string(program) + " " + argument);
            EXPECT_EQ(RunProgram(program, {argument}, env).exitCode, 0);
            EXPECT_EQ(QFile::permissions(runtime), before);
            EXPECT_TRUE(QDir(temp).isEmpty() && QDir(runtime).isEmpty());
        }
}
