// vtbatch: runs the table operations a query file describes.
#include <cstdio>

namespace {

// Wrong number of arguments.
constexpr int code_usage = 701;
// An exception that reached main: an internal fault.
constexpr int code_unexpected = 999;

int run(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: vtbatch queryfile\n", stderr);
        return code_usage;
    }
    (void)argv;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (...) {
        std::fputs("vtbatch: internal error\n", stderr);
        return code_unexpected;
    }
}
