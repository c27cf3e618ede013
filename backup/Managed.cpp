#include "backup/Managed.h"

#include <algorithm>
#include <array>

#include "backup/Backup.h"
#include "backup/Restore.h"
#include "settings/RunHistory.h"

namespace backup::managed {

using modTweaks::Tweak;
using regfile::Ascii;
using regfile::Entry;

namespace {

// A setting's key, or a key above it (`up` keys up), that may be missing on
// a fresh system and is made by the setting's writer (its row's createsKeys).
struct Creatable {
    Tweak tweak;
    int up;
};
std::vector<Creatable> CreatableKeys() {
    std::vector<Creatable> keys;
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i)
        for (int up = 0; up < modTweaks::kRows[i].createsKeys; ++up)
            keys.push_back({static_cast<Tweak>(i), up});
    return keys;
}

// The seven settings a profile carries: all but the one named after a user.
bool InProfile(Tweak tweak) {
    return modTweaks::RowOf(tweak).valueName != nullptr;
}

std::u16string KeyOf(const Creatable& c) {
    std::u16string path = regfile::FromAscii(modTweaks::RowOf(c.tweak).keyPath);
    for (int i = 0; i < c.up; ++i) path.erase(path.rfind(u'\\'));
    return path;
}

bool SameKey(const std::u16string& a, const std::u16string& b) {
    return backup::Folded(a) == backup::Folded(b);
}

// root\path is `key` or below it.
bool AtOrBelow(const std::u16string& path, const std::u16string& key) {
    const std::u16string p = backup::Folded(path), k = backup::Folded(key);
    return p == k || p.compare(0, k.size() + 1, k + u"\\") == 0;
}

std::u16string Display(const Entry& e) {
    std::u16string text = regfile::RootName(e.root);
    if (!e.path.empty()) text += u"\\" + e.path;
    return text;
}

// The setting whose value this is, if any (the current-account one named
// `userName`, never the empty name).
const modTweaks::Row* RowFor(const Entry& e, const std::u16string& userName, Tweak* which) {
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        const modTweaks::Row& row = modTweaks::Rows()[i];
        if (row.root != e.root || !SameKey(regfile::FromAscii(row.keyPath), e.path)) continue;
        const std::u16string name =
            row.valueName != nullptr ? regfile::FromAscii(row.valueName) : userName;
        if (name.empty() || !SameKey(name, e.name)) continue;
        *which = static_cast<Tweak>(i);
        return &row;
    }
    return nullptr;
}

bool IsSettingsKey(const Entry& e, bool profile) {
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        const modTweaks::Row& row = modTweaks::Rows()[i];
        if (profile && !InProfile(static_cast<Tweak>(i))) continue;
        if (row.root == e.root && SameKey(regfile::FromAscii(row.keyPath), e.path)) return true;
    }
    return false;
}

bool IsRunMru(const Entry& e) {
    return e.root == reg::kCurrentUser && SameKey(e.path, settings::runhistory::kRunMruPath);
}

// A value type as the registry editor's files write it, for a refusal.
std::string TypeName(std::uint32_t type) {
    switch (type) {
        case reg::kRegSz:
            return "a string";
        case reg::kRegDword:
            return "a dword";
        case reg::kRegBinary:
            return "a binary value (hex:)";
        case reg::kRegExpandSz:
            return "an expandable string (hex(2):)";
        case reg::kRegMultiSz:
            return "a multi-string (hex(7):)";
    }
    return "a value of type " + std::to_string(type);
}

// What a setting's value must be, with the form that writes it.
std::string TypeText(std::uint32_t type) {
    if (type == reg::kRegDword) return "a dword value (dword:0000000N)";
    if (type == reg::kRegSz) return "a string value (\"N\")";
    return TypeName(type);
}

enum class Kind { kBackup, kProfile };

