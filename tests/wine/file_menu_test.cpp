// The File menu and the command line's usage, end to end: the real
// Dovrane.exe driven as a user would, the Save and Open dialogs answered,
// the registry read back on its own. With DOVRANE_SHOTS set to a folder (a
// Unix path), the File menu and the confirmation are photographed there.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ui/frmKestrow.h"
#include "ui/resource.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::seconds;

constexpr const char* kPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kMemory =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";

// The screen as it is now, into $DOVRANE_SHOTS/NAME.png (ImageMagick's
// import, a Unix program Wine starts as it is).
void Shot(const std::string& name) {
    const char* folder = std::getenv("DOVRANE_SHOTS");
    if (!folder || !*folder) return;
    DWORD status = 0;
    RunAndRead("Z:\\usr\\bin\\import -window root " + std::string(folder) + "/" + name + ".png",
               &status);
}

class FileMenu : public ::testing::Test {
  protected:
    FileMenu()
        : staged_("filemenu"),
          lowSpace_(HKEY_CURRENT_USER, kPolicies, "NoLowDiskSpaceChecks"),
          pageFile_(HKEY_LOCAL_MACHINE, kMemory, "ClearPageFileAtShutdown") {}

    // Opens File, picks the item by its mnemonic, answers the dialog with
    // `path`, and returns the box that follows.
    HWND ThroughDialog(HWND main, DWORD process, char item, const char* title,
                       const std::string& path) {
        Activate(main);
        PressChord({VK_MENU, 'F'});
        if (item == 'E') Shot("file-menu");
        PressKey(item);
        HWND dialog = WaitForWindow(process, "#32770", title, seconds(10));
        if (!dialog) return nullptr;
        HWND name = FocusOf(dialog);
        if (ClassOf(name) != "Edit") return nullptr;
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PressKey(VK_RETURN);
        if (!WaitFor([&] { return !IsWindow(dialog); }, seconds(10))) return nullptr;
        return WaitForWindow(process, "#32770", "Dovrane", seconds(10));
    }

    StagedDovrane staged_;
    BorrowedValue lowSpace_;
    BorrowedValue pageFile_;
};

// Export, a change, the import that puts it back (boxes included), and
// Edit > Undo that takes the import back as one action.
TEST_F(FileMenu, ExportThenImportPutsTheSettingsBackAndUndoTakesTheImportBack) {
    ASSERT_TRUE(lowSpace_.SetDword(1));
    ASSERT_TRUE(pageFile_.SetDword(1));
    Process process = StartDovrane(staged_.exe());
    HWND main = WaitForWindow(process.id(), "frmKestrow", "Dovrane");
    ASSERT_NE(main, nullptr);
    auto checked = [&](int id) {
        return SendMessageA(FindChildById(main, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    auto idle = [&] {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    };
    const std::string profile = staged_.folder() + "\\room 12.reg";

    HWND box = ThroughDialog(main, process.id(), 'E', "Export Settings", profile);
    ASSERT_NE(box, nullptr) << "no confirmation of the export";
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)).rfind("The settings were exported to " + profile, 0),
              0u)
        << TextOf(GetDlgItem(box, 0xFFFF));
    Shot("export-confirmation");
    ASSERT_TRUE(ClickMessageBoxButton(box, IDOK));
    ASSERT_EQ(GetFileAttributesA(profile.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    // Both settings cleared by their boxes.
    for (int id : {ui::kCbLowSpaceChecks, ui::kCbClearPageFileAtShutdown}) {
        Activate(main);
        Click(FindChildById(main, id));
        idle();
    }
    ASSERT_EQ(lowSpace_.Now()->data, std::vector<BYTE>({0, 0, 0, 0}));

    box = ThroughDialog(main, process.id(), 'I', "Import Settings", profile);
    ASSERT_NE(box, nullptr) << "no confirmation of the import";
    const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(text.find(profile + " was imported"), std::string::npos) << text;
    EXPECT_NE(text.find("Edit > Undo takes the import back"), std::string::npos) << text;
    // The boxes show the new state while the confirmation is up.
    EXPECT_TRUE(checked(ui::kCbLowSpaceChecks));
    EXPECT_TRUE(checked(ui::kCbClearPageFileAtShutdown));
    Shot("import-confirmation");
    ASSERT_TRUE(ClickMessageBoxButton(box, IDOK));
    EXPECT_EQ(lowSpace_.Now()->data, std::vector<BYTE>({1, 0, 0, 0}));
    EXPECT_EQ(pageFile_.Now()->data, std::vector<BYTE>({1, 0, 0, 0}));

    // One Ctrl+Z takes back the whole import, not the clicks before it.
    Activate(main);
    PressChord({VK_CONTROL, 'Z'});
    idle();
    EXPECT_EQ(lowSpace_.Now()->data, std::vector<BYTE>({0, 0, 0, 0}));
    EXPECT_EQ(pageFile_.Now()->data, std::vector<BYTE>({0, 0, 0, 0}));
    EXPECT_FALSE(checked(ui::kCbLowSpaceChecks));

    // Ctrl+Tab and Ctrl+Shift+Tab switch tabs.
    HWND tabs = FindChildById(main, ui::kSSTab1);
    Activate(main);
    PressChord({VK_CONTROL, VK_TAB});
    idle();
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(FindChildById(main, ui::kLstRunMRU)));
    PressChord({VK_CONTROL, VK_SHIFT, VK_TAB});
    idle();
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);

    // File > Exit ends the program.
    Activate(main);
    PressChord({VK_MENU, 'F'});
    PressKey('X');
    EXPECT_TRUE(process.WaitExit(seconds(10)));
}

// /? shows the usage in a box and exits 0, with or without other switches.
TEST(CommandLineUsage, ShowsTheUsageAndExitsZero) {
    StagedDovrane staged("usage");
    Process process = Start("\"" + staged.exe() + "\" /?", staged.folder());
    HWND box = WaitForWindow(process.id(), "#32770", "Dovrane", seconds(20));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)).rfind("Dovrane.exe /export FILE [/quiet]", 0), 0u);
    Shot("usage");
    ASSERT_TRUE(ClickMessageBoxButton(box, IDOK));
    ASSERT_TRUE(process.WaitExit(seconds(10)));
    EXPECT_EQ(process.ExitCode(), 0u);

    Process quiet = Start("\"" + staged.exe() + "\" -? /quiet", staged.folder());
    ASSERT_TRUE(quiet.WaitExit(seconds(20)));
    EXPECT_EQ(quiet.ExitCode(), 0u);
}

}  // namespace
