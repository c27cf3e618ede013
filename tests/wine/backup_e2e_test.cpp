// Backups, Undo and Restore end to end: the real Dovrane.exe clicked as a
// user would, its backup file read back from Application Data, and Windows's
// own registry editor importing that file (`regedit /s`) to show that it puts
// the state from before the action back. The test's Wine prefix is a
// throw-away copy of the template (scripts/wine-isolated), so the import
// touches nothing else.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/frmKestrow.h"
#include "ui/resource.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::seconds;

constexpr const char* kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr const char* kCleanupWiz =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz";

std::string LogonName() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

struct Value {
    HKEY root;
    const char* path;
    const char* name;  // nullptr: the logon name
};
// The settings' values, each as the registry holds it before a row's action.
const Value kValues[] = {
    {HKEY_USERS, ".Default\\Control Panel\\Keyboard", "InitialKeyboardIndicators"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
     "EncryptionContextMenu"},
    {HKEY_CURRENT_USER, kCleanupWiz, "NoRun"},
    {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
     "ClearPageFileAtShutdown"},
    {HKEY_LOCAL_MACHINE,
     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList",
     "Administrator"},
    {HKEY_LOCAL_MACHINE,
     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList",
     nullptr},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
     "KeepRasConnections"},
    {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
     "NoLowDiskSpaceChecks"},
};

// Every value Dovrane manages, with its type and bytes, and whether the key a
// tick creates is there: equal states are the same registry for Dovrane.
std::map<std::string, std::string> State() {
    std::map<std::string, std::string> state;
    const auto text = [](const std::optional<RawValue>& v) {
        if (!v) return std::string("-");
        std::string s = std::to_string(v->type) + ":";
        for (BYTE b : v->data) s += "0123456789abcdef"[b >> 4], s += "0123456789abcdef"[b & 15];
        return s;
    };
    for (const Value& v : kValues) {
        const std::string name = v.name ? v.name : LogonName();
        state[std::string(v.path) + "\\" + name] = text(RegRead(v.root, v.path, name));
    }
    state["CleanupWiz key"] = RegKeyExists(HKEY_CURRENT_USER, kCleanupWiz) ? "yes" : "no";
    for (const char* name : {"a", "b", "c", "MRUList"})
        state[std::string("RunMRU\\") + name] = text(RegRead(HKEY_CURRENT_USER, kRunMru, name));
    return state;
}

