// libFuzzer entry points of the panel harness: the input is the driver. One panel serves every
// input (see PanelSession); each input runs twice in a row, and the two runs must show the same,
// or what one session left behind would change what the next one sees.
#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzControlDevice.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/InputScript.h"
#include "fuzz/PanelSession.h"

namespace {
PanelSession* session = nullptr;
FuzzControlDevice* device = nullptr;

// What the run showed goes into `seen`, which keeps its room from input to input: a transcript
// runs to hundreds of kilobytes, and growing two of them afresh for every input costs more than
// comparing them.
void RunOnce(const uint8_t* data, size_t size, std::string& seen) {
    FuzzInput input(data, size);
    device->Begin(input);
    InputScript script(input);
    seen.clear();
    session->Run(*device, script, &seen);
}

// The line of the first difference, as each run showed it.
void ReportDifference(const std::string& first, const std::string& second) {
    size_t at = 0;
    while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
    const size_t from = at == 0 ? 0 : first.rfind('\n', at - 1) + 1;
    auto line = [from](const std::string& s) { return s.substr(from, s.find('\n', from) - from); };
    std::fprintf(stderr, "the same input showed differently the second time, at character %zu:\n"
                         "  first:  %s\n  second: %s\n",
                 at, line(first).c_str(), line(second).c_str());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int appArgc = 1;
    static char* appArgv[] = {argc && *argc > 0 ? (*argv)[0] : const_cast<char*>("panel_fuzzer"), nullptr};
    new QApplication(appArgc, appArgv);
    // The application and the panel stay to the end: Qt's font caches do not survive their
    // destruction from an exit handler.
    session = new PanelSession;
    device = new FuzzControlDevice;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::string first;
    static std::string second;
    RunOnce(data, size, first);
    RunOnce(data, size, second);
    if (first != second) {
        ReportDifference(first, second);
        std::abort();
    }
    return 0;
}
