// Drives the Run List's restart to its end, for tests/wine/runlist_restart_test.sh.
// Meant for a Wine prefix of its own: answering Yes ends the session of
// every program in the prefix.
//
//   runlist_restart_driver restart PROGRAM UNCHECK MARK WAIT_MS BYSTANDER...
//     Starts BYSTANDER (a command line) and waits for its window, starts
//     PROGRAM (a copy of Dovrane.exe), and leaves a RunOnce entry that
//     records MARK under HKCU\Software\DovraneRestartCheck when Wine's
//     restart runs it. Then, with real input: opens the Run List tab,
//     unchecks the entry UNCHECK with its check box, presses Apply and
//     answers Yes. Waits up to WAIT_MS for both programs to end and prints
//       program: ended <exit code> | running
//       bystander: ended <exit code> | running
//     Exit status 0 when all of that could be done, 2 when not (and why on
//     stderr). Whatever still runs at the end is ended.
//
//   runlist_restart_driver unsaved MARKER
//     A window with unsaved work: it refuses to let the session end and
//     appends "asked" (WM_QUERYENDSESSION) and "ended <0|1>" (WM_ENDSESSION)
//     to MARKER. It closes by itself after two minutes.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ui/frmKestrow.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::milliseconds;

const char kQuestion[] =
    "The system must be restarted before the changes will take effect. Do you wish to restart "
    "now?";

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

void Report(const char* who, Process& process) {
    if (process.Running()) {
        std::printf("%s: running\n", who);
    } else {
        std::printf("%s: ended %lu\n", who, static_cast<unsigned long>(process.ExitCode()));
    }
}

int Restart(const std::string& program, const std::string& uncheck, const std::string& mark,
            int waitMs, const std::string& bystanderCommand) {
    Process bystander = Start(bystanderCommand);
    if (!WaitFor([&] { return !TopWindows(bystander.id()).empty(); }, milliseconds(30000)))
        Fail("the bystander shows no window");

    Process dovrane = StartDovrane(program);
    HWND main = WaitForWindow(dovrane.id(), "frmKestrow", "Dovrane");
    if (!main) Fail("the main window did not come up");
    // Only a restart runs this, now that the prefix is up.
    RegAdd("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "DovraneRestartCheck",
           "REG_SZ", "reg add HKCU\\Software\\DovraneRestartCheck /v " + mark + " /d 1 /f");

    Activate(main);
    HWND tab = FindChildById(main, ui::kSSTab1);
    HWND list = FindChildById(main, ui::kLstRunMRU);
    const RECT runList = TabItemRect(tab, 1);
    ClickAt(tab, (runList.left + runList.right) / 2, (runList.top + runList.bottom) / 2);
    if (!WaitFor([&] { return IsWindowVisible(list) != FALSE; }, milliseconds(5000)))
        Fail("the Run List tab did not open");
    const int index = ListBoxIndexOf(list, uncheck);
    if (index < 0) Fail("no entry " + uncheck);
    const RECT item = ListBoxItemRect(list, index);
    ClickAt(list, item.left + 8, (item.top + item.bottom) / 2);  // its check box

    Click(FindChildById(main, ui::kCmdMRUApply));
    HWND box = WaitForWindow(dovrane.id(), "#32770", "Dovrane", milliseconds(10000));
    if (!box || !FindChildByText(box, kQuestion)) Fail("no restart question");
    Activate(box);
    Click(GetDlgItem(box, IDYES));

    WaitFor([&] { return !dovrane.Running() && !bystander.Running(); }, milliseconds(waitMs));
    Report("program", dovrane);
    Report("bystander", bystander);
    return 0;
}

// Appends a line to the marker file named in the window's user data.
void Note(HWND hwnd, const std::string& line) {
    const auto* marker =
        reinterpret_cast<const std::string*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (marker) std::ofstream(*marker, std::ios::app) << line << "\n";
}

LRESULT CALLBACK UnsavedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCCREATE:
            SetWindowLongPtrA(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
            break;
        case WM_QUERYENDSESSION:
            Note(hwnd, "asked");
            return FALSE;  // the user has not saved yet
        case WM_ENDSESSION:
            Note(hwnd, std::string("ended ") + (wp ? "1" : "0"));
            return 0;
        case WM_TIMER:
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int Unsaved(const std::string& marker) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = UnsavedProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "DovraneUnsavedWork";
    RegisterClassA(&wc);
    HWND hwnd =
        CreateWindowA(wc.lpszClassName, "Unsaved work", WS_OVERLAPPEDWINDOW, 600, 400, 240, 120,
                      nullptr, nullptr, wc.hInstance, const_cast<std::string*>(&marker));
    if (!hwnd) return 2;
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SetTimer(hwnd, 1, 120000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "restart" && argc >= 7) {
            std::string bystander;
            for (int i = 6; i < argc; ++i)
                bystander += (i > 6 ? " \"" : "\"") + std::string(argv[i]) + "\"";
            return Restart(argv[2], argv[3], argv[4], std::stoi(argv[5]), bystander);
        }
        if (mode == "unsaved" && argc == 3) return Unsaved(argv[2]);
        std::fprintf(stderr,
                     "usage: runlist_restart_driver restart PROGRAM UNCHECK MARK WAIT_MS "
                     "BYSTANDER...\n       runlist_restart_driver unsaved MARKER\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "runlist_restart_driver: %s\n", e.what());
    }
    return 2;
}
