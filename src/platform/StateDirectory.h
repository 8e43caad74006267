#pragma once

#include <filesystem>

// Where the panel keeps files of its own that outlive a run (the event log): $XDG_STATE_HOME
// (or ~/.local/state)/qorstats, %LOCALAPPDATA%\Velmoric\qorstats on Windows. Not created
// here. Empty when the environment names no such place.
namespace StateDirectory {
std::filesystem::path Path();
}
