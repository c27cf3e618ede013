// The Windows XP gate of the real Dovrane.exe: Wine reports another Windows
// version to it alone (its AppDefaults key) and we watch, from before its
// first instruction, every window it creates and every one that is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using namespace std::chrono_literals;

// What one run of the program did with windows.
struct Watch {
    DWORD pid = 0;
    std::set<HWND> created;                // every window it created
    std::set<std::string> createdClasses;  // of those still there when we looked
    int boxesCreated = 0;                  // dialog windows (message boxes)
    std::vector<HWND> shown;               // top-level windows seen visible, in order
};

Watch* g_watch = nullptr;  // the hook callback has no context pointer

void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG, DWORD, DWORD) {
    if (!g_watch || object != OBJID_WINDOW || !hwnd) return;
    if (!g_watch->created.insert(hwnd).second) return;
    // Delivered after the fact: a window already gone has no class left.
    const std::string cls = ClassOf(hwnd);
    if (!cls.empty()) g_watch->createdClasses.insert(cls);
    if (cls == "#32770") ++g_watch->boxesCreated;
}

// Runs the program's messages to us and records what it shows, for `time` or
// until `until` holds.
void Observe(Watch& w, std::chrono::milliseconds time, const std::function<bool()>& until = {}) {
    const auto end = std::chrono::steady_clock::now() + time;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        for (HWND top : TopWindows(w.pid))
            if (std::find(w.shown.begin(), w.shown.end(), top) == w.shown.end())
                w.shown.push_back(top);
        if (until && until()) return;
        Sleep(2);
    } while (std::chrono::steady_clock::now() < end);
}

// Starts the staged program suspended, so that the window hook is in place
// before it runs.
Process StartWatched(const StagedDovrane& staged, Watch& w, HWINEVENTHOOK* hook) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + staged.exe() + "\"";
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        staged.folder().c_str(), &si, &pi))
        throw std::runtime_error("cannot start " + staged.exe());
    w.pid = pi.dwProcessId;
    g_watch = &w;
    *hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnCreate,
                            pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(pi.hThread);
    return Process(pi);
}

// The system icon (IDI_*) an icon control shows, by its pixels on screen;
// nullptr when none of them matches.
const char* ShownSystemIcon(HWND iconControl) {
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    POINT at = {0, 0};
    ClientToScreen(iconControl, &at);
    const win32::WindowDc screen(nullptr);
    std::vector<COLORREF> shown;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) shown.push_back(GetPixel(screen.get(), at.x + x, at.y + y));
    const win32::MemoryDc memory(screen.get());
    const HDC mem = memory.get();
    const win32::Bitmap bmp(CreateCompatibleBitmap(screen.get(), cx, cy));
    const win32::Selection selected(mem, bmp.get());

    struct Candidate {
        const char* name;
        LPCSTR id;
    };
    const Candidate candidates[] = {{"IDI_EXCLAMATION", IDI_EXCLAMATION},
                                    {"IDI_HAND", IDI_HAND},
                                    {"IDI_QUESTION", IDI_QUESTION},
                                    {"IDI_ASTERISK", IDI_ASTERISK},
                                    {"IDI_APPLICATION", IDI_APPLICATION}};
    const char* best = nullptr;
    size_t bestMisses = shown.size() / 20 + 1;  // up to 5% of the pixels may differ
    for (const Candidate& c : candidates) {
        // Drawn on the background the control shows in its top-left corner,
        // which every system icon leaves transparent.
        const win32::Brush face(CreateSolidBrush(shown[0]));
        RECT all = {0, 0, cx, cy};
        FillRect(mem, &all, face.get());
        DrawIconEx(mem, 0, 0, LoadIconA(nullptr, c.id), cx, cy, 0, nullptr, DI_NORMAL);
        size_t misses = 0;
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x)
                if (GetPixel(mem, x, y) != shown[static_cast<size_t>(y * cx + x)]) ++misses;
        if (misses < bestMisses) {
            best = c.name;
            bestMisses = misses;
        }
    }
    return best;
}

