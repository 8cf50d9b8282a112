// Converts arbitrary bytes with the direct converter and checks every file it produces.
#include "converter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tavrin::fuzzing::FuzzConverter(&tavrin::BmpToIcoDirect, data, size);
}
