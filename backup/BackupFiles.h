// The files and the clock that backups need, behind one small interface: the
// program runs on BackupFilesWin32 (wide-character paths, writes flushed to
// the disk), tests on a stand-in held in memory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace backup {

// A Win32 error code (GetLastError), 0 for success.
using Error = std::uint32_t;
constexpr Error kOk = 0;
constexpr Error kFileNotFound = 2;
constexpr Error kPathNotFound = 3;
constexpr Error kAccessDenied = 5;
constexpr Error kWriteFault = 29;
constexpr Error kSharingViolation = 32;
constexpr Error kFileExists = 80;
constexpr Error kDiskFull = 112;
constexpr Error kFileTooLarge = 223;

struct LocalTime {
    int year, month, day, hour, minute, second;
};

class BackupFilesApi {
  public:
    virtual ~BackupFilesApi() = default;
    // The local date and time (GetLocalTime).
    virtual LocalTime Now() = 0;
    // Makes the folder and any missing folder above it; a folder that exists
    // is no error.
    virtual Error CreateFolders(const std::u16string& folder) = 0;
    // Makes `path`, which must not exist yet (kFileExists), and writes
    // `bytes` to it; they are on the disk when it returns 0. A failure leaves
    // no file.
    virtual Error CreateNew(const std::u16string& path, const std::vector<std::uint8_t>& bytes) = 0;
    // Adds `bytes` at the end of an existing file, on the disk when it
    // returns 0. A failure leaves the file as it was. No bytes: whether the
    // file is there (kFileNotFound when it went).
    virtual Error Append(const std::u16string& path, const std::vector<std::uint8_t>& bytes) = 0;
    // The whole of a file; kFileTooLarge, unread, for one over
    // regfile::kMaxFileSize (no backup or profile is that large).
    virtual Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) = 0;
};

// The error in words, for a message box: "the disk is full".
std::string Describe(Error error);

}  // namespace backup
