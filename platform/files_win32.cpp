// The Windows file calls. Paths are UTF-8 texts, converted to UTF-16 for the wide calls. A
// ReadOnlyFile keeps its handle as a C run-time descriptor, so that it fits the same class.
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <utility>

#include "platform/files.h"
#include "platform/wide_text.h"

namespace tavrin {
namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// One ReadFile call moves at most this many bytes.
constexpr std::size_t kMaxChunk = 1u << 30;

bool ReadFully(HANDLE file, std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto chunk = static_cast<DWORD>(std::min(out.size() - done, kMaxChunk));
        DWORD got = 0;
        if (!::ReadFile(file, out.data() + done, chunk, &got, &position) || got == 0) return false;
        done += got;
    }
    return true;
}

bool IsDirectoryName(const std::string& path) {
    return path.empty() || path.back() == '/' || path.back() == '\\';
}

// A name beside target for the temporary file; each call gives a new one.
std::wstring TemporaryName(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long stamp =
        (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^ ::GetTickCount64() ^
        (static_cast<unsigned long long>(counter.fetch_add(1)) * 0x9E3779B97F4A7C15ull);
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    std::wstring name = target + L".";
    unsigned long long rest = stamp;
    for (int i = 0; i < 6; ++i) {
        name += kDigits[rest % 36];
        rest /= 36;
    }
    return name;
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
    auto wide = WideFromUtf8(path);
    if (!wide || wide->empty()) return std::nullopt;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open.
    HANDLE file = ::CreateFileW(wide->c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) ||
        size.QuadPart < 0) {
        ::CloseHandle(file);
        return std::nullopt;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(file);
        return std::nullopt;
    }
    return ReadOnlyFile(fd, static_cast<std::uint64_t>(size.QuadPart));
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::_close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::_close(fd_);  // closes the handle as well
}

bool ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > size_ || out.size() > size_ - offset) return false;
    return ReadFully(HandleOf(fd_), offset, out);
}

AtomicFileWriter::AtomicFileWriter(const std::string& target) : target_(target) {
    if (IsDirectoryName(target)) return;
    auto wide = WideFromUtf8(target);
    if (!wide) return;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring name = TemporaryName(*wide);
        HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) continue;
            return;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(file);
            ::DeleteFileW(name.c_str());
            return;
        }
        fd_ = fd;
        temporary_ = Utf8FromWide(name);
        return;
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        ::_close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        if (auto wide = WideFromUtf8(temporary_)) ::DeleteFileW(wide->c_str());
        temporary_.clear();
    }
}

bool AtomicFileWriter::WriteOut(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMaxChunk));
        DWORD put = 0;
        if (!::WriteFile(HandleOf(fd_), bytes.data() + done, chunk, &put, nullptr) || put == 0) {
            Discard();
            return false;
        }
        done += put;
    }
    return true;
}

bool AtomicFileWriter::Finish() {
    if (fd_ < 0) return false;
    const int fd = std::exchange(fd_, -1);
    const bool closed = ::_close(fd) == 0;
    auto from = WideFromUtf8(temporary_);
    auto to = WideFromUtf8(target_);
    if (!closed || !from || !to ||
        !::MoveFileExW(from->c_str(), to->c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

bool DeleteFileAt(const std::string& path) {
    auto wide = WideFromUtf8(path);
    if (!wide || wide->empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(wide->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    return ::DeleteFileW(wide->c_str()) != 0;
}

}  // namespace tavrin
#endif
