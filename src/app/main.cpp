#include <QApplication>
#include <cstdio>

#include "app/CQorstatsApp.h"
#include "app/PanelCommandLine.h"
#include "app/StopSignals.h"
#include "driver/CDev.h"
#include "platform/ReportingControlDevice.h"
#include "platform/SettingsStore.h"
#include "res/StringTable.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    PanelCommandLine commandLine;
    if (commandLine.Parse(arguments, stdout, stderr) == PanelCommandLine::Next::Exit) return commandLine.ExitCode();
    if (!PanelCommandLine::CheckDisplay(stderr)) return 1;

    QApplication qt(argc, argv);
    StopSignals stopSignals([] { QCoreApplication::exit(0); });
    std::unique_ptr<ControlDevice> system = MakeSystemControlDevice();
    ReportingControlDevice device(*system, Str::AppTitle, ReportingControlDevice::SystemPath(), stderr);
    CDev dev(device);
    SettingsStore settings;
    CQorstatsApp app(dev, settings);
    if (!app.InitInstance()) return 0;
    return QApplication::exec();
}
