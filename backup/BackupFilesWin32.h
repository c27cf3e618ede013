// The backup files on the real file system: wide-character paths, every write
// flushed to the disk before it is reported done.
#pragma once
#include "backup/BackupFiles.h"

namespace backup {

class BackupFilesWin32 final : public BackupFilesApi {
  public:
    LocalTime Now() override;
    Error CreateFolders(const std::u16string& folder) override;
    Error CreateNew(const std::u16string& path, const std::vector<std::uint8_t>& bytes) override;
    Error Append(const std::u16string& path, const std::vector<std::uint8_t>& bytes) override;
    Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) override;
};

}  // namespace backup
