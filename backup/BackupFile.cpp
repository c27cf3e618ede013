// The run's backup file: what a value or key was before Dovrane changed it,
// appended as .reg text the registry editor can import.
#include "backup/Backup.h"

#include <utility>

#include "registry/AnsiCodePage.h"

namespace backup {

using regfile::Entry;

namespace {

std::u16string Digits(int n, int width) {
    std::u16string out;
    for (int i = 0; i < width; ++i, n /= 10) out.insert(out.begin(), char16_t(u'0' + n % 10));
    return out;
}

bool IsStringType(std::uint32_t type) {
    return type == reg::kRegSz || type == reg::kRegExpandSz || type == reg::kRegMultiSz;
}

}  // namespace

reg::Status ReadPrior(reg::RegistryApi& api, reg::Key root, const std::u16string& path,
                      const std::u16string& name, Prior& prior) {
    prior = Prior{};
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeyQueryValue, &status);
    if (!key) return status;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::uint32_t size = 0;
        status =
            api.RegQueryValueExW(key.get(), name.c_str(), nullptr, &prior.type, nullptr, &size);
        if (status == reg::kFileNotFound)
            return reg::kSuccess;  // no such value: exists stays false
        if (status != reg::kSuccess) return status;
        // A value that grows between the two calls is asked for again.
        prior.data.assign(size, 0);
        status = api.RegQueryValueExW(key.get(), name.c_str(), nullptr, &prior.type,
                                      prior.data.data(), &size);
        if (status == reg::kMoreData) continue;
        if (status != reg::kSuccess) return status;
        prior.data.resize(size);
        prior.exists = true;
        return reg::kSuccess;
    }
    return reg::kMoreData;
}

std::u16string FileName(const LocalTime& t) {
    return u"Dovrane " + Digits(t.year, 4) + u"-" + Digits(t.month, 2) + u"-" + Digits(t.day, 2) +
           u" " + Digits(t.hour, 2) + Digits(t.minute, 2) + Digits(t.second, 2) + u".reg";
}

// ---- text between the calls and the file ----

bool Widen(const std::string& text, std::u16string& out) {
    out.clear();
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
        out += char16_t(c);
    }
    return true;
}

bool WidenData(std::uint32_t type, const std::vector<std::uint8_t>& data,
               std::vector<std::uint8_t>& out) {
    if (!IsStringType(type)) {
        out = data;
        return true;
    }
    out.clear();
    for (std::uint8_t b : data) {
        if (b >= 0x80) return false;
        out.push_back(b);
        out.push_back(0);
    }
    return true;
}

std::u16string Folded(const std::u16string& name) {
    std::u16string out = name;
    for (char16_t& c : out) c = reg::ansi::Upcase(c);
    return out;
}

// ---- the file ----

BackupFile::BackupFile(files::FilesApi& files, Clock now, std::u16string folder)
    : BackupFile(files, now, [folder = std::move(folder)] { return folder; }) {}

BackupFile::BackupFile(files::FilesApi& files, Clock now, std::function<std::u16string()> folder)
    : files_(files), now_(now), folderName_(std::move(folder)) {}

files::Error BackupFile::Append(const std::vector<Entry>& entries) {
    const std::vector<std::uint8_t> blocks = regfile::Blocks(entries);
    if (!path_.empty()) {
        files::Error e = files_.Append(path_, blocks);
        // Deleted while the program ran (say, by tidying the folder Open
        // Backup Folder showed): made again whole, so that nothing changed
        // before goes without its backup.
        if (e == files::kFileNotFound || e == files::kPathNotFound) e = Rewrite(blocks);
        if (e == files::kOk) kept_.insert(kept_.end(), entries.begin(), entries.end());
        return e;
    }

    folder_ = folderName_();
    if (const files::Error e = files_.CreateFolders(folder_)) return e;
    std::vector<std::uint8_t> bytes = regfile::FileHeader();
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    std::u16string name = FileName(now_());
    const std::u16string stem = name.substr(0, name.size() - 4);
    for (int n = 2;; ++n) {
        const std::u16string path = folder_ + u"\\" + name;
        const files::Error e = files_.CreateNew(path, bytes);
        if (e == files::kOk) {
            path_ = path;
            kept_ = entries;
        }
        if (e != files::kFileExists || n > 99) return e;
        name = stem + u" (" + Digits(n, n < 10 ? 1 : 2) + u").reg";
    }
}

files::Error BackupFile::Rewrite(const std::vector<std::uint8_t>& blocks) {
    if (const files::Error e = files_.CreateFolders(folder_)) return e;
    std::vector<std::uint8_t> bytes = regfile::Write(kept_);
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    const files::Error e = files_.CreateNew(path_, bytes);
    if (e == files::kOk) rewritten_ = true;
    return e;
}

bool BackupFile::TakeRewritten() {
    return std::exchange(rewritten_, false);
}

}  // namespace backup
