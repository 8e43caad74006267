#include "platform/ParentConsole.h"

#include <cstdio>

bool ParentConsole::Attach() { return true; }

void ParentConsole::Show(const std::string&, const std::string& text, bool error) {
    std::fputs(text.c_str(), error ? stderr : stdout);
}
