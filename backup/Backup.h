// Nothing Dovrane changes is lost: before a value is set or deleted, or a
// key created, its previous state goes to the run's backup file and is on the
// disk, and only then is the change made. The same previous states are kept
// per action for Undo.
//
// BackedUpRegistry is a RegistryApi wrapped around the real one, so that the
// settings' writers and the Run List reach the registry exactly as before and
// every change they make is backed up on the way.
#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "backup/RegFile.h"
#include "files/Files.h"
#include "registry/RegistryApi.h"

namespace backup {

// Returned instead of making a change whose previous state could not be
// saved (bit 29: an application's code, never one of Windows's).
constexpr reg::Status kNotBackedUp = 0x20000001;
// A name or string data the calls at hand cannot carry exactly (see
// Narrow/Widen in Backup.cpp); nothing was changed.
constexpr reg::Status kNotExact = 0x20000002;

// The state of one value now, read through the wide calls: exact whatever
// its name and data hold.
struct Prior {
    bool exists = false;
    std::uint32_t type = reg::kRegNone;
    std::vector<std::uint8_t> data;
};
// A missing key or value is a success with `exists` false.
reg::Status ReadPrior(reg::RegistryApi& api, reg::Key root, const std::u16string& path,
                      const std::u16string& name, Prior& prior);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// What the run's backup file is named by: LocalNow (ClockWin32.h) in the
// program, a fixed time in tests.
using Clock = LocalTime (*)();

// "Dovrane 2026-12-07 134501.reg"
std::u16string FileName(const LocalTime& time);

// The run's backup file, made in `folder` (and the folder with it) at the
// first Append; a file of that name from another run is never overwritten:
// " (2)", " (3)"... is added instead. What it holds is also kept in memory,
// so that a file deleted during the run is written again, whole, at the next
// Append.
class BackupFile {
  public:
    BackupFile(files::FilesApi& files, Clock now, std::u16string folder);
    // The folder named at the first Append: naming it may take the shell,
    // which a run that changes nothing need not load.
    BackupFile(files::FilesApi& files, Clock now, std::function<std::u16string()> folder);
    // Adds the entries as blocks of a file the registry editor imports. The
    // entries are on the disk when this returns kOk. No entries: makes the
    // file, or checks that it is still there (and writes it again if not).
    files::Error Append(const std::vector<regfile::Entry>& entries);
    // Empty until the file is made.
    const std::u16string& Path() const { return path_; }
    // Whether the file was written again since last asked, having gone
    // during the run: the user is told once.
    bool TakeRewritten();

  private:
    files::Error Rewrite(const std::vector<std::uint8_t>& blocks);

    files::FilesApi& files_;
    Clock now_;
    std::function<std::u16string()> folderName_;
    std::u16string folder_;
    std::u16string path_;
    std::vector<regfile::Entry> kept_;  // what the file holds
    bool rewritten_ = false;
};

// Previous states per action. An action is what one command of the user
// does: a box's change, Select All or None, a Run List Apply, a restore. The
// states of one action are kept once per value or key, as they were before
// its first change; an action that changed nothing is not kept.
//
// The current-account box's question needs no rule of its own: the action is
// what the registry saw. Unticked and answered No, the box goes back on and
// its writer writes what is already there, so nothing is kept and there is
// nothing to undo; answered Yes, the account's value is kept and Undo puts it
// back (shown again) without asking, since it returns to the state the user
// had. Undoing a tick that showed the account hides it again, likewise
// without a question: it is the state the user had before.
class UndoStack {
  public:
    // Begin/End pairs nest; the outermost pair makes the action.
    void Begin();
    void End();
    // Keeps the state before a change in the open action. Outside any action
    // (the load, an undo) nothing is kept.
    void Record(const regfile::Entry& before);
    bool CanUndo() const { return !done_.empty(); }
    std::size_t Size() const { return done_.size(); }
    // Takes the newest action: its states, in the order they were recorded.
    std::vector<regfile::Entry> Pop();

    // Begin() now, End() when it goes.
    class Action {
      public:
        explicit Action(UndoStack& stack) : stack_(stack) { stack_.Begin(); }
        ~Action() { stack_.End(); }
        Action(const Action&) = delete;
        Action& operator=(const Action&) = delete;

      private:
        UndoStack& stack_;
    };

  private:
    std::vector<std::vector<regfile::Entry>> done_;
    std::vector<regfile::Entry> open_;
    // What open_ holds a state of (kind, root, folded path and name).
    std::set<std::tuple<int, reg::Key, std::u16string, std::u16string>> openIds_;
    int depth_ = 0;
};

class BackedUpRegistry final : public reg::RegistryApi {
  public:
    // `undo` may be null: changes are then backed up only.
    BackedUpRegistry(reg::RegistryApi& inner, BackupFile& file, UndoStack* undo);

