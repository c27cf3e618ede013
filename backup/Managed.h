// What Dovrane manages in the registry, for the files it takes in: a backup
// chosen for Restore and a settings profile given to /import may only touch
// the settings' values (and, for a backup, the Run history and the keys the
// settings' writers make). Anything else refuses the whole file, so that a
// file Dovrane is asked to apply can never reach further than Dovrane itself.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backup/RegFile.h"
#include "registry/RegistryApi.h"
#include "settings/modTweaks.h"

namespace backup::managed {

// Keys a setting's writer makes when they are missing, as they are on a fresh
// Windows XP; only these may be removed by a backup. The keys the settings
// live in otherwise (Winlogon, Session Manager\Memory Management...) belong
// to Windows and are never removed, whatever a file says.
bool IsCreatableKey(reg::Key root, const std::u16string& path);
// The creatable keys at or below root\path, deepest first.
std::vector<std::u16string> CreatableKeysUnder(reg::Key root, const std::u16string& path);
// The creatable keys root\path is at or below, deepest first.
std::vector<std::u16string> CreatableKeysHolding(reg::Key root, const std::u16string& path);
// The settings' values in root\path or a key below it: (key path, value
// name); the current-account setting's value is named `userName` (left out
// when empty).
struct ValueRef {
    std::u16string path;
    std::u16string name;
};
std::vector<ValueRef> ValuesUnder(reg::Key root, const std::u16string& path,
                                  const std::u16string& userName);

struct Summary {
    std::size_t values = 0;                  // values set or deleted
    std::size_t runHistory = 0;              // of which in the Run history
    std::size_t keyRemovals = 0;             // [-key] entries
    std::vector<modTweaks::Tweak> settings;  // each once, in catalogue order
};
struct CheckResult {
    bool ok = false;
    int errorLine = 0;
    std::string error;
    Summary summary;
};

// A backup to restore: a syntax error from the reader, or an entry outside
// the settings' values (the current-account one named `userName`), the Run
// history and the creatable keys, refuses it with its line. Any value type is
// accepted: a backup holds what was there.
CheckResult CheckBackup(const regfile::ReadResult& file, const std::u16string& userName);
// What a checked backup would change, setting by setting, against the
// registry as it is: each setting whose state after the file differs from
// its state now (a key removal changes the settings whose values lie under
// it), in catalogue order, and how many Run List entries it puts back or
// takes away. A setting the file names but leaves as it reads is not listed.
struct SettingChange {
    modTweaks::Tweak tweak;
    std::int32_t now;    // 1 on
    std::int32_t after;  // 1 on
};
struct Preview {
    std::vector<SettingChange> settings;
    std::size_t runList = 0;
    bool empty() const { return settings.empty() && runList == 0; }
};
Preview WhatChanges(const modTweaks::Seams& seams, const std::vector<regfile::Entry>& entries);

// A profile: only the seven settings other than the current-account one, each
// value of its setting's type (REG_DWORD of four bytes), or deleted; no key
// removals.
CheckResult CheckProfile(const regfile::ReadResult& file);

// The seven settings as a profile, mirroring the registry: a value the
// registry lacks is written as "name"=- (the import leaves Windows' default),
// one it holds as the value its writer stores for the state it reads as (a
// setting whose "off" removes its value as "name"=-), so that a target reads
// as the source does. NumLock's value carries its bit alone ("2" or "0"):
// Dovrane's import sets that bit and keeps the target's Caps Lock and Scroll
// Lock; the registry editor sets the whole value, those two off. A comment
// says why the current-account setting is not carried.
std::vector<regfile::Entry> ExportProfile(reg::RegistryApi& registry);

// A profile's value for a setting whose writer keeps the other bits of its
// number (NumLock's InitialKeyboardIndicators: Caps Lock and Scroll Lock
// too): the setting and whether the value means on. Such a value is imported
// through the setting's own writer, so only what the setting means changes.
std::optional<std::pair<modTweaks::Tweak, bool>> ThroughWriter(const regfile::Entry& entry);

// After an import: the settings the profile names whose value `registry`
// does not hold exactly as the profile gives it (a deleted value: still
// there; a value ThroughWriter takes: the setting does not read as it
// means), read back through the wide calls. Empty when all held.
std::vector<modTweaks::Tweak> NotHeld(reg::RegistryApi& registry,
                                      const std::vector<regfile::Entry>& profile);

}  // namespace backup::managed
