#pragma once

#include <QStringList>
#include <cstdio>
#include <string>

// The panel's own command line is --help, --version and --device. It is read before the window system
// is touched, so both answer without a display; the options Qt takes for itself (-platform,
// -style, -session from a session manager...) pass through to the application object.
class PanelCommandLine {
public:
    enum class Next { Run, Exit };

    // Help and version go to out. Anything else is named on err and ignored: the panel starts.
    // The arguments include the program name, as argv does.
    Next Parse(const QStringList& arguments, std::FILE* out, std::FILE* err);
    int ExitCode() const { return exitCode_; }
    // The control device to read, from --device; empty for the system's own.
    const std::string& DevicePath() const { return devicePath_; }

    // False, after saying so on err, where the panel would find no display to open.
    static bool CheckDisplay(std::FILE* err);

private:
    int exitCode_ = 0;
    std::string devicePath_;
};