    // Passed through; the handles they open are remembered with their paths.
    reg::Status RegOpenKeyExA(reg::Key key, const char* subKey, std::uint32_t options,
                              std::uint32_t samDesired, reg::Key* result) override;
    // A key that does not exist yet is kept for Undo as the removal of the
    // shallowest missing key that a setting's writer makes (see
    // managed::IsCreatableKey), so that Undo removes what Dovrane added once
    // it is empty again. The file never removes a key: the values written
    // there back themselves up as deletions.
    reg::Status RegCreateKeyExA(reg::Key key, const char* subKey, std::uint32_t reserved,
                                const char* keyClass, std::uint32_t options,
                                std::uint32_t samDesired, const void* securityAttributes,
                                reg::Key* result, std::uint32_t* disposition) override;
    reg::Status RegQueryValueExA(reg::Key key, const char* valueName, std::uint32_t* reserved,
                                 std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* dataSize) override;
    // Backed up first, unless the value would stay as it is (same type and
    // data): that makes no entry and no file. kNotBackedUp when the entry
    // could not be saved; nothing is changed then.
    reg::Status RegSetValueExA(reg::Key key, const char* valueName, std::uint32_t reserved,
                               std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t dataSize) override;
    // Backed up first when the value exists; as RegSetValueExA otherwise.
    reg::Status RegDeleteValueA(reg::Key key, const char* valueName) override;
    reg::Status RegEnumValueA(reg::Key key, std::uint32_t index, char* valueName,
                              std::uint32_t* valueNameSize, std::uint32_t* reserved,
                              std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) override;
    reg::Status RegCloseKey(reg::Key key) override;

    // The wide calls, the same way, with names exact. The ANSI calls above
    // refuse a name or key path that is not ASCII with kNotExact (the code
    // page that would make it wide is the system's, not known here); the
    // previous state is read through the wide calls either way, so the data
    // saved is exact whatever it holds.
    reg::Status RegOpenKeyExW(reg::Key key, const char16_t* subKey, std::uint32_t options,
                              std::uint32_t samDesired, reg::Key* result) override;
    reg::Status RegCreateKeyExW(reg::Key key, const char16_t* subKey, std::uint32_t reserved,
                                const char16_t* keyClass, std::uint32_t options,
                                std::uint32_t samDesired, const void* securityAttributes,
                                reg::Key* result, std::uint32_t* disposition) override;
    reg::Status RegQueryValueExW(reg::Key key, const char16_t* valueName, std::uint32_t* reserved,
                                 std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* dataSize) override;
    reg::Status RegSetValueExW(reg::Key key, const char16_t* valueName, std::uint32_t reserved,
                               std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t dataSize) override;
    reg::Status RegDeleteValueW(reg::Key key, const char16_t* valueName) override;
    reg::Status RegEnumValueW(reg::Key key, std::uint32_t index, char16_t* valueName,
                              std::uint32_t* valueNameSize, std::uint32_t* reserved,
                              std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) override;
    // The key's values are saved first, and the key itself as a [key] entry,
    // so that a restore or an undo makes it again with them.
    reg::Status RegDeleteKeyW(reg::Key key, const char16_t* subKey) override;

    // Why the last change refused with kNotBackedUp or kNotExact was not
    // made, for the user ("the backup file could not be written: the disk is
    // full"); empty when none was. Taking it clears it, so that an action
    // tells the user once.
    std::string TakeFailure();
    const BackupFile& File() const { return file_; }

  private:
    struct Place {
        reg::Key root;
        std::u16string path;
        bool exact = true;  // false: opened by an ANSI path that is not ASCII
    };
    using ValueId = std::tuple<reg::Key, std::u16string, std::u16string>;

    bool Where(reg::Key key, Place& place) const;
    void Remember(reg::Status status, const Place& parent, const std::u16string& subKey, bool exact,
                  const reg::Key* result);
    reg::Status Refuse(reg::Status status, std::string why);
    // Saves the entry to the file (once per value or key in a run) and to
    // the undo stack; a key removal goes to the undo stack only.
    reg::Status Save(const regfile::Entry& before);
    bool InFile(const regfile::Entry& before) const;
    // Backs up the value `name` before a change. `unchanged` says whether
    // the value's present type and data are what the change would leave.
    template <class Unchanged>
    reg::Status BackUpValue(reg::Key key, const std::u16string& name, bool deleting,
                            Unchanged unchanged);
    reg::Status BackUpNewKey(reg::Key key, const std::u16string& subKey, Place& created);

    reg::RegistryApi& inner_;
    BackupFile& file_;
    UndoStack* undo_;
    std::map<reg::Key, Place> handles_;
    // What the file holds, folded: values and keys made again (see Marker).
    std::set<ValueId> saved_;
    std::string failure_;
};

// Names and string data of the ANSI calls as the exact UTF-16 the wide calls
// and the file hold. Only ASCII passes: anything else would need the
// system's code page, and a backup that is not exact is no backup. False
// when the text cannot be carried. The wide calls need neither.
bool Widen(const std::string& text, std::u16string& out);
// String types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are converted, any
// other is as it is.
bool WidenData(std::uint32_t type, const std::vector<std::uint8_t>& data,
               std::vector<std::uint8_t>& out);
// A name as the registry compares it (letters of any case alike).
std::u16string Folded(const std::u16string& name);

}  // namespace backup
