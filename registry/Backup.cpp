#include "registry/Backup.h"

#include <algorithm>
#include <utility>

#include "registry/Managed.h"

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

std::string Join(const std::string& a, const char* b) {
    std::string tail = b != nullptr ? b : "";
    while (!tail.empty() && tail.front() == '\\') tail.erase(tail.begin());
    while (!tail.empty() && tail.back() == '\\') tail.pop_back();
    if (a.empty()) return tail;
    return tail.empty() ? a : a + "\\" + tail;
}

// The state of one value now, through the calls at hand.
struct Prior {
    bool exists = false;
    std::uint32_t type = reg::kRegNone;
    std::vector<std::uint8_t> data;
};

reg::Status ReadPrior(reg::RegistryApi& api, reg::Key root, const std::string& path,
                      const char* name, Prior& prior) {
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeyQueryValue, &status);
    if (!key) return status;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::uint32_t size = 0;
        status = api.RegQueryValueExA(key.get(), name, nullptr, &prior.type, nullptr, &size);
        if (status == reg::kFileNotFound)
            return reg::kSuccess;  // no such value: exists stays false
        if (status != reg::kSuccess) return status;
        // A value that grows between the two calls is asked for again.
        prior.data.assign(size, 0);
        status =
            api.RegQueryValueExA(key.get(), name, nullptr, &prior.type, prior.data.data(), &size);
        if (status == reg::kMoreData) continue;
        if (status != reg::kSuccess) return status;
        prior.data.resize(size);
        prior.exists = true;
        return reg::kSuccess;
    }
    return reg::kMoreData;
}

}  // namespace

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

