// Putting previous states back: Undo takes back the newest action, Restore
// applies a checked backup (or profile) file. Both go through the backed-up
// registry, so that what they change is itself saved first; a restore is an
// action of its own and can be undone.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "backup/RegFile.h"
#include "registry/RegistryApi.h"

namespace backup {

// Deletes root\path when it is empty. Without it, a key a removal names is
// emptied of the settings' values and left in place, which reads the same.
// A key left because it holds a value names one in `held` (may be null).
using RemoveEmptyKey =
    std::function<reg::Status(reg::Key root, const std::u16string& path, std::u16string* held)>;

// The hook through `registry`: a key holding no value is deleted with
// RegDeleteKeyW (which refuses one with subkeys: never a whole tree); a key
// that still holds a value or a subkey (one Dovrane does not manage, since
// Apply deleted the settings' own first) is left, with success. Through a
// BackedUpRegistry the deletion is backed up too.
RemoveEmptyKey RemoveIfEmpty(reg::RegistryApi& registry);

// A key a removal named that still holds a value Dovrane did not make, and
// so was left in place: the key and one such value.
struct KeptKey {
    reg::Key root;
    std::u16string path;
    std::u16string value;
};

struct ApplyContext {
    std::u16string userName;  // names the current-account setting's value
    RemoveEmptyKey removeEmptyKey;
    std::vector<KeptKey>* kept = nullptr;  // where kept keys are told, when wanted
    // A deletion also removes the keys a writer makes that held the value,
    // once empty (a restore: the backup deletes what was set in a key
    // Dovrane made, and no longer names the key; Undo names it itself).
    bool removeEmptiedKeys = false;
};

// One entry through `registry`: a value is set (its key made when missing), a
// deletion deletes (a missing value or key is no failure) and then removes
// the keys a writer makes that hold it once they are empty, a key removal
// deletes the settings' values at or below that key and then, deepest first,
// the keys a writer makes (managed::CreatableKeysUnder). A [key] line makes
// its key. Returns 0 or the code of the call that failed.
reg::Status Apply(reg::RegistryApi& registry, const regfile::Entry& entry,
                  const ApplyContext& context);

struct ApplyReport {
    std::vector<regfile::Entry> failed;  // entries that could not be put back
    std::string why;                     // the backup's refusal, once, when there was one
    std::vector<KeptKey> kept;           // keys a removal left in place
    bool complete() const { return failed.empty(); }
};

// Restore: every entry of a checked file, in order, as one undoable action.
ApplyReport ApplyAll(BackedUpRegistry& registry, UndoStack& undo,
                     const std::vector<regfile::Entry>& entries, const ApplyContext& context);

// Undo: the newest action's states, newest first. The undo is backed up but
// is no action of its own. The action leaves the stack whatever happens: what
// could not be put back is reported, and the next Undo goes on with the action before it, so that
// one value that cannot be put back never stands in the way of all the older ones.
ApplyReport Undo(BackedUpRegistry& registry, UndoStack& undo, const ApplyContext& context);

}  // namespace backup
