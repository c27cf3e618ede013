// The Tweaks tab end to end: the real Dovrane.exe under Wine, its boxes and
// buttons clicked with the mouse, its message boxes answered by clicking
// their buttons, the registry seeded beforehand and read back on its own with
// Wine's reg.exe, and the program started again to see what it shows then.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/frmKestrow.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::seconds;

constexpr const char* kUserList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList";
constexpr const char* kSpecialAccounts =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts";

struct Setting {
    int box;
    HKEY root;
    const char* rootName;  // as reg.exe names it
    const char* path;
    const char* name;  // nullptr: the logon name of the user running the program
    const char* on;    // as reg query shows it
    const char* off;   // "": no value
};

// In the window's tab order; written out here, apart from the program's own
// table, so that a wrong row shows.
const Setting kSettings[] = {
    {ui::kCbNumLock, HKEY_USERS, "HKU", ".Default\\Control Panel\\Keyboard",
     "InitialKeyboardIndicators", "REG_SZ 2", "REG_SZ 0"},
    {ui::kCbEncryptOnContextMenu, HKEY_LOCAL_MACHINE, "HKLM",
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "EncryptionContextMenu",
     "REG_DWORD 0x1", ""},
    {ui::kCbDesktopWizard, HKEY_CURRENT_USER, "HKCU",
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz", "NoRun",
     "REG_DWORD 0x0", "REG_DWORD 0x1"},
    {ui::kCbClearPageFileAtShutdown, HKEY_LOCAL_MACHINE, "HKLM",
     "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
     "ClearPageFileAtShutdown", "REG_DWORD 0x1", "REG_DWORD 0x0"},
    {ui::kCbAdminAcctWelcomeScreen, HKEY_LOCAL_MACHINE, "HKLM", kUserList, "Administrator",
     "REG_DWORD 0x1", "REG_DWORD 0x0"},
    {ui::kCbDisplayCurrentAccountOnWelcomeScreen, HKEY_LOCAL_MACHINE, "HKLM", kUserList, nullptr,
     "REG_DWORD 0x1", "REG_DWORD 0x0"},
    {ui::kCbKeepRASOpen, HKEY_LOCAL_MACHINE, "HKLM",
     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "KeepRasConnections", "REG_SZ 1",
     "REG_SZ 0"},
    {ui::kCbLowSpaceChecks, HKEY_CURRENT_USER, "HKCU",
     "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoLowDiskSpaceChecks",
     "REG_DWORD 0x1", "REG_DWORD 0x0"},
};
constexpr std::size_t kCount = sizeof kSettings / sizeof kSettings[0];
enum Index { kNumLock, kEncrypt, kWizard, kPageFile, kAdmin, kCurrent, kKeepRas, kLowSpace };

constexpr const char* kConfirmCaption = "Display Current Account On Welcome Screen";
constexpr const char* kConfirmText =
    "Changing this setting will remove the current user's name from the Windows XP Welcome "
    "Screen.  See help for  more information.  Are you sure you want to make this change?";

std::string LogonName() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

// A message box's text: its static control 0xFFFF, in Windows and in Wine.
std::string MessageText(HWND box) {
    return TextOf(GetDlgItem(box, 0xFFFF));
}

// One run of the program, from the staged copy; closed at the end.
class Dovrane {
  public:
    explicit Dovrane(const StagedDovrane& staged)
        : process_(StartDovrane(staged.exe())),
          main_(WaitForWindow(process_.id(), "frmKestrow", "Dovrane")) {}
    Dovrane(const Dovrane&) = delete;
    Dovrane& operator=(const Dovrane&) = delete;
    ~Dovrane() {
        if (main_ != nullptr) PostMessageA(main_, WM_CLOSE, 0, 0);
        process_.WaitExit(seconds(10));  // the Process ends it otherwise
    }

