#include "backup/BackupFilesWin32.h"

#include <windows.h>

#include "backup/RegFile.h"
#include "win32/Handles.h"
#include "win32/Utf16.h"

namespace backup {

namespace {

using win32::Wide;

// Writes all of `bytes` and flushes them; on failure the file is cut back to
// `keep` bytes, so that no half entry stays behind.
Error WriteFlushed(HANDLE h, DWORD keep, const std::vector<std::uint8_t>& bytes) {
    DWORD written = 0;
    Error error = kOk;
    if (!WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        error = GetLastError();
    else if (written != bytes.size())
        error = kDiskFull;
    else if (!FlushFileBuffers(h))
        error = GetLastError();
    if (error != kOk) {
        SetFilePointer(h, static_cast<LONG>(keep), nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        FlushFileBuffers(h);
    }
    return error;
}

}  // namespace

LocalTime BackupFilesWin32::Now() {
    SYSTEMTIME t = {};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

Error BackupFilesWin32::CreateFolders(const std::u16string& folder) {
    // Each folder on the way, from the top; "C:" and "\\server\share" parts
    // exist or fail on their own and are passed over.
    for (std::size_t slash = folder.find(u'\\');; slash = folder.find(u'\\', slash + 1)) {
        const std::u16string part = folder.substr(0, slash);
        if (!part.empty() && part.back() != u':' && !CreateDirectoryW(Wide(part), nullptr)) {
            const Error e = GetLastError();
            if (e != ERROR_ALREADY_EXISTS && slash == std::u16string::npos) return e;
        }
        if (slash == std::u16string::npos) break;
    }
    const DWORD attributes = GetFileAttributesW(Wide(folder));
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kOk : Error(ERROR_DIRECTORY);
}

Error BackupFilesWin32::CreateNew(const std::u16string& path,
                                  const std::vector<std::uint8_t>& bytes) {
    Error error = kOk;
    {
        win32::File file(CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return GetLastError();
        error = WriteFlushed(file.get(), 0, bytes);
    }
    if (error != kOk) DeleteFileW(Wide(path));
    return error;
}

Error BackupFilesWin32::Append(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
    win32::File file(CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    if (bytes.empty()) return kOk;  // the file is there: that was the question
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return GetLastError();
    if (SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER)
        return GetLastError();
    return WriteFlushed(file.get(), size, bytes);
}

Error BackupFilesWin32::ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
    win32::File file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return GetLastError();
    // A backup or profile is small; a huge file is no registration file of ours.
    if (size > regfile::kMaxFileSize) return kFileTooLarge;
    bytes.assign(size, 0);
    DWORD read = 0;
    if (size > 0 && !ReadFile(file.get(), bytes.data(), size, &read, nullptr))
        return GetLastError();
    bytes.resize(read);
    return kOk;
}

}  // namespace backup