class OsGate : public testing::TestWithParam<const char*> {};

// Every version but XP: one warning box, nothing else, and the program ends
// when the user closes the box.
class Refused : public OsGate {};

TEST_P(Refused, OneWarningBoxThenTheProgramEnds) {
    DovraneWinVersion version(GetParam());
    StagedDovrane staged(std::string("gate-") + GetParam());
    Watch w;
    HWINEVENTHOOK hook = nullptr;
    Process dovrane = StartWatched(staged, w, &hook);

    HWND box = nullptr;
    Observe(w, 30s, [&] {
        box = WaitForWindow(w.pid, "#32770", nullptr, 0ms);
        return box != nullptr;
    });
    ASSERT_NE(box, nullptr) << "no message box came up";
    // Give a second box or a window time to show up, should one follow.
    Observe(w, 1500ms);

    EXPECT_EQ(TextOf(box), "Dovrane");
    std::vector<HWND> texts, buttons, icons;
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child)) continue;
        const std::string cls = ClassOf(child);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (cls == "Button") buttons.push_back(child);
        if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON) icons.push_back(child);
        if (cls == "Static" && (style & SS_TYPEMASK) != SS_ICON && !TextOf(child).empty())
            texts.push_back(child);
    }
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(TextOf(texts[0]), "Windows XP is required to run this software.");
    ASSERT_EQ(buttons.size(), 1u) << "OK only";
    EXPECT_EQ(GetDlgCtrlID(buttons[0]), IDOK);
    EXPECT_EQ(TextOf(buttons[0]), "OK");
    ASSERT_EQ(icons.size(), 1u);
    const char* icon = ShownSystemIcon(icons[0]);
    EXPECT_STREQ(icon ? icon : "no system icon", "IDI_EXCLAMATION");

    Activate(box);
    Click(buttons[0]);
    Observe(w, 15s, [&] { return !dovrane.Running(); });
    UnhookWinEvent(hook);
    g_watch = nullptr;

    EXPECT_FALSE(dovrane.Running()) << "the program went on after the box was closed";
    EXPECT_EQ(dovrane.ExitCode(), 0u);
    EXPECT_EQ(w.shown, std::vector<HWND>{box}) << "something besides the box was shown";
    EXPECT_EQ(w.boxesCreated, 1);
    EXPECT_TRUE(w.created.count(box)) << "the window hook saw nothing: the check is blind";
    for (const char* cls : {"frmKestrow", "frmSplash"})
        EXPECT_EQ(w.createdClasses.count(cls), 0u) << cls << " was created";
}

// Windows 2000 is named and refused; Windows 7 and 10 have no name at all;
// Windows 98 is of the other platform.
std::string VersionName(const testing::TestParamInfo<const char*>& info) {
    return info.param;
}

INSTANTIATE_TEST_SUITE_P(OtherWindows, Refused, testing::Values("win2k", "win7", "win10", "win98"),
                         VersionName);

// XP, and the 5.2 version that carries the same name, open the main window
// with no box.
class Admitted : public OsGate {};

TEST_P(Admitted, MainWindowOpensWithoutAWarning) {
    DovraneWinVersion version(GetParam());
    StagedDovrane staged(std::string("gate-") + GetParam());
    Watch w;
    HWINEVENTHOOK hook = nullptr;
    Process dovrane = StartWatched(staged, w, &hook);
    HWND main = nullptr;
    Observe(w, 30s, [&] {
        main = WaitForWindow(w.pid, "frmKestrow", "Dovrane", 0ms);
        return main != nullptr;
    });
    UnhookWinEvent(hook);
    g_watch = nullptr;
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(w.boxesCreated, 0);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(dovrane.WaitExit(15s)) << "closing the main window did not end the program";
}

INSTANTIATE_TEST_SUITE_P(WindowsXP, Admitted, testing::Values("winxp", "win2003"), VersionName);

}  // namespace
