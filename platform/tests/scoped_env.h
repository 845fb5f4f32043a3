#pragma once
// Sets (or, with nullptr, removes) an environment variable for the life of the object and puts
// the old value back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnv {
public:
    ScopedEnv(const char* Name, const char* Value) : name_(Name) {
        if (const char* old = std::getenv(Name)) old_ = old;
        if (Value)
            setenv(Name, Value, 1);
        else
            unsetenv(Name);
    }
    ScopedEnv(const char* Name, const std::string& Value) : ScopedEnv(Name, Value.c_str()) {}
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};
