// The POSIX file calls; files_win32.cpp has the Windows ones.
#if !defined(_WIN32)
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

namespace tavrin {
namespace {

bool ReadFully(int fd, std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (offset + done > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
            return false;
        }
        ssize_t got =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

ByteBuffer ReadFileBytes(const std::string& path) {
    auto file = ReadOnlyFile::Open(path);
    if (!file || file->size() == 0) return {};
    if (file->size() > std::numeric_limits<std::size_t>::max() / 2) return {};
    ByteBuffer bytes(static_cast<std::size_t>(file->size()));
    if (!file->ReadAt(0, bytes)) return {};
    return bytes;
}

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
    // O_NONBLOCK keeps a FIFO or device under a source's name from blocking the open; only
    // regular files are read, and for them the flag changes nothing.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return ReadOnlyFile(fd, static_cast<std::uint64_t>(info.st_size));
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > size_ || out.size() > size_ - offset) return false;
    return ReadFully(fd_, offset, out);
}

AtomicFileWriter::AtomicFileWriter(const std::string& target) : target_(target) {
    if (target.empty() || target.back() == '/') return;
    // A name of our own beside the target, created exclusively with the mode an ordinary create
    // would give (the umask applies), so no second call is needed to set it.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + ".tmp" + std::to_string(::getpid()) + "-" +
                           std::to_string(counter.fetch_add(1));
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = std::move(name);
            return;
        }
        if (errno != EEXIST) return;
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool AtomicFileWriter::WriteOut(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            Discard();
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool AtomicFileWriter::Finish() {
    if (fd_ < 0) return false;
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

bool DeleteFileAt(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

}  // namespace tavrin
#endif
