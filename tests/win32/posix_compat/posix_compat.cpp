#include "posix_compat.h"

#include <errno.h>
#include <sys/resource.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <random>
#include <string>

namespace {

std::wstring Wide(const char* text) {
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
    wide.resize(static_cast<std::size_t>(units - 1));
    return wide;
}

// ---- The file-size limit, enforced by putting a checking WriteFile into the program's import
// table while a limit is set.

using WriteFileCall = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

std::atomic<rlim_t> fileSizeLimit{RLIM_INFINITY};
WriteFileCall systemWriteFile = nullptr;

BOOL WINAPI LimitedWriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    const rlim_t limit = fileSizeLimit.load();
    LARGE_INTEGER position{};
    if (limit != RLIM_INFINITY && !overlapped && ::GetFileType(file) == FILE_TYPE_DISK &&
        ::SetFilePointerEx(file, LARGE_INTEGER{}, &position, FILE_CURRENT)) {
        const auto at = static_cast<rlim_t>(position.QuadPart);
        if (at + count > limit) {
            const DWORD room = at >= limit ? 0 : static_cast<DWORD>(limit - at);
            if (room > 0) return systemWriteFile(file, bytes, room, written, nullptr);
            if (written) *written = 0;
            ::SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
    }
    return systemWriteFile(file, bytes, count, written, overlapped);
}

// Points every import slot of the program that holds `from` at `to`.
void PatchImports(void* from, void* to) {
    auto* base = reinterpret_cast<std::uint8_t*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* module =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
             slot->u1.Function != 0; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != from) continue;
            DWORD old = 0;
            ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
        }
    }
}

}  // namespace

extern "C" {

char* mkdtemp(char* pattern) {
    const std::size_t length = pattern ? std::strlen(pattern) : 0;
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    static std::mt19937_64 random{std::random_device{}() ^ ::GetTickCount64() ^
                                  ::GetCurrentProcessId()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (std::size_t i = length - 6; i < length; ++i) pattern[i] = kDigits[random() % 36];
        if (::CreateDirectoryW(Wide(pattern).c_str(), nullptr)) return pattern;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    errno = EEXIST;
    return nullptr;
}

int mkfifo(const char*, int) {
    errno = ENOSYS;
    return -1;
}

int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) return 0;
    // Unlike POSIX, an empty value removes the variable here.
    return ::_putenv_s(name, value) == 0 ? 0 : -1;
}

int unsetenv(const char* name) {
    return ::_putenv_s(name, "") == 0 ? 0 : -1;
}

int getrlimit(int resource, struct rlimit* limit) {
    if (resource != RLIMIT_FSIZE || !limit) {
        errno = EINVAL;
        return -1;
    }
    limit->rlim_cur = limit->rlim_max = fileSizeLimit.load();
    return 0;
}

int setrlimit(int resource, const struct rlimit* limit) {
    if (resource != RLIMIT_FSIZE || !limit) {
        errno = EINVAL;
        return -1;
    }
    if (!systemWriteFile) {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        systemWriteFile = reinterpret_cast<WriteFileCall>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "WriteFile")));
        if (!systemWriteFile) return -1;
        PatchImports(reinterpret_cast<void*>(systemWriteFile),
                     reinterpret_cast<void*>(&LimitedWriteFile));
    }
    fileSizeLimit = limit->rlim_cur;
    return 0;
}

}  // extern "C"