CheckResult Check(const regfile::ReadResult& file, const std::u16string& userName, Kind kind) {
    CheckResult result;
    if (!file.ok) {
        result.errorLine = file.errorLine;
        result.error = file.error;
        return result;
    }
    auto refuse = [&](const Entry& e, const std::string& why) {
        result = CheckResult();
        result.errorLine = e.line;
        result.error = why;
        return result;
    };
    const bool profile = kind == Kind::kProfile;
    for (const Entry& e : file.entries) {
        const std::string where = Ascii(Display(e));
        switch (e.kind) {
            case Entry::Kind::kComment:
                break;
            case Entry::Kind::kKey:
                if (!IsSettingsKey(e, profile) &&
                    (profile || (!IsRunMru(e) && !IsCreatableKey(e.root, e.path))))
                    return refuse(e, where + " is not a key Dovrane manages");
                break;
            case Entry::Kind::kRemoveKey:
                if (profile) return refuse(e, "a settings profile removes no key");
                if (!IsCreatableKey(e.root, e.path))
                    return refuse(e, where + " is not a key Dovrane makes, so it is not removed");
                ++result.summary.keyRemovals;
                break;
            case Entry::Kind::kValue:
            case Entry::Kind::kDeleteValue: {
                const std::string value =
                    where + "\\" + (e.name.empty() ? "(default)" : Ascii(e.name));
                Tweak tweak{};
                const modTweaks::Row* row = RowFor(e, profile ? u"" : userName, &tweak);
                if (row == nullptr && !profile && IsRunMru(e)) {
                    ++result.summary.values;
                    ++result.summary.runHistory;
                    break;
                }
                if (row == nullptr) return refuse(e, value + " is not a value Dovrane manages");
                if (profile && e.kind == Entry::Kind::kValue &&
                    (e.type != row->type || (e.type == reg::kRegDword && e.data.size() != 4)))
                    return refuse(
                        e, value + " must be " + TypeText(row->type) + ", not " +
                               (e.type == row->type ? std::to_string(e.data.size()) + " bytes"
                                                    : TypeName(e.type)));
                ++result.summary.values;
                auto& settings = result.summary.settings;
                if (std::find(settings.begin(), settings.end(), tweak) == settings.end())
                    settings.push_back(tweak);
                break;
            }
        }
    }
    std::sort(result.summary.settings.begin(), result.summary.settings.end());
    result.ok = true;
    return result;
}

// No logon name is needed for the seven settings a profile carries.
class NoUserName final : public settings::UserNameApi {
  public:
    bool GetUserNameW(char16_t*, std::uint32_t*) override { return false; }
};

}  // namespace

bool IsCreatableKey(reg::Key root, const std::u16string& path) {
    const std::vector<Creatable> creatable = CreatableKeys();
    return std::any_of(creatable.begin(), creatable.end(), [&](const Creatable& c) {
        return modTweaks::RowOf(c.tweak).root == root && SameKey(KeyOf(c), path);
    });
}

namespace {
// The creatable keys of `root` at or below `path` (or, `holding`, those
// `path` is at or below), each once, deepest first.
std::vector<std::u16string> CreatableKeysBy(reg::Key root, const std::u16string& path,
                                            bool holding) {
    std::vector<std::u16string> keys;
    for (const Creatable& c : CreatableKeys()) {
        // Two settings in one key (the Welcome screen's) name it once.
        const std::u16string key = KeyOf(c);
        if (modTweaks::RowOf(c.tweak).root == root &&
            (holding ? AtOrBelow(path, key) : AtOrBelow(key, path)) &&
            std::none_of(keys.begin(), keys.end(),
                         [&](const std::u16string& k) { return SameKey(k, key); }))
            keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end(),
              [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
    return keys;
}
}  // namespace

std::vector<std::u16string> CreatableKeysUnder(reg::Key root, const std::u16string& path) {
    return CreatableKeysBy(root, path, false);
}

std::vector<std::u16string> CreatableKeysHolding(reg::Key root, const std::u16string& path) {
    return CreatableKeysBy(root, path, true);
}

std::vector<ValueRef> ValuesUnder(reg::Key root, const std::u16string& path,
                                  const std::u16string& userName) {
    std::vector<ValueRef> values;
    for (const modTweaks::Row& row : modTweaks::Rows()) {
        const std::u16string key = regfile::FromAscii(row.keyPath);
        const std::u16string name =
            row.valueName != nullptr ? regfile::FromAscii(row.valueName) : userName;
        if (row.root == root && !name.empty() && AtOrBelow(key, path))
            values.push_back({key, name});
    }
    return values;
}

CheckResult CheckBackup(const regfile::ReadResult& file, const std::u16string& userName) {
    return Check(file, userName, Kind::kBackup);
}

CheckResult CheckProfile(const regfile::ReadResult& file) {
    return Check(file, u"", Kind::kProfile);
}

Preview WhatChanges(const modTweaks::Seams& seams, const std::vector<Entry>& entries) {
    // What the file leaves in each place it names, in file order: the last
    // word on a value wins, and a key removal is the deletion of each
    // setting's value under it (as Apply does it).
    const std::u16string userName = modTweaks::CurrentLogonName(seams.userName);
    std::vector<std::optional<backup::Prior>> after(modTweaks::kTweakCount);
    // Run history entries by name; a few dozen at most.
    std::vector<std::pair<std::u16string, backup::Prior>> runList;
    for (const Entry& e : entries) {
        if (e.kind == Entry::Kind::kRemoveKey) {
            for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
                const modTweaks::Row& row = modTweaks::Rows()[i];
                if (row.root == e.root && AtOrBelow(regfile::FromAscii(row.keyPath), e.path))
                    after[i] = backup::Prior{};
            }
            continue;
        }
        if (e.kind != Entry::Kind::kValue && e.kind != Entry::Kind::kDeleteValue) continue;
        backup::Prior state;
        state.exists = e.kind == Entry::Kind::kValue;
        if (state.exists) {
            state.type = e.type;
            state.data = e.data;
        }
        Tweak tweak{};
        if (RowFor(e, userName, &tweak) != nullptr) after[static_cast<std::size_t>(tweak)] = state;
        // The list's order (MRUList) is no entry of its own.
        else if (IsRunMru(e) && !SameKey(e.name, u"MRUList")) {
            const auto it = std::find_if(runList.begin(), runList.end(),
                                         [&](const auto& r) { return SameKey(r.first, e.name); });
            if (it != runList.end())
                it->second = state;
            else
                runList.emplace_back(e.name, state);
        }
    }

    Preview preview;
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        if (!after[i]) continue;
        const Tweak tweak = static_cast<Tweak>(i);
        const std::int32_t now = modTweaks::Read(seams, tweak);
        const std::int32_t then =
            after[i]->exists ? modTweaks::StateOfData(tweak, after[i]->type, after[i]->data)
                             : modTweaks::RowOf(tweak).whenUnreadable;
        if (now != then) preview.settings.push_back({tweak, now, then});
    }
    for (const auto& value : runList) {
        backup::Prior now;
        const reg::Status s = backup::ReadPrior(
            seams.registry, reg::kCurrentUser, settings::runhistory::kRunMruPath, value.first, now);
        const bool same =
            (s == reg::kSuccess || s == reg::kFileNotFound) && now.exists == value.second.exists &&
            (!now.exists || (now.type == value.second.type && now.data == value.second.data));
        if (!same) ++preview.runList;
    }
    return preview;
}

