#pragma once
// A fresh directory under the system's temporary folder, removed with everything in it.
#include <filesystem>
#include <string>

#include "platform/bytes.h"

namespace tavrin::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Writes bytes to a file in the directory and returns its path.
    std::string Write(const std::string& name, const ByteBuffer& bytes) const;

private:
    std::filesystem::path path_;
};

}  // namespace tavrin::testing
