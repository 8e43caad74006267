#pragma once

#include <string>

// Where a GUI program's --help and --version go. On Windows it has no console of its own: it
// writes to the handles it was started with (a pipe, a file), else to the console of the
// terminal it was started from; where there is neither, the text goes into a message box.
// Elsewhere standard output and standard error are always there.
namespace ParentConsole {
// True when standard output and standard error reach somebody; on Windows this may attach to
// the parent's console.
bool Attach();
// For a program without a console: shows text in a message box (an error box when error).
void Show(const std::string& title, const std::string& text, bool error);
}  // namespace ParentConsole
