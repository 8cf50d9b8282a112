#pragma once
// The platform's file calls. Files are read as data only. Every file is written through a
// temporary file in the target's folder that is renamed over the target only once every byte is
// written, so a failed write leaves no partial file and keeps an earlier file of that name.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/bytes.h"

namespace tavrin {

// All bytes of a file; empty when it is missing, unreadable or empty.
ByteBuffer ReadFileBytes(const std::string& path);

// A regular file opened read-only for positioned reads.
class ReadOnlyFile {
  public:
    static std::optional<ReadOnlyFile> Open(const std::string& path);
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    std::uint64_t size() const { return size_; }
    // True only when all of out was filled from offset on.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

  private:
    ReadOnlyFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Builds a file piece by piece in a temporary file beside the target. Commit renames it over the
// target; a writer destroyed without a successful Commit removes the temporary file.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& target);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    bool ok() const { return fd_ >= 0; }
    // Writes all of bytes; small pieces are gathered and go out together. After the first
    // failure every call fails, so a failure may only show at a later Write or at Commit.
    bool Write(std::span<const std::uint8_t> bytes);
    bool Commit();

  private:
    // The platform's part: write bytes to the temporary file, and close and rename it.
    bool WriteOut(std::span<const std::uint8_t> bytes);
    bool Finish();
    bool Flush();
    void Discard();
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    ByteBuffer pending_;
};

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Deletes a regular file; false when there was none or it could not be deleted.
bool DeleteFileAt(const std::string& path);

}  // namespace tavrin
