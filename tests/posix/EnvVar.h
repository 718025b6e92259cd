// Sets (or, with nullptr, removes) an environment variable for one test and puts the
// old value back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kirramo::posix::testing {

class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace kirramo::posix::testing
