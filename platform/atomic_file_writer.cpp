// The platform-independent part of writing a file atomically: gathering small writes, so that a
// file built from many pieces (an icon file's header, directory entries and images) goes out in
// few system calls.
#include <cstddef>

#include "platform/files.h"

namespace tavrin {
namespace {

constexpr std::size_t kGatherLimit = 64 * 1024;

}  // namespace

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
    if (!ok()) return false;
    if (bytes.size() <= kGatherLimit - pending_.size()) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        return true;
    }
    if (!Flush()) return false;
    if (bytes.size() < kGatherLimit) {
        pending_.assign(bytes.begin(), bytes.end());
        return true;
    }
    return WriteOut(bytes);
}

bool AtomicFileWriter::Flush() {
    if (pending_.empty()) return true;
    bool written = WriteOut(pending_);
    pending_.clear();
    return written;
}

bool AtomicFileWriter::Commit() {
    if (!ok()) return false;
    if (!Flush()) return false;
    return Finish();
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFileWriter writer(path);
    return writer.Write(bytes) && writer.Commit();
}

}  // namespace tavrin
