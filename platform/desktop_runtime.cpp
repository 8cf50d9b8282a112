#include "platform/desktop_runtime.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/files.h"

namespace tavrin {

void DesktopRuntime::RegisterExitCallback(Handler callback) {
    if (!callback) return;
    if (std::find(exitCallbacks_.begin(), exitCallbacks_.end(), callback) == exitCallbacks_.end()) {
        exitCallbacks_.push_back(callback);
    }
}

void DesktopRuntime::RunExitCallbacks() {
    // A callback may register another; it runs as well, after the earlier ones.
    for (std::size_t i = 0; i < exitCallbacks_.size(); ++i) exitCallbacks_[i](*this);
}

ByteBuffer DesktopRuntime::ReadWholeFile(const std::string& path) {
    return ReadFileBytes(path);
}

void DesktopRuntime::WriteWholeFile(const std::string& path, const ByteBuffer& bytes) {
    WriteFileAtomically(path, bytes);
}

void DesktopRuntime::RemoveFile(const std::string& path) {
    DeleteFileAt(path);
}

void DesktopRuntime::SeedRandom() {
    auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    random_.seed(seed);
}

std::int32_t DesktopRuntime::RandomInRange(std::int32_t low, std::int32_t high) {
    if (low > high) std::swap(low, high);
    return std::uniform_int_distribution<std::int32_t>(low, high)(random_);
}

}  // namespace tavrin
