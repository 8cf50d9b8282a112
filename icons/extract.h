#pragma once
// The engine's entry points for the shell: extract the Nth icon group of a source, and count the
// icons of a file.
#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {

// mode 0 writes group `index` of `source` to `target` (an .ico or .bmp by the target's last three
// bytes); mode 1 puts its first image on the clipboard. Missing or out-of-range mode gives 1,
// a missing target an empty text, a missing or non-positive index 1. Returns the source's number
// of icon groups, or 0 when the index is out of range or nothing could be opened.
std::int32_t ExtractIconGroup(const std::string& source, std::optional<std::int32_t> mode = {},
                              std::optional<std::string> target = {},
                              std::optional<std::int32_t> index = {});

// The number of icons in a file, consistent with ExtractIconGroup; reads no resource data.
std::int32_t CountIcons(const std::string& path);

}  // namespace tavrin
