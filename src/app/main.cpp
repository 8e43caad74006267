#include <QApplication>
#include <QFile>
#include <QTemporaryFile>
#include <cstdio>
#include <string>

#include "app/CQorstatsApp.h"
#include "app/PanelCommandLine.h"
#include "app/StopSignals.h"
#include "driver/CDev.h"
#include "platform/ParentConsole.h"
#include "platform/ReportingControlDevice.h"
#include "platform/SettingsStore.h"
#include "res/StringTable.h"

namespace {
// Started without a console (from the Start menu or a file manager): what the command line
// has to say goes into a message box. The exit code, or -1 to run.
int ParseIntoMessageBox(PanelCommandLine& commandLine, const QStringList& arguments) {
    QTemporaryFile buffer;
    std::FILE* text = buffer.open() ? std::fopen(QFile::encodeName(buffer.fileName()).constData(), "w+") : nullptr;
    if (!text) return commandLine.Parse(arguments, stdout, stderr) == PanelCommandLine::Next::Exit ? commandLine.ExitCode() : -1;
    const bool exit = commandLine.Parse(arguments, text, text) == PanelCommandLine::Next::Exit;
    std::string said;
    std::rewind(text);
    char chunk[512];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, text)) > 0;) said.append(chunk, n);
    std::fclose(text);
    if (exit && !said.empty()) ParentConsole::Show(Str::AppTitle, said, commandLine.ExitCode() != 0);
    return exit ? commandLine.ExitCode() : -1;
}
}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    PanelCommandLine commandLine;
    if (ParentConsole::Attach()) {
        if (commandLine.Parse(arguments, stdout, stderr) == PanelCommandLine::Next::Exit) return commandLine.ExitCode();
    } else if (int code = ParseIntoMessageBox(commandLine, arguments); code >= 0) {
        return code;
    }
    if (!PanelCommandLine::CheckDisplay(stderr)) return 1;

    QApplication qt(argc, argv);
    StopSignals stopSignals([] { QCoreApplication::exit(0); });
    const std::string path =
        commandLine.DevicePath().empty() ? ReportingControlDevice::SystemPath() : commandLine.DevicePath();
    std::unique_ptr<ControlDevice> system =
        commandLine.DevicePath().empty() ? MakeSystemControlDevice() : MakeControlDevice(path);
    ReportingControlDevice device(*system, Str::AppTitle, path, stderr);
    CDev dev(device);
    SettingsStore settings;
    CQorstatsApp app(dev, settings);
    if (!app.InitInstance()) return 0;
    return QApplication::exec();
}