    bool up() const { return main_ != nullptr; }
    int Checked(int box) const {
        return SendMessageA(FindChildById(main_, box), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    std::vector<int> Boxes() const {
        std::vector<int> values;
        for (const Setting& s : kSettings) values.push_back(Checked(s.box));
        return values;
    }
    // A real click on a box or a button of the window.
    void Click(int id) const {
        Activate(main_);
        wine_test::Click(FindChildById(main_, id));
    }
    // Clicks a box and waits until its handler has run: a box only answers
    // BM_GETCHECK once the program is back in a message loop.
    bool Toggle(int box) const {
        const int wanted = 1 - Checked(box);
        Click(box);
        return WaitFor([&] { return Checked(box) == wanted; }, seconds(10));
    }
    // A message box of the program with this caption, once it is up.
    HWND WaitForMessageBox(const char* caption) const {
        return WaitForWindow(process_.id(), "#32770", caption, seconds(10));
    }
    bool NoMessageBox() const {
        return WaitForWindow(process_.id(), "#32770", nullptr, {}) == nullptr;
    }

  private:
    Process process_;
    HWND main_;
};

class TweaksEndToEnd : public ::testing::Test {
  protected:
    TweaksEndToEnd() : user_(LogonName()), staged_("tweaks") {
        for (const Setting& s : kSettings)
            borrowed_.push_back(std::make_unique<BorrowedValue>(s.root, s.path, NameOf(s)));
    }

    std::string NameOf(const Setting& s) const { return s.name != nullptr ? s.name : user_; }
    BorrowedValue& Value(Index i) { return *borrowed_[i]; }

    // What reg query shows for a setting: "REG_DWORD 0x1", or "" when there is
    // no value.
    std::string Stored(Index i) const {
        const Setting& s = kSettings[i];
        RegLine line;
        if (!RegQuery(std::string(s.rootName) + "\\" + s.path, NameOf(s), &line)) return "";
        return line.type + " " + line.data;
    }
    std::vector<std::string> AllStored() const {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < kCount; ++i) all.push_back(Stored(Index(i)));
        return all;
    }
    // Every setting off, stored as the program stores it.
    void SeedAllOff() {
        ASSERT_TRUE(Value(kNumLock).SetSz("0"));
        Value(kEncrypt).Delete();
        ASSERT_TRUE(Value(kWizard).SetDword(1));
        for (Index i : {kPageFile, kAdmin, kCurrent, kLowSpace}) ASSERT_TRUE(Value(i).SetDword(0));
        ASSERT_TRUE(Value(kKeepRas).SetSz("0"));
    }
    // Answers the current-account question with a click, after checking it.
    void Answer(const Dovrane& app, int button) {
        HWND box = app.WaitForMessageBox(kConfirmCaption);
        ASSERT_NE(box, nullptr) << "no question";
        EXPECT_EQ(MessageText(box), kConfirmText);
        for (int id : {IDYES, IDNO, IDHELP}) EXPECT_NE(GetDlgItem(box, id), nullptr) << id;
        EXPECT_TRUE(ClickMessageBoxButton(box, button));
    }

    std::string user_;
    StagedDovrane staged_;
    std::vector<std::unique_ptr<BorrowedValue>> borrowed_;
};

std::vector<int> All(int value) {
    return std::vector<int>(kCount, value);
}
std::vector<std::string> Column(const char* Setting::*state) {
    std::vector<std::string> column;
    for (const Setting& s : kSettings) column.push_back(s.*state);
    return column;
}

TEST_F(TweaksEndToEnd, EveryBoxSwitchesItsSettingFromAClickAndTheNextStartShowsIt) {
    ASSERT_FALSE(user_.empty());
    SeedAllOff();
    {
        Dovrane app(staged_);
        ASSERT_TRUE(app.up());
        EXPECT_EQ(app.Boxes(), All(0));
        for (const Setting& s : kSettings) EXPECT_TRUE(app.Toggle(s.box)) << s.box;
        EXPECT_EQ(AllStored(), Column(&Setting::on));
        EXPECT_TRUE(app.NoMessageBox());
    }
    {
        Dovrane app(staged_);
        ASSERT_TRUE(app.up());
        EXPECT_EQ(app.Boxes(), All(1));
        for (const Setting& s : kSettings) {
            if (s.box == ui::kCbDisplayCurrentAccountOnWelcomeScreen) {
                app.Click(s.box);
                Answer(app, IDYES);
            } else {
                EXPECT_TRUE(app.Toggle(s.box)) << s.box;
            }
        }
        EXPECT_EQ(app.Boxes(), All(0));
        EXPECT_EQ(AllStored(), Column(&Setting::off));
    }
    Dovrane app(staged_);
    ASSERT_TRUE(app.up());
    EXPECT_EQ(app.Boxes(), All(0));
}

TEST_F(TweaksEndToEnd, TheBoxesShowTheSeededValuesAndTheLoadRewritesWhatReadsOn) {
    ASSERT_TRUE(Value(kNumLock).SetSz("3"));   // NumLock bit set: on, kept as it is
    ASSERT_TRUE(Value(kEncrypt).SetDword(3));  // odd: on, written back as 1
    ASSERT_TRUE(Value(kWizard).SetDword(2));   // the wizard runs only for 0: off
    ASSERT_TRUE(Value(kPageFile).SetSz("1"));  // a number as text: on, written back as a DWORD
    ASSERT_TRUE(Value(kAdmin).SetDword(2));    // even: off, left alone
    Value(kCurrent).Delete();                  // no value: the account is shown
    ASSERT_TRUE(Value(kKeepRas).SetSz("0"));   // off
    ASSERT_TRUE(Value(kLowSpace).Set(REG_EXPAND_SZ, {'1', 0}));  // unreadable type: off

    Dovrane app(staged_);
    ASSERT_TRUE(app.up());
    EXPECT_EQ(app.Boxes(), (std::vector<int>{1, 1, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(AllStored(), (std::vector<std::string>{
                               "REG_SZ 3", "REG_DWORD 0x1", "REG_DWORD 0x2", "REG_DWORD 0x1",
                               "REG_DWORD 0x2", "REG_DWORD 0x1", "REG_SZ 0", "REG_EXPAND_SZ 1"}));
    EXPECT_TRUE(app.NoMessageBox());
}

TEST_F(TweaksEndToEnd, UncheckingTheCurrentAccountAsksNoKeepsItShownAndYesHidesIt) {
    ASSERT_TRUE(Value(kCurrent).SetDword(1));
    {
        Dovrane app(staged_);
        ASSERT_TRUE(app.up());
        ASSERT_EQ(app.Checked(ui::kCbDisplayCurrentAccountOnWelcomeScreen), 1);

        app.Click(ui::kCbDisplayCurrentAccountOnWelcomeScreen);
        Answer(app, IDNO);
        EXPECT_EQ(app.Checked(ui::kCbDisplayCurrentAccountOnWelcomeScreen), 1);
        EXPECT_EQ(Stored(kCurrent), "REG_DWORD 0x1");

        app.Click(ui::kCbDisplayCurrentAccountOnWelcomeScreen);
        Answer(app, IDYES);
        EXPECT_TRUE(
            WaitFor([&] { return app.Checked(ui::kCbDisplayCurrentAccountOnWelcomeScreen) == 0; }));
        EXPECT_EQ(Stored(kCurrent), "REG_DWORD 0x0");
        EXPECT_TRUE(app.NoMessageBox());
    }
    Dovrane app(staged_);
    ASSERT_TRUE(app.up());
    EXPECT_EQ(app.Checked(ui::kCbDisplayCurrentAccountOnWelcomeScreen), 0);
}

TEST_F(TweaksEndToEnd, SelectAllAndSelectNoneWriteExactlyTheSettingsThatChange) {
    SeedAllOff();
    for (Index i : {kPageFile, kAdmin, kCurrent}) ASSERT_TRUE(Value(i).SetDword(1));
    ASSERT_TRUE(Value(kKeepRas).SetSz("1"));
    Dovrane app(staged_);
    ASSERT_TRUE(app.up());
    ASSERT_EQ(app.Boxes(), (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 0}));
    // The boxes already checked now hold an "on" that the program would
    // store otherwise, so that a write shows.
    for (Index i : {kPageFile, kAdmin, kCurrent}) ASSERT_TRUE(Value(i).SetDword(3));
    ASSERT_TRUE(Value(kKeepRas).SetSz("3"));

    app.Click(ui::kCmdTwksSelectAll);
    EXPECT_TRUE(WaitFor([&] { return app.Boxes() == All(1); }, seconds(10)));
    EXPECT_EQ(AllStored(), (std::vector<std::string>{
                               "REG_SZ 2", "REG_DWORD 0x1", "REG_DWORD 0x0", "REG_DWORD 0x3",
                               "REG_DWORD 0x3", "REG_DWORD 0x3", "REG_SZ 3", "REG_DWORD 0x1"}));

    // Two boxes cleared by hand, their "off" then stored another way.
    ASSERT_TRUE(app.Toggle(ui::kCbNumLock));
    ASSERT_TRUE(app.Toggle(ui::kCbLowSpaceChecks));
    ASSERT_TRUE(Value(kNumLock).SetDword(0));
    ASSERT_TRUE(Value(kLowSpace).SetDword(2));

    app.Click(ui::kCmdTwksSelectNone);
    Answer(app, IDYES);
    EXPECT_TRUE(WaitFor([&] { return app.Boxes() == All(0); }, seconds(10)));
    EXPECT_EQ(AllStored(), (std::vector<std::string>{
                               "REG_DWORD 0x0", "", "REG_DWORD 0x1", "REG_DWORD 0x0",
                               "REG_DWORD 0x0", "REG_DWORD 0x0", "REG_SZ 0", "REG_DWORD 0x2"}));
    EXPECT_TRUE(app.NoMessageBox());
}

TEST_F(TweaksEndToEnd, StartingCreatesNoKeyAndATickCreatesOnlyItsOwn) {
    if (RegKeyExists(HKEY_LOCAL_MACHINE, kSpecialAccounts))
        GTEST_SKIP() << "this prefix has " << kSpecialAccounts << " already";
    Dovrane app(staged_);
    ASSERT_TRUE(app.up());
    // The account is shown while it has no value, and the load leaves it so.
    EXPECT_EQ(app.Checked(ui::kCbDisplayCurrentAccountOnWelcomeScreen), 1);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kSpecialAccounts));

    ASSERT_TRUE(app.Toggle(ui::kCbAdminAcctWelcomeScreen));
    EXPECT_EQ(Stored(kAdmin), "REG_DWORD 0x1");
    EXPECT_EQ(Stored(kCurrent), "");
    // The value in its key, and nothing else made on the way.
    EXPECT_EQ(RegValuesAndSubkeys(HKEY_LOCAL_MACHINE, kUserList), std::make_pair(1ul, 0ul));
    EXPECT_EQ(RegValuesAndSubkeys(HKEY_LOCAL_MACHINE, kSpecialAccounts), std::make_pair(0ul, 1ul));
    EXPECT_TRUE(app.NoMessageBox());
}

// Wine runs its user as an administrator and grants every right whatever a
// key's security says, so a write refused for lack of rights cannot be made
// here (the host tests cover it). A write that really fails can: Windows, and
// Wine, refuse to make a lasting key under a volatile one.
TEST_F(TweaksEndToEnd, AKeyThatCannotBeCreatedShowsItsMessageAndTheTrueState) {
    if (RegKeyExists(HKEY_LOCAL_MACHINE, kSpecialAccounts))
        GTEST_SKIP() << "this prefix has " << kSpecialAccounts << " already";
    {
        // Closed at once; the borrowed values delete the key at the end.
        win32::Key key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSpecialAccounts, 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
    }
    win32::Key child;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUserList, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, child.put(), nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);

