// libFuzzer entry points: the input is the driver. Each input runs one fresh panel session
// (see PanelSession) over a FuzzControlDevice that reads every open and every answer from it.
#include <QApplication>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzControlDevice.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/InputScript.h"
#include "fuzz/PanelSession.h"

namespace {
QTemporaryDir* settingsDir = nullptr;

// The settings directory goes when the fuzzer or the replay exits normally. The application
// stays: Qt's font caches do not survive its destruction from an exit handler.
void RemoveSettingsDir() {
    delete settingsDir;
    settingsDir = nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application outlives every input.
    static int appArgc = 1;
    static char* appArgv[] = {argc && *argc > 0 ? (*argv)[0] : const_cast<char*>("panel_fuzzer"), nullptr};
    new QApplication(appArgc, appArgv);
    settingsDir = new QTemporaryDir(PanelSession::ScratchBase() + "/qor-fuzz-XXXXXX");
    if (!settingsDir->isValid()) std::abort();
    std::atexit(RemoveSettingsDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    FuzzControlDevice device(input);
    InputScript script(input);
    PanelSession session(device, script, (settingsDir->path() + "/QOR_Stats.ini").toStdString());
    session.Run();
    return 0;
}
