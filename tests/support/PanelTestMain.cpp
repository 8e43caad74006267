#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Widget tests run headless: one application object for the whole test binary.
int main(int argc, char** argv) {
    // Every panel a test starts writes its event log: into a folder of the run, not the user's.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // A desktop's screen: the offscreen default of 800 x 600 is smaller than the panel at the
    // usual 9 point font. Qt parts the platform's arguments at colons, so the file is named
    // without a drive letter: on Windows, relative to the folder the tests run in.
#ifdef _WIN32
    QTemporaryFile screens("qor-screens-XXXXXX.json");
    const auto opened = [&screens] { return screens.open(); };
#else
    QFile screens(state.filePath("screens.json"));
    const auto opened = [&screens] { return screens.open(QIODevice::WriteOnly); };
#endif
    if (platform.isEmpty() || platform == "offscreen") {
        const bool written =
            opened() &&
            screens.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1920, "height": 1080}]})") > 0 &&
            screens.flush();
        const QString name = QDir::current().relativeFilePath(screens.fileName());
        platform = written && !name.contains(':') ? "offscreen:configfile=" + name.toLocal8Bit() : "offscreen";
    }
    qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