bool Narrow(const std::u16string& text, std::string& out) {
    out.clear();
    for (char16_t c : text) {
        if (c >= 0x80) return false;
        out += char(c);
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

bool NarrowData(std::uint32_t type, const std::vector<std::uint8_t>& data,
                std::vector<std::uint8_t>& out) {
    if (!IsStringType(type)) {
        out = data;
        return true;
    }
    out.clear();
    if (data.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        if (data[i + 1] != 0 || data[i] >= 0x80) return false;
        out.push_back(data[i]);
    }
    return true;
}

std::u16string Folded(const std::u16string& name) {
    std::u16string out = name;
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    return out;
}

// ---- the file ----

std::string Describe(Error error) {
    switch (error) {
        case kOk:
            return "no error";
        case kFileNotFound:
            return "the file was not found";
        case kPathNotFound:
            return "the folder was not found";
        case kAccessDenied:
            return "access is denied";
        case kSharingViolation:
            return "another program is using the file";
        case kDiskFull:
            return "the disk is full";
        default:
            return "error " + std::to_string(error);
    }
}

BackupFile::BackupFile(BackupFilesApi& files, std::u16string folder)
    : files_(files), folder_(std::move(folder)) {}

Error BackupFile::Append(const std::vector<Entry>& entries) {
    const std::vector<std::uint8_t> blocks = regfile::Blocks(entries);
    if (!path_.empty()) return files_.Append(path_, blocks);

    if (const Error e = files_.CreateFolders(folder_)) return e;
    std::vector<std::uint8_t> bytes = regfile::FileHeader();
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    std::u16string name = FileName(files_.Now());
    const std::u16string stem = name.substr(0, name.size() - 4);
    for (int n = 2;; ++n) {
        const std::u16string path = folder_ + u"\\" + name;
        const Error e = files_.CreateNew(path, bytes);
        if (e == kOk) path_ = path;
        if (e != kFileExists || n > 99) return e;
        name = stem + u" (" + Digits(n, n < 10 ? 1 : 2) + u").reg";
    }
}

// ---- the undo stack ----

namespace {
// Two states are of the same thing when kind (value or key), root, path and
// name agree without regard to case.
bool SameThing(const Entry& a, const Entry& b) {
    const bool aKey = a.kind == Entry::Kind::kRemoveKey, bKey = b.kind == Entry::Kind::kRemoveKey;
    return aKey == bKey && a.root == b.root && Folded(a.path) == Folded(b.path) &&
           Folded(a.name) == Folded(b.name);
}
}  // namespace

void UndoStack::Begin() {
    ++depth_;
}

void UndoStack::End() {
    if (depth_ == 0 || --depth_ > 0) return;
    if (!open_.empty()) done_.push_back(std::move(open_));
    open_.clear();
}

void UndoStack::Record(const Entry& before) {
    if (depth_ == 0) return;
    const bool known = std::any_of(open_.begin(), open_.end(),
                                   [&](const Entry& e) { return SameThing(e, before); });
    if (!known) open_.push_back(before);
}

std::vector<Entry> UndoStack::Pop() {
    if (done_.empty()) return {};
    std::vector<Entry> states = std::move(done_.back());
    done_.pop_back();
    return states;
}

void UndoStack::Push(std::vector<Entry> states) {
    if (!states.empty()) done_.push_back(std::move(states));
}

// ---- the registry, backed up ----

BackedUpRegistry::BackedUpRegistry(reg::RegistryApi& inner, BackupFile& file, UndoStack* undo)
    : inner_(inner), file_(file), undo_(undo) {}

bool BackedUpRegistry::Where(reg::Key key, Place& place) const {
    if (!regfile::RootName(key).empty()) {
        place = Place{key, std::string()};
        return true;
    }
    const auto it = handles_.find(key);
    if (it == handles_.end()) return false;
    place = it->second;
    return true;
}

reg::Status BackedUpRegistry::Refuse(reg::Status status, std::string why) {
    failure_ = std::move(why);
    return status;
}

std::string BackedUpRegistry::TakeFailure() {
    return std::exchange(failure_, std::string());
}

reg::Status BackedUpRegistry::Save(const Entry& before) {
    const bool key = before.kind == Entry::Kind::kRemoveKey;
    const std::u16string path = Folded(before.path);
    const bool inFile = std::any_of(saved_.begin(), saved_.end(), [&](const ValueId& id) {
        const auto& [root, savedPath, savedName] = id;
        if (root != before.root) return false;
        if (savedName.empty() && !savedPath.empty() && savedPath[0] == u'\\') {
            // A removed key covers itself and everything below it.
            const std::u16string removed = savedPath.substr(1);
            return path == removed || path.compare(0, removed.size() + 1, removed + u"\\") == 0;
        }
        return !key && savedPath == path && savedName == u"=" + Folded(before.name);
    });
    if (!inFile) {
        if (const Error e = file_.Append({before}))
            return Refuse(kNotBackedUp, "the backup file could not be written: " + Describe(e));
        // Removed keys are marked by a leading backslash, values by a leading
        // "=" on the name, so that the empty (default) name stays apart.
        saved_.emplace_back(before.root, key ? u"\\" + path : path,
                            key ? u"" : u"=" + Folded(before.name));
    }
    if (undo_ != nullptr) undo_->Record(before);
    return reg::kSuccess;
}

reg::Status BackedUpRegistry::BackUpValue(reg::Key key, const char* valueName, bool deleting,
                                          std::uint32_t type, const std::uint8_t* data,
                                          std::uint32_t dataSize) {
    Place place;
    if (!Where(key, place))
        return Refuse(kNotBackedUp, "the key was not opened through the backup");
    Prior prior;
    if (const reg::Status s = ReadPrior(inner_, place.root, place.path, valueName, prior))
        return Refuse(kNotBackedUp, "its value could not be read to back it up (error " +
                                        std::to_string(s) + ")");
    if (deleting && !prior.exists) return reg::kSuccess;  // nothing will change
    if (!deleting && prior.exists && prior.type == type && prior.data.size() == dataSize &&
        (dataSize == 0 || std::equal(prior.data.begin(), prior.data.end(), data)))
        return reg::kSuccess;

    std::u16string path, name;
    std::vector<std::uint8_t> wide;
    if (!Widen(place.path, path) || !Widen(valueName != nullptr ? valueName : "", name) ||
        !WidenData(prior.type, prior.data, wide))
        return Refuse(kNotExact, "its name or text has characters the backup cannot keep exactly");
    const Entry before = prior.exists ? Entry::Value(place.root, path, name, prior.type, wide)
                                      : Entry::DeleteValue(place.root, path, name);
    if (!regfile::Writable(before))
        return Refuse(kNotExact, "its name has a line break, which a backup file cannot hold");
    return Save(before);
}

reg::Status BackedUpRegistry::RegOpenKeyExA(reg::Key key, const char* subKey, std::uint32_t options,
                                            std::uint32_t samDesired, reg::Key* result) {
    Place place;
    const bool known = Where(key, place);
    const reg::Status status = inner_.RegOpenKeyExA(key, subKey, options, samDesired, result);
    if (status == reg::kSuccess && known && result != nullptr && regfile::RootName(*result).empty())
        handles_[*result] = Place{place.root, Join(place.path, subKey)};
    return status;
}

reg::Status BackedUpRegistry::RegCreateKeyExA(reg::Key key, const char* subKey,
                                              std::uint32_t reserved, const char* keyClass,
                                              std::uint32_t options, std::uint32_t samDesired,
                                              const void* securityAttributes, reg::Key* result,
                                              std::uint32_t* disposition) {
    Place place;
    if (!Where(key, place))
        return Refuse(kNotBackedUp, "the key was not opened through the backup");
    const std::string full = Join(place.path, subKey);

    // The shallowest key of the path that is missing and that a writer makes.
    std::string prefix;
    bool missing = false;
    std::u16string removal;
    std::size_t start = 0;
    while (start <= full.size() && !full.empty()) {
        const std::size_t slash = full.find('\\', start);
        prefix = full.substr(0, slash);
        if (!missing) {
            reg::Status s = reg::kSuccess;
            reg::UniqueKey::Open(inner_, place.root, prefix, reg::kKeyQueryValue, &s);
            missing = s == reg::kFileNotFound;
        }
        std::u16string wide;
        if (missing && Widen(prefix, wide) && managed::IsCreatableKey(place.root, wide)) {
            removal = wide;
            break;
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    // No key of ours is missing: the values written into it back themselves up.
    if (!removal.empty()) {
        if (const reg::Status s = Save(Entry::RemoveKey(place.root, removal))) return s;
    }
    const reg::Status status =
        inner_.RegCreateKeyExA(key, subKey, reserved, keyClass, options, samDesired,
                               securityAttributes, result, disposition);
    if (status == reg::kSuccess && result != nullptr && regfile::RootName(*result).empty())
        handles_[*result] = Place{place.root, full};
    return status;
}

reg::Status BackedUpRegistry::RegQueryValueExA(reg::Key key, const char* valueName,
                                               std::uint32_t* reserved, std::uint32_t* type,
                                               std::uint8_t* data, std::uint32_t* dataSize) {
    return inner_.RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

reg::Status BackedUpRegistry::RegSetValueExA(reg::Key key, const char* valueName,
                                             std::uint32_t reserved, std::uint32_t type,
                                             const std::uint8_t* data, std::uint32_t dataSize) {
    if (const reg::Status s = BackUpValue(key, valueName, false, type, data, dataSize)) return s;
    return inner_.RegSetValueExA(key, valueName, reserved, type, data, dataSize);
}

reg::Status BackedUpRegistry::RegDeleteValueA(reg::Key key, const char* valueName) {
    if (const reg::Status s = BackUpValue(key, valueName, true, 0, nullptr, 0)) return s;
    return inner_.RegDeleteValueA(key, valueName);
}

reg::Status BackedUpRegistry::RegEnumValueA(reg::Key key, std::uint32_t index, char* valueName,
                                            std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                            std::uint32_t* type, std::uint8_t* data,
                                            std::uint32_t* dataSize) {
    return inner_.RegEnumValueA(key, index, valueName, valueNameSize, reserved, type, data,
                                dataSize);
}

reg::Status BackedUpRegistry::RegCloseKey(reg::Key key) {
    handles_.erase(key);
    return inner_.RegCloseKey(key);
}

}  // namespace backup
