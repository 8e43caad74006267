#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DevicePath.h"
#include "support/ScopedEnvironment.h"

namespace fs = std::filesystem;

namespace {
enum class Scene { Unset, Missing, OpenToOthers, File, OtherUsers, Link };

// Puts what the scene names at path; false where it cannot be made (another user's directory
// needs the tests to run as root).
bool Make(const std::string& path, Scene scene) {
    switch (scene) {
        case Scene::Unset:
        case Scene::Missing: return true;
        case Scene::OpenToOthers: return fs::create_directory(path) && ::chmod(path.c_str(), 0755) == 0;
        case Scene::File: return bool(std::ofstream(path) << "x");
        case Scene::OtherUsers: return fs::create_directory(path) && ::chown(path.c_str(), 4242, 4242) == 0;
        case Scene::Link:
            fs::create_directory(path + ".target");
            fs::create_directory_symlink(path + ".target", path);
            return ::chmod((path + ".target").c_str(), 0700) == 0;
    }
    return false;
}
}  // namespace

// The control device socket and the single-instance lock live in a directory nobody else may
// enter; an unusable runtime directory never sends them to one shared by all users.
TEST(DevicePath, PrivateDirectoryIsTheRuntimeDirectoryOrAnotherOfTheUsersOwnOrNone) {
    enum class Expect { Runtime, Fallback, None };
    struct Case {
        const char* what;
        Scene runtime;
        Scene fallback;  // /tmp/qor1394-<uid>
        Expect expect;
    };
    const Case cases[] = {
        {"runtime directory missing: created", Scene::Missing, Scene::Missing, Expect::Runtime},
        {"runtime directory open to others: made private", Scene::OpenToOthers, Scene::Missing, Expect::Runtime},
        {"no runtime directory", Scene::Unset, Scene::Missing, Expect::Fallback},
        {"runtime directory is a file", Scene::File, Scene::Missing, Expect::Fallback},
        {"runtime directory of another user", Scene::OtherUsers, Scene::Missing, Expect::Fallback},
        {"the other place is a file", Scene::File, Scene::File, Expect::None},
        {"the other place is a link", Scene::Unset, Scene::Link, Expect::None},
        {"the other place is another user's", Scene::Unset, Scene::OtherUsers, Expect::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char name[] = "/tmp/qorpath-test-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        const std::string base = name;
        const std::string temp = base + "/tmp";  // stands for /tmp
        fs::create_directory(temp);
        const std::string runtime = base + "/run";
        const std::string fallback = temp + "/qor1394-" + std::to_string(::getuid());
        if (Make(runtime, c.runtime) && Make(fallback, c.fallback)) {
            ScopedEnvironment xdg("XDG_RUNTIME_DIR", c.runtime == Scene::Unset ? std::nullopt : std::optional(runtime));
            ScopedEnvironment tmp("TMPDIR", temp);
            const std::string dir = DevicePath::PrivateDirectory();
            EXPECT_EQ(dir, c.expect == Expect::Runtime ? runtime : c.expect == Expect::Fallback ? fallback : "");
            struct stat st {};
            if (!dir.empty()) {
                ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
                EXPECT_EQ(st.st_mode & 07777, 0700u);
            }
            EXPECT_EQ(DevicePath::SocketPath(), dir.empty() ? "" : dir + "/qor1394-" + DevicePath::Guid);
        }
        fs::remove_all(base);
    }
}
