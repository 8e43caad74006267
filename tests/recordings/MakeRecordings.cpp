// Records the replay tests' recordings: each scenario of RecordedScenarios() run in the panel
// against the simulator, its driver requests to NAME.qorrec and what the panel showed after each
// tick to NAME.expect. Run it after a change to what the panel shows:
//
//   qor_make_recordings tests/recordings
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "record/DriverRecorder.h"
#include "support/RecordedScenarios.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qor_make_recordings DIRECTORY\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());  // the panel's event log file goes there
    QApplication app(argc, argv);
    const std::string dir = argv[1];
    for (const RecordedScenario& scenario : RecordedScenarios()) {
        PanelFixture f(RecordedStudio());
        f.Start();
        int64_t now = 0;
        DriverRecorder recorder(f.dev, [&now] { return now; });
        const RecordHeader header = RecordedHeader();
        if (!recorder.Start(dir + "/" + scenario.name + ".qorrec", 500, {}, &header)) {
            std::fprintf(stderr, "qor_make_recordings: %s\n", recorder.Error().c_str());
            return 1;
        }
        std::ofstream expect(dir + "/" + scenario.name + ".expect");
        int events = 0;
        for (int t = 1; t <= scenario.ticks; ++t) {
            scenario.before(f.sim, t);
            now += 500;
            f.Tick();
            for (const std::string& line : CapturedTick(f, t, events)) expect << line << "\n";
        }
        recorder.Stop();
        std::printf("%s: %d ticks, %llu bytes\n", scenario.name, scenario.ticks,
                    static_cast<unsigned long long>(recorder.FileBytes()));
    }
    return 0;
}
