#pragma once
// The large module of the benchmarks: each icon group holds a 16 x 16 and a 32 x 32 32-bit DIB and
// a 256 x 256 PNG of about 134 KB, about 140 KB in all, so 1,000 groups make a module of 140 MB.
#include <string>

namespace tavrin::testing {

// Writes a PE32+ module of that many groups; the images' bytes are shared by every group, so
// building it takes little memory.
bool WriteLargeModule(const std::string& path, int groups);

}  // namespace tavrin::testing
