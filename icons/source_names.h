#pragma once
// How a source or target is told by its name: the last three bytes, with ASCII letters
// lower-cased, and no dot required ("x.ICO" and "xico" are both icon files).
#include <string>
#include <string_view>

namespace tavrin {

// The last three bytes of a path (the whole path when it is shorter), A to Z lower-cased.
std::string LastThreeLowered(std::string_view path);

// True when the path ends in ".bmp" in any mix of letter case.
bool HasBitmapEnding(std::string_view path);

}  // namespace tavrin
