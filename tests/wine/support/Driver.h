// Drives the real Dovrane.exe under Wine as a user would: starts it, finds
// its windows, clicks and types through real input, reads the registry back
// on its own.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

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
    HANDLE handle() const { return handle_; }
    bool Running() const;
    // Waits for the process to end; true when it did within the time.
    bool WaitExit(std::chrono::milliseconds timeout);
    DWORD ExitCode() const;
    void Kill();

  private:
    HANDLE handle_ = nullptr;
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
