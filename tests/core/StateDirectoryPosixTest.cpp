#include <gtest/gtest.h>

#include "platform/StateDirectory.h"
#include "support/ScopedEnvironment.h"

// Where the event log lives: the XDG state folder, whose relative values count as unset.
TEST(StateDirectory, FollowsXdgStateHomeThenHomeAndIgnoresRelativeValues) {
    struct Case {
        std::optional<std::string> state, home;
        const char* expected;
    };
    const Case cases[] = {
        {"/var/state", "/home/u", "/var/state/qorstats"},
        {std::nullopt, "/home/u", "/home/u/.local/state/qorstats"},
        {"state", "/home/u", "/home/u/.local/state/qorstats"},
        {"", "/home/u", "/home/u/.local/state/qorstats"},
        {std::nullopt, "home", ""},
        {std::nullopt, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        ScopedEnvironment state("XDG_STATE_HOME", c.state);
        ScopedEnvironment home("HOME", c.home);
        EXPECT_EQ(StateDirectory::Path(), std::filesystem::path(c.expected))
            << c.state.value_or("(unset)") << " " << c.home.value_or("(unset)");
    }
}
