#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets (or, given none, unsets) an environment variable for the lifetime of this object.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            saved_ = old;
        apply(value);
    }
    ~ScopedEnvironment() { apply(saved_); }

private:
    void apply(const std::optional<std::string>& value) {
        value ? ::setenv(name_.c_str(), value->c_str(), 1) : ::unsetenv(name_.c_str());
    }
    std::string name_;
    std::optional<std::string> saved_;
};
