// The registry as the program writes it: every change is saved to the backup
// file (and the undo stack) before it is passed on.
#include "backup/Backup.h"

#include <algorithm>
#include <utility>

#include "backup/Managed.h"

namespace backup {

using regfile::Entry;

namespace {

std::u16string Join(const std::u16string& a, std::u16string tail) {
    while (!tail.empty() && tail.front() == u'\\') tail.erase(tail.begin());
    while (!tail.empty() && tail.back() == u'\\') tail.pop_back();
    if (a.empty()) return tail;
    return tail.empty() ? a : a + u"\\" + tail;
}

std::u16string Text(const char16_t* text) {
    return text != nullptr ? std::u16string(text) : std::u16string();
}

bool SameData(const Prior& prior, std::uint32_t type, const std::uint8_t* data,
              std::uint32_t size) {
    return prior.exists && prior.type == type && prior.data.size() == size &&
           (size == 0 || std::equal(prior.data.begin(), prior.data.end(), data));
}

}  // namespace

BackedUpRegistry::BackedUpRegistry(reg::RegistryApi& inner, BackupFile& file, UndoStack* undo)
    : inner_(inner), file_(file), undo_(undo) {}

bool BackedUpRegistry::Where(reg::Key key, Place& place) const {
    if (!regfile::RootName(key).empty()) {
        place = Place{key, std::u16string()};
        return true;
    }
    const auto it = handles_.find(key);
    if (it == handles_.end()) return false;
    place = it->second;
    return true;
}

void BackedUpRegistry::Remember(reg::Status status, const Place& parent,
                                const std::u16string& subKey, bool exact, const reg::Key* result) {
    if (status == reg::kSuccess && result != nullptr && regfile::RootName(*result).empty())
        handles_[*result] = Place{parent.root, Join(parent.path, subKey), parent.exact && exact};
}

reg::Status BackedUpRegistry::Refuse(reg::Status status, std::string why) {
    failure_ = std::move(why);
    return status;
}

std::string BackedUpRegistry::TakeFailure() {
    return std::exchange(failure_, std::string());
}

namespace {
// How the file's values and keys made again are told apart in saved_: a key
// by the name "[", a value by a leading "=" on its name, so that the empty
// (default) name stays apart.
std::u16string Marker(const Entry& e) {
    return e.kind == Entry::Kind::kKey ? u"[" : u"=" + Folded(e.name);
}
}  // namespace

bool BackedUpRegistry::InFile(const Entry& before) const {
    return saved_.count(ValueId(before.root, Folded(before.path), Marker(before))) != 0;
}

reg::Status BackedUpRegistry::Save(const Entry& before) {
    // A key Dovrane makes is never removed by the file: the registry editor
    // would remove the whole tree, with whatever was put in it later. The
    // file deletes the values made there instead; only Undo, which knows
    // the key was missing, removes it again, and only when it is empty.
    if (before.kind == Entry::Kind::kRemoveKey) {
        if (const files::Error e = file_.Append({}))
            return Refuse(kNotBackedUp,
                          "the backup file could not be written: " + files::Describe(e));
        if (undo_ != nullptr) undo_->Record(before);
        return reg::kSuccess;
    }
    // Also for an entry the file holds: the file is checked (and written
    // again when it went) before every change.
    if (const files::Error e =
            file_.Append(InFile(before) ? std::vector<Entry>() : std::vector{before}))
        return Refuse(kNotBackedUp, "the backup file could not be written: " + files::Describe(e));
    saved_.emplace(before.root, Folded(before.path), Marker(before));
    if (undo_ != nullptr) undo_->Record(before);
    return reg::kSuccess;
}

template <class Unchanged>
reg::Status BackedUpRegistry::BackUpValue(reg::Key key, const std::u16string& name, bool deleting,
                                          Unchanged unchanged) {
    Place place;
    if (!Where(key, place))
        return Refuse(kNotBackedUp, "the key was not opened through the backup");
    if (!place.exact)
        return Refuse(kNotExact, "its key has characters the backup cannot name exactly");
    Prior prior;
    if (const reg::Status s = ReadPrior(inner_, place.root, place.path, name, prior))
        return Refuse(kNotBackedUp, "its value could not be read to back it up (error " +
                                        std::to_string(s) + ")");
    if (deleting && !prior.exists) return reg::kSuccess;  // nothing will change
    if (!deleting && unchanged(prior)) return reg::kSuccess;
    const Entry before = prior.exists
                             ? Entry::Value(place.root, place.path, name, prior.type, prior.data)
                             : Entry::DeleteValue(place.root, place.path, name);
    if (!regfile::Writable(before))
        return Refuse(kNotExact, "its name has a line break, which a backup file cannot hold");
    return Save(before);
}

reg::Status BackedUpRegistry::BackUpNewKey(reg::Key key, const std::u16string& subKey,
                                           Place& created) {
    Place place;
    if (!Where(key, place))
        return Refuse(kNotBackedUp, "the key was not opened through the backup");
    if (!place.exact)
        return Refuse(kNotExact, "its key has characters the backup cannot name exactly");
    const std::u16string full = Join(place.path, subKey);
    created = Place{place.root, full};

    // The shallowest key of the path that is missing and that a writer makes.
    bool missing = false;
    for (std::size_t start = 0; !full.empty();) {
        const std::size_t slash = full.find(u'\\', start);
        const std::u16string prefix = full.substr(0, slash);
        if (!missing) {
            reg::Status s = reg::kSuccess;
            reg::UniqueKey::Open(inner_, place.root, prefix, reg::kKeyQueryValue, &s);
            missing = s == reg::kFileNotFound;
        }
        // No key of ours is missing: the values written into it back themselves up.
        if (missing && managed::IsCreatableKey(place.root, prefix))
            return Save(Entry::RemoveKey(place.root, prefix));
        if (slash == std::u16string::npos) break;
        start = slash + 1;
    }
    return reg::kSuccess;
}

// ---- ANSI ----

reg::Status BackedUpRegistry::RegOpenKeyExA(reg::Key key, const char* subKey, std::uint32_t options,
                                            std::uint32_t samDesired, reg::Key* result) {
    Place place;
    const bool known = Where(key, place);
    std::u16string wide;
    const bool exact = Widen(subKey != nullptr ? subKey : "", wide);
    const reg::Status status = inner_.RegOpenKeyExA(key, subKey, options, samDesired, result);
    if (known) Remember(status, place, wide, exact, result);
    return status;
}

reg::Status BackedUpRegistry::RegCreateKeyExA(reg::Key key, const char* subKey,
                                              std::uint32_t reserved, const char* keyClass,
                                              std::uint32_t options, std::uint32_t samDesired,
                                              const void* securityAttributes, reg::Key* result,
                                              std::uint32_t* disposition) {
    std::u16string wide;
    if (!Widen(subKey != nullptr ? subKey : "", wide))
        return Refuse(kNotExact, "its key has characters the backup cannot name exactly");
    Place created;
    if (const reg::Status s = BackUpNewKey(key, wide, created)) return s;
    const reg::Status status =
        inner_.RegCreateKeyExA(key, subKey, reserved, keyClass, options, samDesired,
                               securityAttributes, result, disposition);
    Remember(status, Place{created.root, std::u16string()}, created.path, true, result);
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
    std::u16string name;
    if (!Widen(valueName != nullptr ? valueName : "", name))
        return Refuse(kNotExact, "its name has characters the backup cannot keep exactly");
    // Text of the ANSI call compares with what is held only when it is ASCII;
    // otherwise the change is taken as one and backed up.
    std::vector<std::uint8_t> wide;
    const bool comparable =
        data != nullptr && WidenData(type, std::vector<std::uint8_t>(data, data + dataSize), wide);
    const auto unchanged = [&](const Prior& prior) {
        return comparable && SameData(prior, type, wide.data(), std::uint32_t(wide.size()));
    };
    if (const reg::Status s = BackUpValue(key, name, false, unchanged)) return s;
    return inner_.RegSetValueExA(key, valueName, reserved, type, data, dataSize);
}

reg::Status BackedUpRegistry::RegDeleteValueA(reg::Key key, const char* valueName) {
    std::u16string name;
    if (!Widen(valueName != nullptr ? valueName : "", name))
        return Refuse(kNotExact, "its name has characters the backup cannot keep exactly");
    if (const reg::Status s = BackUpValue(key, name, true, [](const Prior&) { return false; }))
        return s;
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

// ---- wide ----

reg::Status BackedUpRegistry::RegOpenKeyExW(reg::Key key, const char16_t* subKey,
                                            std::uint32_t options, std::uint32_t samDesired,
                                            reg::Key* result) {
    Place place;
    const bool known = Where(key, place);
    const reg::Status status = inner_.RegOpenKeyExW(key, subKey, options, samDesired, result);
    if (known) Remember(status, place, Text(subKey), true, result);
    return status;
}

reg::Status BackedUpRegistry::RegCreateKeyExW(reg::Key key, const char16_t* subKey,
                                              std::uint32_t reserved, const char16_t* keyClass,
                                              std::uint32_t options, std::uint32_t samDesired,
                                              const void* securityAttributes, reg::Key* result,
                                              std::uint32_t* disposition) {
    Place created;
    if (const reg::Status s = BackUpNewKey(key, Text(subKey), created)) return s;
    const reg::Status status =
        inner_.RegCreateKeyExW(key, subKey, reserved, keyClass, options, samDesired,
                               securityAttributes, result, disposition);
    Remember(status, Place{created.root, std::u16string()}, created.path, true, result);
    return status;
}

reg::Status BackedUpRegistry::RegQueryValueExW(reg::Key key, const char16_t* valueName,
                                               std::uint32_t* reserved, std::uint32_t* type,
                                               std::uint8_t* data, std::uint32_t* dataSize) {
    return inner_.RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
}

reg::Status BackedUpRegistry::RegSetValueExW(reg::Key key, const char16_t* valueName,
                                             std::uint32_t reserved, std::uint32_t type,
                                             const std::uint8_t* data, std::uint32_t dataSize) {
    const auto unchanged = [&](const Prior& prior) {
        return SameData(prior, type, data, data != nullptr ? dataSize : 0);
    };
    if (const reg::Status s = BackUpValue(key, Text(valueName), false, unchanged)) return s;
    return inner_.RegSetValueExW(key, valueName, reserved, type, data, dataSize);
}

reg::Status BackedUpRegistry::RegDeleteValueW(reg::Key key, const char16_t* valueName) {
    if (const reg::Status s =
            BackUpValue(key, Text(valueName), true, [](const Prior&) { return false; }))
        return s;
    return inner_.RegDeleteValueW(key, valueName);
}

reg::Status BackedUpRegistry::RegEnumValueW(reg::Key key, std::uint32_t index, char16_t* valueName,
                                            std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                            std::uint32_t* type, std::uint8_t* data,
                                            std::uint32_t* dataSize) {
    return inner_.RegEnumValueW(key, index, valueName, valueNameSize, reserved, type, data,
                                dataSize);
}

reg::Status BackedUpRegistry::RegDeleteKeyW(reg::Key key, const char16_t* subKey) {
    Place place;
    if (subKey == nullptr) return inner_.RegDeleteKeyW(key, subKey);
    if (!Where(key, place))
        return Refuse(kNotBackedUp, "the key was not opened through the backup");
    if (!place.exact)
        return Refuse(kNotExact, "its key has characters the backup cannot name exactly");
    const std::u16string path = Join(place.path, subKey);
    if (path.empty()) return reg::kAccessDenied;  // a root is never deleted
    reg::Status status = reg::kSuccess;
    reg::UniqueKey doomed =
        reg::UniqueKey::Open(inner_, place.root, path, reg::kKeyQueryValue, &status);
    if (status == reg::kFileNotFound) return inner_.RegDeleteKeyW(key, subKey);
    if (!doomed)
        return Refuse(kNotBackedUp, "its values could not be read to back them up (error " +
                                        std::to_string(status) + ")");
    // Names first, then each value through the same reading as a change.
    std::vector<std::u16string> names;
    for (std::uint32_t index = 0;; ++index) {
        std::u16string name(16384, u'\0');  // the longest name the registry takes, and its NUL
        auto size = static_cast<std::uint32_t>(name.size());
        status = inner_.RegEnumValueW(doomed.get(), index, name.data(), &size, nullptr, nullptr,
                                      nullptr, nullptr);
        if (status == reg::kNoMoreItems) break;
        if (status != reg::kSuccess)
            return Refuse(kNotBackedUp, "its values could not be read to back them up (error " +
                                            std::to_string(status) + ")");
        names.push_back(name.substr(0, size));
    }
    doomed.Close();
    Entry made;  // a [key] line: a restore or an undo makes the key again
    made.kind = Entry::Kind::kKey;
    made.root = place.root;
    made.path = path;
    if (const reg::Status s = Save(made)) return s;
    for (const std::u16string& name : names) {
        Prior prior;
        if (const reg::Status s = ReadPrior(inner_, place.root, path, name, prior))
            return Refuse(kNotBackedUp, "its value could not be read to back it up (error " +
                                            std::to_string(s) + ")");
        if (!prior.exists) continue;
        const Entry before = Entry::Value(place.root, path, name, prior.type, prior.data);
        if (!regfile::Writable(before))
            return Refuse(kNotExact,
                          "a value's name has a line break, which a backup file cannot hold");
        if (const reg::Status s = Save(before)) return s;
    }
    return inner_.RegDeleteKeyW(key, subKey);
}

}  // namespace backup
