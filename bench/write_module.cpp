// Writes the benchmarks' large module to a file, for timing whole programs on it:
//   bench_write_module icons.dll 1000
#include <cstdio>
#include <cstdlib>

#include "support/large_module.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1 || std::atoi(argv[2]) > 21000) {
        std::fprintf(stderr, "usage: %s FILE GROUPS (1 to 21000)\n", argv[0]);
        return 2;
    }
    return tavrin::testing::WriteLargeModule(argv[1], std::atoi(argv[2])) ? 0 : 1;
}
