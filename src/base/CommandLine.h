#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// How the three programs read their command lines. Each lists its options; each argument comes
// back as an option with its value, a word that names no option, or a mistake, in the order
// given, so a program can apply them in turn. "--name", "-name" and "--name=value" all name an
// option, a value is otherwise the next argument whatever it looks like, and "--" ends the
// options.
class CommandLine {
public:
    struct Option {
        int id;
        std::string_view names;  // "h|help": without dashes, each one a way to name it
        // What its value is, for "--x needs <needs>"; null for an option without a value.
        const char* needs = nullptr;
    };

    struct Argument {
        enum class Kind {
            Option,
            Word,             // not an option: a file name, or a stray word
            Unknown,          // looks like an option and names none
            MissingValue,     // the last argument, and it wants a value
            UnexpectedValue,  // "--flag=value" for an option without a value
        };
        Kind kind;
        int id = -1;           // the option's, where one was named
        std::string written;   // as given, without "=value"
        std::string name;      // without its dashes
        std::string value;
        const char* needs = nullptr;  // the option's

        // What is wrong, in the words every program uses: "unknown option '--x'", "--x needs a file"...
        std::string Mistake() const;
    };

    explicit CommandLine(std::span<const Option> options) : options_(options) {}

    // Arguments without the program name.
    std::vector<Argument> Read(const std::vector<std::string>& arguments) const;
    // argv from its first argument on.
    static std::vector<std::string> Arguments(int argc, const char* const* argv);

private:
    const Option* Find(std::string_view name) const;

    std::span<const Option> options_;
};
