#include "files/FilesWin32.h"

#include <windows.h>

#include "win32/Handles.h"
#include "win32/Utf16.h"

namespace files {

namespace {

using win32::Wide;

// Writes all of `bytes` and flushes them; on failure the file is cut back to
// `keep` bytes, so that no half entry, line or picture stays behind.
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

// Only "no such file" and "no such folder" say that a name is free.
bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

Error FilesWin32::ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes,
                          std::size_t limit) {
    win32::File file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD high = 0;
    const DWORD size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE)
        if (const Error e = GetLastError()) return e;
    if (high != 0 || size > limit) return kFileTooLarge;
    bytes.assign(size, 0);
    DWORD read = 0;
    if (size > 0 && !ReadFile(file.get(), bytes.data(), size, &read, nullptr))
        return GetLastError();
    bytes.resize(read);
    return kOk;
}

Error FilesWin32::CreateNew(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
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

Error FilesWin32::Append(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
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

// Written under a new name beside the file, flushed, then moved over it:
// within one folder the move is a rename, so the file is either the old one
// or the whole new one.
Error FilesWin32::ReplaceWhole(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
    for (int n = 1; n < 100; ++n) {
        const std::u16string temporary =
            path + u".~" + char16_t(u'0' + n / 10) + char16_t(u'0' + n % 10);
        Error e = CreateNew(temporary, bytes);  // no file left on failure
        if (e == kFileExists) continue;
        if (e != kOk) return e;
        if (MoveFileExW(Wide(temporary), Wide(path),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return kOk;
        e = GetLastError();
        DeleteFileW(Wide(temporary));
        return e;
    }
    return kFileExists;
}

Error FilesWin32::CreateFolders(const std::u16string& folder) {
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

bool FilesWin32::Exists(const std::u16string& path) {
    if (GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES) return true;
    // A name we may not look at is not ours to take.
    return !IsMissing(GetLastError());
}

bool FilesWin32::IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Error FilesWin32::Remove(const std::u16string& path) {
    // Only a file whose own long name is the one asked for: a search by name
    // also finds a file whose 8.3 alias matches, and that one is not ours.
    WIN32_FIND_DATAW found;
    {
        const win32::Find search(FindFirstFileW(Wide(path), &found));
        if (!search) {
            const DWORD error = GetLastError();
            return IsMissing(error) ? kOk : error;
        }
    }
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kAccessDenied;
    const std::size_t slash = path.find_last_of(u'\\');
    const std::u16string name = path.substr(slash == std::u16string::npos ? 0 : slash + 1);
    if (lstrcmpiW(found.cFileName, Wide(name)) != 0) return kFileExists;
    if (DeleteFileW(Wide(path))) return kOk;
    const DWORD error = GetLastError();
    return IsMissing(error) ? kOk : error;
}

}  // namespace files