std::vector<Entry> ExportProfile(reg::RegistryApi& registry) {
    NoUserName noUser;
    const modTweaks::Seams seams{registry, noUser};
    std::vector<Entry> entries = {
        Entry::Comment(u" Dovrane settings profile. The setting that shows the current account on "
                       u"the Welcome screen is not carried: its value is named after each user.")};
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        const Tweak tweak = static_cast<Tweak>(i);
        if (!InProfile(tweak)) continue;
        const modTweaks::Row& row = modTweaks::RowOf(tweak);
        const bool on = modTweaks::Read(seams, tweak) == 1;
        const std::u16string path = regfile::FromAscii(row.keyPath);
        const std::u16string name = regfile::FromAscii(row.valueName);
        // No value here is Windows' default there: the import deletes it.
        // A value that cannot be read is carried as the state it reads as.
        backup::Prior prior;
        const reg::Status read = backup::ReadPrior(registry, row.root, path, name, prior);
        const bool absent = read == reg::kFileNotFound || (read == reg::kSuccess && !prior.exists);
        if (absent || (!on && row.offDeletes)) {
            entries.push_back(Entry::DeleteValue(row.root, path, name));
            continue;
        }
        const std::int32_t n = on ? row.on : row.off;
        const auto bits = static_cast<std::uint32_t>(n);
        entries.push_back(Entry::Value(
            row.root, path, name, row.type,
            row.type == reg::kRegSz
                ? regfile::SzData(regfile::FromAscii(std::to_string(n)))
                : std::vector<std::uint8_t>{std::uint8_t(bits), std::uint8_t(bits >> 8),
                                            std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)}));
    }
    return entries;
}

std::optional<std::pair<Tweak, bool>> ThroughWriter(const Entry& e) {
    Tweak tweak{};
    const modTweaks::Row* row = e.kind == Entry::Kind::kValue ? RowFor(e, u"", &tweak) : nullptr;
    if (row == nullptr || row->keepOtherBitsOf == 0) return std::nullopt;
    return std::make_pair(tweak, modTweaks::StateOfData(tweak, e.type, e.data) == 1);
}

std::vector<Tweak> NotHeld(reg::RegistryApi& registry, const std::vector<Entry>& profile) {
    std::vector<Tweak> missed;
    NoUserName noUser;
    for (const Entry& e : profile) {
        Tweak tweak{};
        if ((e.kind != Entry::Kind::kValue && e.kind != Entry::Kind::kDeleteValue) ||
            RowFor(e, u"", &tweak) == nullptr)
            continue;
        // Held is what the file says, to the byte: then the setting reads as
        // the file makes it read, by its own reader. A value its writer
        // changes a bit of is held when the setting reads as the file means.
        backup::Prior now;
        const auto bit = ThroughWriter(e);
        const bool held =
            bit ? modTweaks::Read({registry, noUser}, tweak) == (bit->second ? 1 : 0)
                : backup::ReadPrior(registry, e.root, e.path, e.name, now) == reg::kSuccess &&
                      (e.kind == Entry::Kind::kDeleteValue
                           ? !now.exists
                           : now.exists && now.type == e.type && now.data == e.data);
        if (!held && std::find(missed.begin(), missed.end(), tweak) == missed.end())
            missed.push_back(tweak);
    }
    std::sort(missed.begin(), missed.end());
    return missed;
}

}  // namespace backup::managed
