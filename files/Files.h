// The program's files behind one small interface: the backups, the profiles
// and the banner read and write through it. The program runs on FilesWin32
// (wide-character paths, every write on the disk before it is reported
// done), tests on a stand-in held in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace files {

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

class FilesApi {
  public:
    virtual ~FilesApi() = default;
    // The whole of a file; kFileTooLarge, unread, for one over `limit` bytes
    // (what is larger is no file of ours), kFileNotFound for none.
    virtual Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes,
                          std::size_t limit) = 0;
    // Makes `path`, which must not exist yet (kFileExists), and writes
    // `bytes` to it; they are on the disk when it returns kOk. A failure
    // leaves no file.
    virtual Error CreateNew(const std::u16string& path, const std::vector<std::uint8_t>& bytes) = 0;
    // Adds `bytes` at the end of an existing file, on the disk when it
    // returns kOk. All or nothing: a failure leaves the file as it was. No
    // bytes: whether the file is there (kFileNotFound when it went).
    virtual Error Append(const std::u16string& path, const std::vector<std::uint8_t>& bytes) = 0;
    // `bytes` become the whole of `path`, replacing a file of that name: the
    // file is either the old one or the whole new one, and a failure leaves
    // nothing else behind.
    virtual Error ReplaceWhole(const std::u16string& path,
                               const std::vector<std::uint8_t>& bytes) = 0;
    // Makes the folder and any missing folder above it; a folder that exists
    // is no error.
    virtual Error CreateFolders(const std::u16string& folder) = 0;
    // True when something of that name is there, or when that cannot be
    // told: a name not known to be free is not ours to take.
    virtual bool Exists(const std::u16string& path) = 0;
    // Whether `path` names a folder: it can be neither read nor written as a
    // file, and Windows would only say "access is denied".
    virtual bool IsFolder(const std::u16string& path) = 0;
    // Deletes the file of exactly that name, as the uninstaller does: never a
    // folder (kAccessDenied), nor a file that only its short 8.3 alias names
    // so (kFileExists). kOk when it is gone or was never there.
    virtual Error Remove(const std::u16string& path) = 0;
};

// The error in words, for a message box: "the disk is full".
std::string Describe(Error error);

}  // namespace files
