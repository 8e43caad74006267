#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable (or removes it, given nothing) for the life of the object.
class ScopedEnvironment {
#ifdef _WIN32
    // An empty value removes a variable on Windows.
    static void setenv(const char* name, const char* value, int) { ::_putenv_s(name, value); }
    static void unsetenv(const char* name) { ::_putenv_s(name, ""); }
#endif
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};
