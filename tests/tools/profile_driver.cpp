// Drives Dovrane.exe for tests/wine/profile_e2e_test.sh, in the throw-away
// prefixes that test makes.
//
//   profile_driver click PROGRAM
//     Starts PROGRAM (a copy of Dovrane.exe), clicks every box a settings
//     profile carries (all but the current account's) with real input, waits
//     until each has turned, and closes the window.
//   profile_driver box PROGRAM ARGS...
//     Starts PROGRAM with ARGS, waits for its message box, prints
//       box: <its text, on one line>
//     clicks OK and prints
//       exit: <exit status>
//   profile_driver read
//     Prints the seven values a profile carries, one a line:
//       <value name> <type> <data bytes in hex> | <value name> -
//   Exit status 0 when all of that could be done, 2 when not (why on stderr).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "ui/ControlIds.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::seconds;

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

int ClickAll(const std::string& program) {
    Process dovrane = StartDovrane(program);
    HWND main = WaitForWindow(dovrane.id(), "frmKestrow", "Dovrane");
    if (!main) Fail("the main window did not come up");
    for (int id : {ui::kCbNumLock, ui::kCbEncryptOnContextMenu, ui::kCbDesktopWizard,
                   ui::kCbClearPageFileAtShutdown, ui::kCbAdminAcctWelcomeScreen,
                   ui::kCbKeepRASOpen, ui::kCbLowSpaceChecks}) {
        HWND box = FindChildById(main, id);
        const LRESULT before = SendMessageA(box, BM_GETCHECK, 0, 0);
        Activate(main);
        Click(box);
        if (!WaitFor([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) != before; }, seconds(10)))
            Fail("box " + std::to_string(id) + " did not turn");
    }
    if (HWND box = WaitForWindow(dovrane.id(), "#32770", nullptr, {}))
        Fail("a message box came up: " + TextOf(GetDlgItem(box, 0xFFFF)));
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (!dovrane.WaitExit(seconds(15))) Fail("the program did not end");
    return 0;
}

int Read() {
    const struct {
        HKEY root;
        const char* path;
        const char* name;
    } values[] = {
        {HKEY_USERS, ".DEFAULT\\Control Panel\\Keyboard", "InitialKeyboardIndicators"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
         "EncryptionContextMenu"},
        {HKEY_CURRENT_USER,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz", "NoRun"},
        {HKEY_LOCAL_MACHINE,
         "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
         "ClearPageFileAtShutdown"},
        {HKEY_LOCAL_MACHINE,
         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList",
         "Administrator"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
         "KeepRasConnections"},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
         "NoLowDiskSpaceChecks"},
    };
    for (const auto& v : values) {
        const std::optional<RawValue> value = RegRead(v.root, v.path, v.name);
        if (!value) {
            std::printf("%s -\n", v.name);
            continue;
        }
        std::string hex;
        char byte[4];
        for (BYTE b : value->data) {
            std::snprintf(byte, sizeof byte, "%02x", b);
            hex += byte;
        }
        std::printf("%s %lu %s\n", v.name, static_cast<unsigned long>(value->type), hex.c_str());
    }
    return 0;
}

int AnswerBox(const std::string& commandLine) {
    Process dovrane = Start(commandLine);
    // Generous: four Wine tests side by side on two cores start a program slowly.
    HWND box = WaitForWindow(dovrane.id(), "#32770", "Dovrane", seconds(60));
    if (!box)
        Fail(dovrane.Running() ? "no message box; the program still runs"
                               : "no message box; the program ended with status " +
                                     std::to_string(dovrane.ExitCode()));
    std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    std::printf("box: %s\n", text.c_str());
    std::fflush(stdout);
    if (!ClickMessageBoxButton(box, IDOK)) Fail("the box did not close");
    if (!dovrane.WaitExit(seconds(15))) Fail("the program did not end");
    std::printf("exit: %lu\n", static_cast<unsigned long>(dovrane.ExitCode()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "click" && argc == 3) return ClickAll(argv[2]);
        if (mode == "read" && argc == 2) return Read();
        if (mode == "box" && argc >= 3) {
            std::string commandLine;
            for (int i = 2; i < argc; ++i)
                commandLine += (i > 2 ? " \"" : "\"") + std::string(argv[i]) + "\"";
            return AnswerBox(commandLine);
        }
        std::fprintf(stderr,
                     "usage: profile_driver click PROGRAM\n"
                     "       profile_driver box PROGRAM ARGS...\n"
                     "       profile_driver read\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "profile_driver: %s\n", e.what());
    }
    return 2;
}
