// The About box as a window of this test program, driven from a second
// thread while its modal loop runs: texts, layout, the keys that close it,
// and the start of System Information from Wine's real registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "ui/LayoutWin32.h"
#include "ui/frmAbout.h"
#include "ui/frmAboutWin32.h"
#include "ui/frmKestrow.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::milliseconds;

int Px(int twips) {
    return ui::TwipsToPixels(twips, ui::ScreenDpi());
}

HWND FindBox(const char* caption, int ms = 10000) {
    return WaitForWindow(GetCurrentProcessId(), "#32770", caption, milliseconds(ms));
}

// Shows the About box here and runs `drive` on another thread while it is
// up. Whatever `drive` leaves open is closed, so that this always returns.
void WithAboutBox(const std::function<void(HWND)>& drive) {
    std::thread driver([&] {
        HWND box = FindBox("About Dovrane");
        if (box) {
            Activate(box);
            drive(box);
        }
        WaitFor([] { return FindBox(nullptr, 0) == nullptr; }, milliseconds(3000));
        for (HWND w : TopWindows(GetCurrentProcessId())) PostMessageA(w, WM_CLOSE, 0, 0);
    });
    ui::frmAbout().Show(nullptr);
    driver.join();
}

void EndProcessOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (const win32::Handle p{OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)}) {
        TerminateProcess(p.get(), 0);
        WaitForSingleObject(p.get(), 5000);
    }
}

TEST(AboutBox, ShowsItsTextsInTheDesignedPlaces) {
    std::string caption, version, title, support, ad, sysInfo, ok;
    SIZE client = {};
    RECT okRect = {};
    LONG okStyle = 0;
    bool okHasFocus = false;
    HWND afterOk = nullptr, sysInfoButton = nullptr;
    COLORREF grey = 0, white = 0;
    WithAboutBox([&](HWND box) {
        caption = TextOf(box);
        version = TextOf(GetDlgItem(box, ui::kAboutLblVersion));
        title = TextOf(GetDlgItem(box, ui::kAboutLblTitle));
        support = TextOf(GetDlgItem(box, ui::kAboutLabel1));
        ad = TextOf(GetDlgItem(box, ui::kAboutLabel2));
        sysInfoButton = GetDlgItem(box, ui::kAboutCmdSysInfo);
        sysInfo = TextOf(sysInfoButton);
        HWND okButton = GetDlgItem(box, ui::kAboutCmdOK);
        ok = TextOf(okButton);
        okStyle = GetWindowLongA(okButton, GWL_STYLE) & 0x0F;
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
        okHasFocus = gui.hwndFocus == okButton;
        afterOk = GetNextDlgTabItem(box, okButton, FALSE);
        client = ClientSize(box);
        GetWindowRect(okButton, &okRect);
        MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&okRect), 2);
        const win32::WindowDc dc(box);
        grey = GetPixel(dc.get(), Px(2000), Px(2640));
        white = GetPixel(dc.get(), Px(2000), Px(2640) + 1);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(caption, "About Dovrane");
    EXPECT_EQ(version, "Version 1.0.0");
    EXPECT_EQ(title, "Dovrane");
    EXPECT_EQ(support, "Support: " DOVRANE_SUPPORT_MAIL);
    EXPECT_EQ(ad, "Dovrane is Ad Supported. Banner Ad are download from your internet connection.");
    EXPECT_EQ(ok, "OK");
    EXPECT_EQ(sysInfo, "&System Info...");
    EXPECT_EQ(okStyle, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(okHasFocus);
    EXPECT_EQ(afterOk, sysInfoButton);  // "OK" first in the tab order
    EXPECT_EQ(client.cx, Px(ui::kAboutWidthTwips));
    EXPECT_EQ(client.cy, Px(ui::kAboutHeightTwips));
    EXPECT_EQ(okRect.left, Px(4245));
    EXPECT_EQ(okRect.top, Px(2865));
    EXPECT_EQ(grey, RGB(128, 128, 128));
    EXPECT_EQ(white, RGB(255, 255, 255));
}

TEST(AboutBox, EscEnterAndOkCloseIt) {
    for (int way = 0; way < 3; ++way) {
        bool closed = false;
        WithAboutBox([&](HWND box) {
            if (way == 0) PressKey(VK_ESCAPE);
            if (way == 1) PressKey(VK_RETURN);
            if (way == 2) Click(GetDlgItem(box, ui::kAboutCmdOK));
            closed = WaitFor([box] { return !IsWindow(box); }, milliseconds(3000));
        });
        EXPECT_TRUE(closed) << way;
    }
}

TEST(AboutBox, IsLoadedAfreshOnEveryShowing) {
    std::string second;
    WithAboutBox([](HWND box) {
        SetWindowTextA(box, "changed");
        SetDlgItemTextA(box, ui::kAboutLblVersion, "changed");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    WithAboutBox([&](HWND box) {
        second = TextOf(GetDlgItem(box, ui::kAboutLblVersion));
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(second, "Version 1.0.0");
}

// The two registry locations of System Information, set up per case and
// removed afterwards.
class SysInfo : public testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override {
        Clear();
        if (!folder.empty()) {
            DeleteFileA((folder + "\\MSINFO32.EXE").c_str());
            RemoveDirectoryA(folder.c_str());
        }
    }
    static void Clear() {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ui::kMsinfoKey);
        RegDeleteValueA(HKEY_LOCAL_MACHINE, ui::kSharedToolsLocationKey);
        win32::Key key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ui::kSharedToolsLocationKey, 0, KEY_SET_VALUE,
                          key.put()) == ERROR_SUCCESS) {
            RegDeleteValueA(key.get(), "MSINFO");
        }
    }
    static void Put(const char* keyPath, const char* name, const std::string& text, DWORD size) {
        win32::Key key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       size);
    }
    static void PutText(const char* keyPath, const char* name, const std::string& text) {
        Put(keyPath, name, text, static_cast<DWORD>(text.size() + 1));
    }
    // A folder holding a copy of Notepad named MSINFO32.EXE.
    void MakeMsinfoFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "dovrane-msinfo";
        CreateDirectoryA(folder.c_str(), nullptr);
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        ASSERT_TRUE(CopyFileA((std::string(windows) + "\\notepad.exe").c_str(),
                              (folder + "\\MSINFO32.EXE").c_str(), FALSE));
    }
    // Presses "System Info" and reports what came of it.
    struct Outcome {
        bool started = false;
        std::string message;
        bool aboutStillOpen = false;
    };
    // byKeyboard: Tab to the button, then Enter, which then presses it
    // rather than "OK".
    Outcome PressSysInfo(bool byKeyboard = false) {
        Outcome out;
        const std::vector<HWND> before = ForeignWindows();
        WithAboutBox([&](HWND box) {
            if (byKeyboard) {
                PressKey(VK_TAB);
                PressKey(VK_RETURN);
            } else {
                Click(GetDlgItem(box, ui::kAboutCmdSysInfo));
            }
            HWND started = nullptr;
            HWND message = nullptr;
            WaitFor(
                [&] {
                    message = FindBox("Dovrane", 0);
                    started = message ? nullptr : NewForeignWindow(before);
                    return message || started;
                },
                milliseconds(10000));
            if (started) {
                out.started = true;
                EndProcessOf(started);
            }
            if (message) {
                if (FindChildByText(message, ui::kSysInfoUnavailable))
                    out.message = ui::kSysInfoUnavailable;
                PostMessageA(message, WM_COMMAND, IDOK, 0);
                WaitFor([message] { return !IsWindow(message); }, milliseconds(3000));
            }
            out.aboutStillOpen = IsWindow(box) != FALSE;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        return out;
    }
    // Visible top-level windows of other processes: a started program shows
    // up among them (Wine runs a copy of a builtin program as the builtin its
    // file is named after, so the window class says nothing).
    static std::vector<HWND> ForeignWindows() {
        std::vector<HWND> all;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != GetCurrentProcessId() && IsWindowVisible(w)) all.push_back(w);
        }
        return all;
    }
    static HWND NewForeignWindow(const std::vector<HWND>& before) {
        for (HWND w : ForeignWindows())
            if (std::find(before.begin(), before.end(), w) == before.end()) return w;
        return nullptr;
    }
    std::string folder;
};

