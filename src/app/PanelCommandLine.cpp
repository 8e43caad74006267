#include "app/PanelCommandLine.h"

#include <QCommandLineParser>
#include <cstdlib>

#include "res/StringTable.h"

namespace {
constexpr const char* Help =
    "Usage: qorstats [options]\n"
    "Velmoric 1394 Driver Statistics Panel: reads the counters of the Velmoric 1394 audio driver\n"
    "from its control device every 500 ms and shows them. Only one panel runs per session; a\n"
    "second start brings the first one's window to the front.\n"
    "\n"
    "Options:\n"
    "  --device PATH  read the control device at PATH instead of the driver's own\n"
    "  -h, --help     show this text and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
#ifdef _WIN32
    "Without the driver, start the driver simulator first (qorsimd); qorsimd --help lists its\n"
    "options. It serves \\\\.\\pipe\\qor1394-{GUID}: read from it with --device and that name.\n";
#else
    "Without the driver, start the driver simulator first (qorsimd &); qorsimd --help lists its\n"
    "options. SIGINT and SIGTERM close the panel as its window's close box does.\n";
#endif

// Qt's own options, taken by the application object after this parser has let them through.
constexpr const char* QtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                          "qwindowgeometry", "qwindowicon", "qwindowtitle", "geometry",
                                          "display", "session", "style", "stylesheet", "name", "title",
                                          "qmljsdebugger"};
constexpr const char* QtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

}  // namespace

PanelCommandLine::Next PanelCommandLine::Parse(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    const QCommandLineOption device(QStringList{"device", "socket"}, QString(), QStringLiteral("path"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(device);
    for (const char* name : QtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    // A launcher or a file manager may pass what it likes: the panel names it and starts anyway.
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            std::fprintf(err, "%s: %s (ignored)\n", Str::AppTitle, qPrintable(parser.errorText()));
        for (const QString& name : unknown)
            std::fprintf(err, "%s: unknown option '%s' ignored\n", Str::AppTitle, qPrintable(name));
    }
    for (const QString& argument : parser.positionalArguments())
        std::fprintf(err, "%s: argument '%s' ignored\n", Str::AppTitle, qPrintable(argument));
    exitCode_ = 0;
    devicePath_ = parser.value(device).toLocal8Bit().toStdString();
    if (parser.isSet(device) && devicePath_.empty())
        std::fprintf(err, "%s: --device without a path ignored\n", Str::AppTitle);
    if (parser.isSet(help)) {
        std::fputs(Help, out);
        return Next::Exit;
    }
    if (parser.isSet(version)) {
        std::fprintf(out, Str::VersionLineFormat, Str::AppTitle, Str::PanelVersion[0], Str::PanelVersion[1],
                     Str::PanelVersion[2]);
        return Next::Exit;
    }
    return Next::Run;
}

bool PanelCommandLine::CheckDisplay(std::FILE* err) {
#if defined(__unix__) && !defined(__APPLE__)
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    // Qt would abort with advice to reinstall the application.
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        std::fprintf(err,
                     "%s: no display: the panel needs a desktop session (DISPLAY or WAYLAND_DISPLAY is not set)\n",
                     Str::AppTitle);
        return false;
    }
#else
    (void)err;
#endif
    return true;
}
