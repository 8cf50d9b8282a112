// Shortcut files: the header test and the target reader over arbitrary bytes. The reader takes a
// path, so each input goes through a file of this process's own.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/shell_links.h"

namespace {

const std::string& InputPath() {
    static const std::string path =
        "/tmp/tavrin-fuzz-shortcut-" + std::to_string(::getpid()) + ".lnk";
    return path;
}

struct RemoveAtExit {
    ~RemoveAtExit() { std::remove(InputPath().c_str()); }
} removeAtExit;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) return 0;
    const std::string target = tavrin::ResolveShortcut(InputPath());
    if (target.size() > 259) __builtin_trap();
    if (!target.empty() && !tavrin::IsShortcutFile(InputPath())) __builtin_trap();
    return 0;
}