TEST_F(SysInfo, PathValueNamingAProgramStartsIt) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    PutText(ui::kMsinfoKey, "PATH", std::string(windows) + "\\notepad.exe");
    const Outcome out = PressSysInfo();
    EXPECT_TRUE(out.started);
    EXPECT_EQ(out.message, "");
    EXPECT_TRUE(out.aboutStillOpen);
}

TEST_F(SysInfo, FolderValueStartsMsinfo32OnlyWhenItIsThere) {
    MakeMsinfoFolder();
    PutText(ui::kSharedToolsLocationKey, "MSINFO", folder);
    Outcome out = PressSysInfo();
    EXPECT_TRUE(out.started);

    DeleteFileA((folder + "\\MSINFO32.EXE").c_str());
    out = PressSysInfo();
    EXPECT_FALSE(out.started);
    EXPECT_EQ(out.message, ui::kSysInfoUnavailable);
    EXPECT_TRUE(out.aboutStillOpen);
}

TEST_F(SysInfo, NeitherLocationTellsTheUser) {
    const Outcome out = PressSysInfo();
    EXPECT_FALSE(out.started);
    EXPECT_EQ(out.message, ui::kSysInfoUnavailable);
    EXPECT_TRUE(out.aboutStillOpen);
}

TEST_F(SysInfo, EnterOnTheFocusedButtonPressesIt) {
    const Outcome out = PressSysInfo(true);
    EXPECT_EQ(out.message, ui::kSysInfoUnavailable);
    EXPECT_TRUE(out.aboutStillOpen);
}

TEST_F(SysInfo, EmptyPathValueFailsWithoutFault) {
    // Found, of length 0: the second location is not consulted.
    MakeMsinfoFolder();
    PutText(ui::kSharedToolsLocationKey, "MSINFO", folder);
    Put(ui::kMsinfoKey, "PATH", "", 0);
    const Outcome out = PressSysInfo();
    EXPECT_FALSE(out.started);
    EXPECT_EQ(out.message, ui::kSysInfoUnavailable);
}

}  // namespace
