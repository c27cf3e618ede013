// Profiles on the real Windows: the registry, the files, the backup folder
// under Application Data, and message boxes with no window to own them.
#pragma once
#include "backup/BackupFilesWin32.h"
#include "profiles/Profiles.h"

namespace profiles {

// Profiles on the disk: read whole, written whole or not at all.
class ProfileFilesWin32 final : public ProfileFilesApi {
  public:
    backup::Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) override;
    backup::Error WriteWhole(const std::u16string& path,
                             const std::vector<std::uint8_t>& bytes) override;
    bool IsFolder(const std::u16string& path) override;

  private:
    backup::BackupFilesWin32 files_;
};

// Runs an export, an import or the usage message; returns the exit status.
int RunWin32(const Arguments& arguments);

}  // namespace profiles