    Dovrane app(staged_);
    ASSERT_TRUE(app.up());
    EXPECT_TRUE(app.NoMessageBox());
    const struct {
        int box;
        const char* caption;
        int shown;  // what the registry holds, so what the box goes back to
    } cases[] = {
        {ui::kCbAdminAcctWelcomeScreen, "Display Adminstrator Account on Welcome Screen", 0},
        {ui::kCbDisplayCurrentAccountOnWelcomeScreen, "Display Current Account on Welcome Screen",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        ASSERT_EQ(app.Checked(c.box), c.shown);
        app.Click(c.box);
        if (c.box == ui::kCbDisplayCurrentAccountOnWelcomeScreen) Answer(app, IDYES);
        HWND box = app.WaitForMessageBox("Dovrane");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), std::string("This setting could not be changed:\n\n") +
                                        c.caption +
                                        " - its registry key could not be created.\n\n"
                                        "The boxes show the settings as Windows holds them now.");
        EXPECT_TRUE(ClickMessageBoxButton(box, IDOK));
        EXPECT_EQ(app.Checked(c.box), c.shown);
    }
    EXPECT_EQ(Stored(kAdmin), "");
    EXPECT_EQ(Stored(kCurrent), "");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUserList));
    EXPECT_TRUE(app.NoMessageBox());
}

}  // namespace
