// Drives the real Dovrane.exe under Wine as a user would: starts it, finds
// its windows, clicks and types through real input, reads the registry back
// on its own.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win32/Handles.h"

namespace wine_test {

// The Windows path of the built Dovrane.exe (from $DOVRANE_EXE).
std::string DovraneExe();
// A Unix path as Wine's Z: drive sees it.
std::string WindowsPath(const std::string& unixPath);

// Owns a process handle and ends the process if it is still running.
class Process {
  public:
    Process() = default;
    explicit Process(PROCESS_INFORMATION pi);
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD id() const { return id_; }
    HANDLE handle() const { return handle_.get(); }
    bool Running() const;
    // Waits for the process to end; true when it did within the time.
    bool WaitExit(std::chrono::milliseconds timeout);
    DWORD ExitCode() const;
    void Kill();

  private:
    win32::Handle handle_;
    DWORD id_ = 0;
};

// Starts a program with a command line; `folder` is its working folder.
Process Start(const std::string& commandLine, const std::string& folder = "");
// Starts Dovrane.exe from a copy of the program folder, or from the build.
Process StartDovrane(const std::string& exe = DovraneExe());

// Runs a command to its end and returns what it printed (stdout).
std::string RunAndRead(const std::string& commandLine, DWORD* exitCode = nullptr);

// Polls until pred() holds or the time runs out.
bool WaitFor(const std::function<bool()>& pred,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Top-level visible windows of a process.
std::vector<HWND> TopWindows(DWORD processId, bool visibleOnly = true);
// The first visible top-level window of the process with this class name
// (nullptr = any) and caption (nullptr = any), waiting for it to appear.
HWND WaitForWindow(DWORD processId, const char* className, const char* caption,
                   std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
// A descendant window with this exact text (and class, when given).
HWND FindChildByText(HWND parent, const std::string& text, const char* className = nullptr);
// A descendant window with this control id.
HWND FindChildById(HWND parent, int id);
std::vector<HWND> Children(HWND parent);

// Real mouse input at the centre of a window (or at a client point).
void ClickAt(HWND hwnd, int x, int y);
void Click(HWND hwnd);
// Real key input: a virtual key pressed and released.
void PressKey(WORD vk);
// Brings a top-level window to the front so that input reaches it.
void Activate(HWND top);

// The client rectangle's size in pixels.
SIZE ClientSize(HWND hwnd);

// `reg query` of one value: the printed type and data, or "" when missing.
struct RegLine {
    std::string type;
    std::string data;
};
bool RegQuery(const std::string& key, const std::string& value, RegLine* out);
void RegAdd(const std::string& key, const std::string& value, const std::string& type,
            const std::string& data);
void RegDeleteKey(const std::string& key);
void RegDeleteValue(const std::string& key, const std::string& value);

}  // namespace wine_test

// --- Controls of another process (the real Dovrane.exe) ---
namespace wine_test {

// Sends a message whose lParam points at `size` bytes to a window of another
// process. The common controls do not carry such pointers across processes
// as user32 does for its own controls: the bytes are copied into the
// window's process for the call and back afterwards.
LRESULT SendWithBuffer(HWND hwnd, UINT msg, WPARAM wp, void* data, std::size_t size);
// A tab's rectangle, in the tab control's client coordinates.
RECT TabItemRect(HWND tabControl, int index);
// Every entry of a list box, as LB_GETTEXT gives it.
std::vector<std::string> ListBoxTexts(HWND list);
// The index of the list box entry with this text, -1 when there is none.
int ListBoxIndexOf(HWND list, const std::string& text);
// A list box entry's rectangle (LB_GETITEMRECT), in the list's client coordinates.
RECT ListBoxItemRect(HWND list, int index);
// Clicks a message box's button (IDYES, IDNO, IDOK...) with the mouse; true
// when the box is gone afterwards.
bool ClickMessageBoxButton(HWND box, int buttonId,
                           std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace wine_test

namespace wine_test {

// A copy of Dovrane.exe alone in a fresh folder under %TEMP% (the program
// writes its banner beside itself), removed with everything in it at the end.
class StagedDovrane {
  public:
    explicit StagedDovrane(const std::string& tag);
    StagedDovrane(const StagedDovrane&) = delete;
    StagedDovrane& operator=(const StagedDovrane&) = delete;
    ~StagedDovrane();

    const std::string& folder() const { return folder_; }
    std::string exe() const { return folder_ + "\\Dovrane.exe"; }
    // Copies a file (Windows path) into the folder under `name`.
    bool Add(const std::string& from, const std::string& name);

  private:
    std::string folder_;
};

// The Windows version Wine reports to Dovrane.exe alone ("winxp", "win2k",
// "win7", ...), through its AppDefaults key; put back as found at the end.
class DovraneWinVersion {
  public:
    explicit DovraneWinVersion(const std::string& version);
    DovraneWinVersion(const DovraneWinVersion&) = delete;
    DovraneWinVersion& operator=(const DovraneWinVersion&) = delete;
    ~DovraneWinVersion();

  private:
    bool had_ = false;
    std::string previous_;
};

// The compiled DOVRANE.HLP as a Windows path: $DOVRANE_HLP, else
// build/host/help/DOVRANE.HLP under $DOVRANE_SOURCE_DIR. "" with the reason
// when there is none.
std::string BuiltHelpFile(std::string* reason);

// The title the help file gives each numbered topic, and its contents page's.
const std::map<int, std::string>& HelpTopicTitles();
inline constexpr const char kHelpContentsTitle[] = "Dovrane Help";

// The text of the help viewer's topic on show: the first line of its rich
// edit child; "" when no viewer or no text is up.
std::string HelpViewerTitle();
// Closes every help viewer window and waits until they are gone.
void CloseHelpViewers();

// Real key input of a chord: every key pressed in order, released in reverse.
void PressChord(std::initializer_list<WORD> keys);

// The window that has the keyboard focus in the thread that owns `top`.
HWND FocusOf(HWND top);

// A rectangle in the client coordinates of `parent` (a window's own parent
// when none is given).
RECT PlacementIn(HWND hwnd, HWND parent = nullptr);

}  // namespace wine_test

// --- Registry values a test borrows ---
#include <optional>

namespace wine_test {

// True when root\path exists.
bool RegKeyExists(HKEY root, const std::string& path);

// How many values and subkeys root\path holds ({0, 0} when it is missing).
std::pair<DWORD, DWORD> RegValuesAndSubkeys(HKEY root, const std::string& path);

// A value's type and bytes, as RegQueryValueExA gives them.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
// The value root\path\name, or nothing when the key or the value is missing.
std::optional<RawValue> RegRead(HKEY root, const std::string& path, const std::string& name);

// One registry value that a test (or the program it drives) may change, put
// back as it was found when the borrow ends: its type and bytes restored, or
// the value deleted when there was none. When keys of its path were missing,
// the first missing one is deleted instead, with everything made under it.
class BorrowedValue {
  public:
    BorrowedValue(HKEY root, std::string path, std::string name);
    BorrowedValue(const BorrowedValue&) = delete;
    BorrowedValue& operator=(const BorrowedValue&) = delete;
    ~BorrowedValue();

    // The first key of the path that was missing; "" when the path was there.
    const std::string& firstMissing() const { return firstMissing_; }
    // Stores the value, making the path when it is missing; false on failure.
    bool Set(DWORD type, const std::vector<BYTE>& data);
    bool SetSz(const std::string& text);  // the text and its NUL
    bool SetDword(DWORD number);
    // Removes the value, if there is one.
    void Delete();
    std::optional<RawValue> Now() const { return RegRead(root_, path_, name_); }
    bool KeyThere() const { return RegKeyExists(root_, path_); }

  private:
    HKEY root_;
    std::string path_;
    std::string name_;
    std::string firstMissing_;
    std::optional<RawValue> saved_;
};

// Stores a REG_SZ value (with its terminating zero) under HKEY_CURRENT_USER,
// creating the key when needed. False when the key cannot be opened.
bool PutCurrentUserSz(const char* key, const std::string& name, const std::string& text);

}  // namespace wine_test
