#include "app/PanelCommandLine.h"

#include <cstdlib>

#include "base/CommandLine.h"
#include "res/StringTable.h"

namespace {
constexpr const char* HelpText =
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

enum Id : int { Help, Version, Device, QtOption };
constexpr const char* QtValue = "a value";
// Qt's own options are taken by the application object after this parser has let them through.
constexpr CommandLine::Option Options[] = {
    {Help, "h|help"}, {Version, "v|version"}, {Device, "device|socket", "a path"},
    {QtOption, "platform|platformpluginpath|platformtheme|plugin|qwindowgeometry|qwindowicon|qwindowtitle|geometry",
     QtValue},
    {QtOption, "display|session|style|stylesheet|name|title|qmljsdebugger", QtValue},
    {QtOption, "reverse|widgetcount|nograb|dograb|sync|testability"},
};

}  // namespace

PanelCommandLine::Next PanelCommandLine::Parse(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    std::vector<std::string> words;
    for (qsizetype i = 1; i < arguments.size(); ++i) words.push_back(arguments[i].toLocal8Bit().toStdString());
    exitCode_ = 0;
    devicePath_.clear();
    bool help = false;
    bool version = false;
    bool deviceSet = false;
    // A launcher or a file manager may pass what it likes: the panel names it and starts anyway.
    for (const CommandLine::Argument& a : CommandLine(Options).Read(words)) {
        using Kind = CommandLine::Argument::Kind;
        if (a.kind == Kind::Word) {
            std::fprintf(err, "%s: argument '%s' ignored\n", Str::AppTitle, a.written.c_str());
        } else if (a.kind == Kind::Unknown) {
            std::fprintf(err, "%s: unknown option '%s' ignored\n", Str::AppTitle, a.name.c_str());
        } else if (a.kind != Kind::Option) {
            std::fprintf(err, "%s: %s (ignored)\n", Str::AppTitle, a.Mistake().c_str());
        } else if (a.id == Help) {
            help = true;
        } else if (a.id == Version) {
            version = true;
        } else if (a.id == Device) {
            devicePath_ = a.value;
            deviceSet = true;
        }
    }
    if (deviceSet && devicePath_.empty()) std::fprintf(err, "%s: --device without a path ignored\n", Str::AppTitle);
    if (help) {
        std::fputs(HelpText, out);
        return Next::Exit;
    }
    if (version) {
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
