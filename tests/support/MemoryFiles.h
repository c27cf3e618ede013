// Files held in memory: the one stand-in of files::FilesApi, for every test
// and the benchmarks. A call can be made to fail: every call on a path or
// folder of `failing` with its error, and every write (and CreateFolders)
// with `failWith`. `onWrite` sees the moment bytes reach the disk; `log`,
// when set, gets a line a call ("read", "create", "append", "write" for
// ReplaceWhole, "folders", "exists", "remove", then the path in ASCII), so
// a test can see the files' steps among others.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "files/Files.h"

namespace testing_doubles {

class MemoryFiles final : public files::FilesApi {
  public:
    std::map<std::u16string, std::vector<std::uint8_t>> files;
    std::set<std::u16string> folders;  // what IsFolder says is one
    std::map<std::u16string, files::Error> failing;
    files::Error failWith = files::kOk;
    std::function<void()> onWrite;
    std::vector<std::string>* log = nullptr;

    files::Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes,
                         std::size_t limit) override {
        Note("read", path);
        if (const files::Error e = Failing(path)) return e;
        const auto it = files.find(path);
        if (it == files.end()) return files::kFileNotFound;
        if (it->second.size() > limit) return files::kFileTooLarge;
        bytes = it->second;
        return files::kOk;
    }
    files::Error CreateNew(const std::u16string& path,
                           const std::vector<std::uint8_t>& bytes) override {
        Note("create", path);
        if (const files::Error e = Writing(path)) return e;
        if (files.count(path) != 0) return files::kFileExists;
        Wrote(path, bytes);
        return files::kOk;
    }
    files::Error Append(const std::u16string& path,
                        const std::vector<std::uint8_t>& bytes) override {
        Note("append", path);
        if (const files::Error e = Writing(path)) return e;
        const auto it = files.find(path);
        if (it == files.end()) return files::kFileNotFound;
        if (onWrite && !bytes.empty()) onWrite();
        it->second.insert(it->second.end(), bytes.begin(), bytes.end());
        return files::kOk;
    }
    files::Error ReplaceWhole(const std::u16string& path,
                              const std::vector<std::uint8_t>& bytes) override {
        Note("write", path);
        if (const files::Error e = Writing(path)) return e;
        Wrote(path, bytes);
        return files::kOk;
    }
    files::Error CreateFolders(const std::u16string& folder) override {
        Note("folders", folder);
        return Writing(folder);
    }
    bool Exists(const std::u16string& path) override {
        Note("exists", path);
        return files.count(path) != 0 || folders.count(path) != 0;
    }
    bool IsFolder(const std::u16string& path) override { return folders.count(path) != 0; }
    files::Error Remove(const std::u16string& path) override {
        Note("remove", path);
        if (const files::Error e = Writing(path)) return e;
        if (folders.count(path) != 0) return files::kAccessDenied;
        files.erase(path);
        return files::kOk;
    }

  private:
    files::Error Failing(const std::u16string& path) const {
        const auto it = failing.find(path);
        return it == failing.end() ? files::kOk : it->second;
    }
    files::Error Writing(const std::u16string& path) const {
        const files::Error e = Failing(path);
        return e != files::kOk ? e : failWith;
    }
    void Wrote(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
        if (onWrite) onWrite();
        files[path] = bytes;
    }
    void Note(const char* call, const std::u16string& path) const {
        if (log == nullptr) return;
        std::string line = std::string(call) + " ";
        for (char16_t c : path) line += c < 0x80 ? char(c) : '?';
        log->push_back(line);
    }
};

}  // namespace testing_doubles
