#pragma once
// The shell services the path field relies on: shortcut targets and the desktop folder.
#include <cstdint>
#include <string>

namespace tavrin {

// The file-system path that the shortcut file at path records (at most 259 bytes), or an empty
// text when the file is no shortcut, cannot be read, or records no file-system path.
std::string ResolveShortcut(const std::string& path);

// True when the file at path starts with a valid shell-link header.
bool IsShortcutFile(const std::string& path);

// The special folder numbered `number`, ending in the directory separator, or an empty text.
// Only 3, the user's desktop directory, is known.
std::string SpecialFolderPath(std::int32_t number);

}  // namespace tavrin
