#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/CommandLine.h"

namespace {
enum { Help, Device, Ticks };
constexpr CommandLine::Option Options[] = {{Help, "h|help"}, {Device, "device|socket", "a path"}, {Ticks, "ticks", "a number"}};

// Each argument as "kind id value | mistake".
std::string Read(const std::vector<std::string>& arguments) {
    std::string said;
    for (const CommandLine::Argument& a : CommandLine(Options).Read(arguments)) {
        const char* kinds = "OWUMX";
        said += std::string(1, kinds[static_cast<int>(a.kind)]) + std::to_string(a.id) + " " + a.value;
        if (a.kind != CommandLine::Argument::Kind::Option) said += " | " + a.Mistake();
        said += "; ";
    }
    return said;
}
}  // namespace

TEST(CommandLine, EveryProgramReadsOptionsValuesAndMistakesAlike) {
    struct Case {
        std::vector<std::string> arguments;
        std::string read;
    } cases[] = {
        {{}, ""},
        {{"--device", "/x"}, "O1 /x; "},
        {{"--device=/x"}, "O1 /x; "},
        {{"-device", "/x"}, "O1 /x; "},
        {{"--socket", "-h"}, "O1 -h; "},  // a value is the next argument, whatever it looks like
        {{"--device="}, "O1 ; "},
        {{"-h", "--help"}, "O0 ; O0 ; "},
        {{"--ticks", "3", "--ticks=4"}, "O2 3; O2 4; "},  // in order, so the last one can win
        {{"--help=yes"}, "X0 yes | --help takes no value; "},
        {{"--ticks"}, "M2  | --ticks needs a number; "},
        {{"--bogus=1", "-x"}, "U-1  | unknown option '--bogus'; U-1  | unknown option '-x'; "},
        {{"--="}, "U-1  | unknown option '--'; "},
        {{"stray", "-", "--", "--help"},
         "W-1  | unexpected argument 'stray'; W-1  | unexpected argument '-'; W-1  | unexpected argument '--help'; "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(Read(c.arguments), c.read);
    }
    const char* argv[] = {"qorpoll", "--ticks", "2"};
    EXPECT_EQ(CommandLine::Arguments(3, argv), (std::vector<std::string>{"--ticks", "2"}));
}
