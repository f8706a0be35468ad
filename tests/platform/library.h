// A shared library loaded for a test the way a host loads it, and closed
// again at the end of the test.
#pragma once

#include <dlfcn.h>

namespace vt::test {

struct library {
    void* handle;
    explicit library(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~library() {
        if (handle) dlclose(handle);
    }
    library(const library&) = delete;
    library& operator=(const library&) = delete;
    // The export `name` as a function of type F, or null.
    template <class F>
    F fn(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
};

}  // namespace vt::test
