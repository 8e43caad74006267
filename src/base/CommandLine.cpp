#include "base/CommandLine.h"

const CommandLine::Option* CommandLine::Find(std::string_view name) const {
    for (const Option& option : options_) {
        std::string_view names = option.names;
        for (;;) {
            const size_t bar = names.find('|');
            if (names.substr(0, bar) == name) return &option;
            if (bar == std::string_view::npos) break;
            names.remove_prefix(bar + 1);
        }
    }
    return nullptr;
}

std::vector<CommandLine::Argument> CommandLine::Read(const std::vector<std::string>& arguments) const {
    std::vector<Argument> read;
    read.reserve(arguments.size());
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            read.push_back({Argument::Kind::Word, -1, argument, argument, {}});
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = argument.find('=');
        Argument a{Argument::Kind::Option, -1, argument.substr(0, equals), {}, {}};
        a.name = a.written.substr(a.written.compare(0, 2, "--") == 0 ? 2 : 1);
        const Option* option = a.name.empty() ? nullptr : Find(a.name);
        if (!option) {
            a.kind = Argument::Kind::Unknown;
        } else {
            a.id = option->id;
            a.needs = option->needs;
            if (equals != std::string::npos) {
                a.value = argument.substr(equals + 1);
                if (!option->needs) a.kind = Argument::Kind::UnexpectedValue;
            } else if (option->needs) {
                if (i + 1 < arguments.size())
                    a.value = arguments[++i];
                else
                    a.kind = Argument::Kind::MissingValue;
            }
        }
        read.push_back(std::move(a));
    }
    return read;
}

std::string CommandLine::Argument::Mistake() const {
    switch (kind) {
        case Kind::Unknown:
            return "unknown option '" + written + "'";
        case Kind::Word:
            return "unexpected argument '" + written + "'";
        case Kind::MissingValue:
            return written + " needs " + (needs ? needs : "a value");
        case Kind::UnexpectedValue:
            return written + " takes no value";
        case Kind::Option:
            break;
    }
    return {};
}

std::vector<std::string> CommandLine::Arguments(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}
