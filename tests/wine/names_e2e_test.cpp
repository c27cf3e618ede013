// Names outside the ANSI code page, through the real Dovrane.exe: a Run
// history entry in Greek is shown as itself and Apply deletes exactly its
// value (not the "a" its ANSI spelling would name), and the program started
// from a folder named in Cyrillic writes its banner there and shows its help
// on F1. The tables behind both are tested on the host; these prove the
// wiring to the wide calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "banner_test_server.h"
#include "ui/frmKestrow.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::milliseconds;

const wchar_t kRunMru[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::wstring kGreekName = L"\u03b1";  // alpha: "a" in the ANSI code page
const std::wstring kGreekCommand = L"\u03c0\u03b1\u03c1\u03ac\u03b4\u03b5\u03b9\u03b3\u03bc\u03b1";

bool PutRunMru(const std::wstring& name, const std::wstring& command) {
    win32::Key key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunMru, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring data = command + L"\\1";
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The command stored under `name`, or "<missing>".
std::wstring RunMruCommand(const std::wstring& name) {
    win32::Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunMru, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return L"<missing>";
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

// The list's entries as the wide list box holds them.
std::vector<std::wstring> WideTexts(HWND list) {
    std::vector<std::wstring> texts;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                          L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]))));
        texts.push_back(text);
    }
    return texts;
}

TEST(ExactNames, ARunListEntryInGreekIsShownAndDeletedByItsOwnName) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kRunMru);
    ASSERT_TRUE(PutRunMru(kGreekName, kGreekCommand));
    ASSERT_TRUE(PutRunMru(L"a", L"notepad"));
    StagedDovrane copy{"names-runlist"};
    Process dovrane = StartDovrane(copy.exe());
    HWND main = WaitForWindow(dovrane.id(), "frmKestrow", "Dovrane");
    ASSERT_NE(main, nullptr);
    HWND list = FindChildById(main, ui::kLstRunMRU);
    HWND tabs = FindChildById(main, ui::kSSTab1);
    Activate(main);
    const RECT tab = TabItemRect(tabs, 1);
    ClickAt(tabs, (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) != FALSE; }, milliseconds(5000)));

    const std::vector<std::wstring> shown = WideTexts(list);
    ASSERT_EQ(shown.size(), 2u);
    const auto greek = std::find(shown.begin(), shown.end(), kGreekCommand);
    ASSERT_NE(greek, shown.end()) << "the Greek command is not shown as itself";
    const RECT item = ListBoxItemRect(list, static_cast<int>(greek - shown.begin()));
    ClickAt(list, item.left + 8, (item.top + item.bottom) / 2);  // its check box
    Click(FindChildById(main, ui::kCmdMRUApply));
    HWND box = WaitForWindow(dovrane.id(), "#32770", "Dovrane", milliseconds(10000));
    ASSERT_NE(box, nullptr) << "no restart question";
    ASSERT_TRUE(ClickMessageBoxButton(box, IDNO));

    EXPECT_EQ(RunMruCommand(kGreekName), L"<missing>");
    EXPECT_EQ(RunMruCommand(L"a"), L"notepad\\1");
    EXPECT_EQ(WideTexts(list), std::vector<std::wstring>{L"notepad"});
    PostMessageA(main, WM_CLOSE, 0, 0);
    dovrane.WaitExit(milliseconds(10000));
    RegDeleteKeyW(HKEY_CURRENT_USER, kRunMru);
}

std::string ReadWholeFile(const std::wstring& path) {
    const win32::File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (file && ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

std::wstring Widen(const std::string& ansi) {
    std::wstring wide(ansi.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &wide[0], wide.size())));
    return wide;
}

// The program alone with its help file in %TEMP%\Программы-<pid>\Dovrane,
// removed with everything in it at the end.
class CyrillicFolder {
  public:
    CyrillicFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        top_ = std::wstring(temp) + L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b-" +
               std::to_wstring(GetCurrentProcessId());
        folder_ = top_ + L"\\Dovrane";
        CreateDirectoryW(top_.c_str(), nullptr);
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~CyrillicFolder() {
        WIN32_FIND_DATAW found;
        const HANDLE h = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(h, &found));
            FindClose(h);
        }
        RemoveDirectoryW(folder_.c_str());
        RemoveDirectoryW(top_.c_str());
    }
    const std::wstring& folder() const { return folder_; }

  private:
    std::wstring top_, folder_;
};

TEST(ExactNames, FromAFolderNamedInCyrillicTheBannerIsWrittenThereAndF1ShowsHelp) {
    std::string reason;
    const std::string help = BuiltHelpFile(&reason);
    if (help.empty()) GTEST_SKIP() << reason;
    CloseHelpViewers();
    CyrillicFolder place;
    const std::wstring exe = place.folder() + L"\\Dovrane.exe";
    ASSERT_TRUE(CopyFileW(Widen(DovraneExe()).c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Widen(help).c_str(), (place.folder() + L"\\DOVRANE.HLP").c_str(), FALSE));
    const std::string gif = ReadWholeFile(
        Widen(WindowsPath(DOVRANE_SOURCE_DIR) + "\\server\\www\\dovrane\\banner.gif"));
    ASSERT_GT(gif.size(), 100u);

    banner_test::ProgramPortLease lease;
    banner_test::TestServer server(lease.port());
    server.On("/dovrane/dovrane.php",
              banner_test::Ok(std::string(DOVRANE_SERVER) + "/dovrane/banner.gif\n" +
                              DOVRANE_SERVER + "/dovrane\nbanner.gif\n"));
    server.On("/dovrane/banner.gif", banner_test::Ok(gif, "image/gif"));

    // Started with the Windows folder as its working folder: only the
    // program's own folder, exactly, holds the help file.
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               windows, &si, &pi));
    Process dovrane(pi);
    HWND main = WaitForWindow(dovrane.id(), "frmKestrow", nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ReadWholeFile(place.folder() + L"\\banner.gif"), gif);

    Activate(main);
    PressKey(VK_F1);
    const HWND focus = FocusOf(main);
    const int topic =
        focus && focus != main ? ui::HelpTopicFor(GetDlgCtrlID(focus)) : ui::kWindowHelpTopic;
    const std::string expected = HelpTopicTitles().at(topic);
    std::string shown;
    WaitFor(
        [&] {
            shown = HelpViewerTitle();
            return shown == expected;
        },
        std::chrono::seconds(20));
    EXPECT_EQ(shown, expected);
    PostMessageA(main, WM_CLOSE, 0, 0);
    dovrane.WaitExit(milliseconds(15000));
    CloseHelpViewers();
}

}  // namespace
