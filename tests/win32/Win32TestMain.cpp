#include <gtest/gtest.h>

#include "win32/ChildRoles.h"

int main(int argc, char** argv) {
    int exitCode = 0;
    if (ChildRoles::Run(argc, argv, exitCode)) return exitCode;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
