// Sets VELTRA_THREADS for the life of a test scope and puts the old value
// back, so a test can compare one thread with several.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace vt::test {

class threads_env {
public:
    explicit threads_env(const char* value) {
        if (const char* old = std::getenv("VELTRA_THREADS")) old_ = old;
        if (value != nullptr)
            ::setenv("VELTRA_THREADS", value, 1);
        else
            ::unsetenv("VELTRA_THREADS");
    }
    explicit threads_env(unsigned n) : threads_env(std::to_string(n).c_str()) {}
    ~threads_env() {
        if (old_)
            ::setenv("VELTRA_THREADS", old_->c_str(), 1);
        else
            ::unsetenv("VELTRA_THREADS");
    }
    threads_env(const threads_env&) = delete;
    threads_env& operator=(const threads_env&) = delete;

private:
    std::optional<std::string> old_;
};

}  // namespace vt::test
