#include "platform/StateDirectory.h"

#include <cstdlib>
#include <string>

std::filesystem::path StateDirectory::Path() {
    // Relative values are to be ignored, as if unset.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::filesystem::path(state) / "qorstats";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::filesystem::path(home) / ".local" / "state" / "qorstats";
    return {};
}
