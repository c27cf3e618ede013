// The files on the real file system: wide-character paths, every write
// flushed to the disk before it is reported done, and cut back when it fails.
#pragma once
#include "files/Files.h"

namespace files {

class FilesWin32 final : public FilesApi {
  public:
    Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes,
                  std::size_t limit) override;
    Error CreateNew(const std::u16string& path, const std::vector<std::uint8_t>& bytes) override;
    Error Append(const std::u16string& path, const std::vector<std::uint8_t>& bytes) override;
    Error ReplaceWhole(const std::u16string& path, const std::vector<std::uint8_t>& bytes) override;
    Error CreateFolders(const std::u16string& folder) override;
    bool Exists(const std::u16string& path) override;
    bool IsFolder(const std::u16string& path) override;
    Error Remove(const std::u16string& path) override;
};

}  // namespace files