std::string BackupFolder() {
    char appData[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Dovrane\\Backups";
}
// The backup files there, by full path.
std::vector<std::string> BackupFiles() {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((BackupFolder() + "\\Dovrane *.reg").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do files.push_back(BackupFolder() + "\\" + found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return files;
}
// A backup's text, its byte-order mark checked and its UTF-16 narrowed (the
// names here are all ASCII).
std::string FileText(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xff\xfe") != 0) return "<no byte-order mark>";
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        if (bytes[i] != '\r') text += bytes[i + 1] == 0 ? bytes[i] : '?';
    return text;
}

// One run of the program, closed at the end.
class Dovrane {
  public:
    explicit Dovrane(const StagedDovrane& staged)
        : process_(StartDovrane(staged.exe())),
          main_(WaitForWindow(process_.id(), "frmKestrow", "Dovrane")) {}
    ~Dovrane() {
        if (main_ != nullptr) PostMessageA(main_, WM_CLOSE, 0, 0);
        process_.WaitExit(seconds(10));
    }
    HWND main() const { return main_; }
    HWND Control(int id) const { return FindChildById(main_, id); }
    int Checked(int box) const {
        return SendMessageA(Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    // A click with the mouse, waiting until the window is back in its loop.
    void Click(int id) const {
        Activate(main_);
        wine_test::Click(Control(id));
        Idle();
    }
    void Idle() const {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    }
    HWND WaitForBox(const char* caption) const {
        return WaitForWindow(process_.id(), "#32770", caption, seconds(10));
    }
    void ShowRunList() const {
        HWND tabs = Control(ui::kSSTab1);
        const RECT tab = TabItemRect(tabs, 1);
        Activate(main_);
        ClickAt(tabs, (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
        WaitFor([&] { return IsWindowVisible(Control(ui::kLstRunMRU)) != FALSE; }, seconds(5));
    }

  private:
    Process process_;
    HWND main_;
};

struct Row {
    const char* name;
    std::function<void(const Dovrane&)> act;
    std::vector<std::string> saved;  // lines the backup must hold
    // After the file is checked, before regedit: what the program puts back
    // itself, which must be the state from before the action.
    std::function<void(const Dovrane&)> then;
};

class BackupEndToEnd : public ::testing::Test {
  protected:
    BackupEndToEnd() : staged_("backup") {
        for (const Value& v : kValues)
            borrowed_.push_back(
                std::make_unique<BorrowedValue>(v.root, v.path, v.name ? v.name : LogonName()));
    }
    // Every setting off, as Dovrane stores it, the Cleanup Wizard's key missing,
    // three Run List entries.
    void Seed() {
        ASSERT_TRUE(borrowed_[0]->SetSz("0"));
        borrowed_[1]->Delete();
        RegDeleteKeyA(HKEY_CURRENT_USER, kCleanupWiz);
        for (int i : {3, 4, 5, 7}) ASSERT_TRUE(borrowed_[i]->SetDword(0));
        ASSERT_TRUE(borrowed_[6]->SetSz("0"));
        RegDeleteKeyA(HKEY_CURRENT_USER, kRunMru);
        ASSERT_TRUE(PutCurrentUserSz(kRunMru, "a", "notepad\\1"));
        ASSERT_TRUE(PutCurrentUserSz(kRunMru, "b", "calc\\1"));
        ASSERT_TRUE(PutCurrentUserSz(kRunMru, "c", "cmd /k ver\\1"));
        ASSERT_TRUE(PutCurrentUserSz(kRunMru, "MRUList", "cba"));
        for (const std::string& file : BackupFiles()) DeleteFileA(file.c_str());
    }

    StagedDovrane staged_;
    std::vector<std::unique_ptr<BorrowedValue>> borrowed_;
};

void Restore(const Dovrane& app, const std::string& file) {
    Activate(app.main());
    PressChord({VK_MENU, 'E'});
    PressKey('R');
    HWND dialog = app.WaitForBox("Restore Backup");
    ASSERT_NE(dialog, nullptr) << "no Open dialog";
    // The file-name box has the focus: the path typed there, then Enter.
    HWND name = FocusOf(dialog);
    ASSERT_EQ(ClassOf(name), "Edit");
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, seconds(10)));
    HWND question = app.WaitForBox("Restore Backup");
    ASSERT_NE(question, nullptr) << "no question";
    EXPECT_NE(TextOf(GetDlgItem(question, 0xFFFF)).find("3 Run List entries put back"),
              std::string::npos);
    ASSERT_TRUE(ClickMessageBoxButton(question, IDYES));
    HWND done = app.WaitForBox("Restore Backup");
    ASSERT_NE(done, nullptr) << "no confirmation";
    EXPECT_NE(TextOf(GetDlgItem(done, 0xFFFF)).find("has been restored"), std::string::npos);
    ASSERT_TRUE(ClickMessageBoxButton(done, IDOK));
    app.Idle();
}

TEST_F(BackupEndToEnd, EachActionsBackupPutsTheEarlierStateBackThroughTheRegistryEditor) {
    const std::string user = LogonName();
    ASSERT_FALSE(user.empty());
    const std::vector<Row> rows = {
        {"a tick of each kind of setting",
         [](const Dovrane& app) {
             for (int box : {ui::kCbNumLock, ui::kCbEncryptOnContextMenu, ui::kCbDesktopWizard,
                             ui::kCbClearPageFileAtShutdown, ui::kCbAdminAcctWelcomeScreen,
                             ui::kCbDisplayCurrentAccountOnWelcomeScreen, ui::kCbKeepRASOpen,
                             ui::kCbLowSpaceChecks})
                 app.Click(box);
         },
         {"Windows Registry Editor Version 5.00", "[HKEY_USERS\\.Default\\Control Panel\\Keyboard]",
          "\"InitialKeyboardIndicators\"=\"0\"", "\"EncryptionContextMenu\"=-",
          // The key Dovrane made is never removed by the file: its value is.
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\"
          "CleanupWiz]",
          "\"NoRun\"=-", "\"ClearPageFileAtShutdown\"=dword:00000000",
          "\"Administrator\"=dword:00000000", "\"" + user + "\"=dword:00000000",
          "\"KeepRasConnections\"=\"0\"", "\"NoLowDiskSpaceChecks\"=dword:00000000"},
         nullptr},
        {"Select All, then Ctrl+Z",
         [](const Dovrane& app) { app.Click(ui::kCmdTwksSelectAll); },
         {"\"InitialKeyboardIndicators\"=\"0\"", "\"NoLowDiskSpaceChecks\"=dword:00000000"},
         [](const Dovrane& app) {
             Activate(app.main());
             PressChord({VK_CONTROL, 'Z'});
             app.Idle();
             for (int box : {ui::kCbNumLock, ui::kCbLowSpaceChecks}) EXPECT_EQ(app.Checked(box), 0);
         }},
        {"a Run List Apply, then Restore",
         [](const Dovrane& app) {
             app.ShowRunList();
             app.Click(ui::kCmdMRUNone);
             app.Click(ui::kCmdMRUApply);
             HWND box = app.WaitForBox("Dovrane");
             ASSERT_NE(box, nullptr) << "no restart question";
             ASSERT_TRUE(ClickMessageBoxButton(box, IDNO));
             EXPECT_EQ(ListBoxTexts(app.Control(ui::kLstRunMRU)).size(), 0u);
         },
         {"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU]",
          "\"a\"=\"notepad\\\\1\"", "\"c\"=\"cmd /k ver\\\\1\""},
         [](const Dovrane& app) {
             const std::vector<std::string> files = BackupFiles();
             ASSERT_EQ(files.size(), 1u);
             Restore(app, files[0]);
             EXPECT_EQ(ListBoxTexts(app.Control(ui::kLstRunMRU)).size(), 3u);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Seed();
        const auto before = State();
        {
            Dovrane app(staged_);
            ASSERT_NE(app.main(), nullptr);
            row.act(app);
            ASSERT_NE(State(), before) << "the action changed nothing";
            const std::vector<std::string> files = BackupFiles();
            ASSERT_EQ(files.size(), 1u) << "one backup file a run";
            const std::string text = FileText(files[0]);
            std::printf("--- %s: %s\n%s---\n", row.name, files[0].c_str(), text.c_str());
            for (const std::string& line : row.saved)
                EXPECT_NE(text.find(line + "\n"), std::string::npos) << line;
            if (row.then) {
                row.then(app);
                EXPECT_EQ(State(), before) << "put back by the program";
            }
        }
        DWORD code = 1;
        RunAndRead("regedit /s \"" + BackupFiles().at(0) + "\"", &code);
        EXPECT_EQ(code, 0u);
        // The backup removes no key: the registry editor makes the key its
        // deletions name, and leaves it empty, which reads the same.
        auto after = State();
        after.erase("CleanupWiz key");
        auto expected = before;
        expected.erase("CleanupWiz key");
        EXPECT_EQ(after, expected) << "regedit /s on the backup";
    }
}

}  // namespace
