// Linked into every benchmark (olv_benchmark): before anything else the program
// prints which build its figures come from, as CMake named it. A figure from a
// sanitizer build is several times slower than an optimised one and must not be
// read as one.
#include <cstdio>

namespace {

struct BuildLine {
    BuildLine() {
        std::printf("build: %s\n", OLV_BENCH_BUILD);
        std::fflush(stdout);
    }
};
const BuildLine kBuildLine;

}  // namespace
