#include "wine/support/Driver.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace wine_test {

std::string WindowsPath(const std::string& unixPath) {
    std::string out = "Z:";
    for (char c : unixPath) out += (c == '/') ? '\\' : c;
    return out;
}

std::string DovraneExe() {
    const char* exe = std::getenv("DOVRANE_EXE");
    if (!exe || !*exe) throw std::runtime_error("DOVRANE_EXE is not set");
    std::string path = exe;
    return path[0] == '/' ? WindowsPath(path) : path;
}

Process::Process(PROCESS_INFORMATION pi) : handle_(pi.hProcess), id_(pi.dwProcessId) {
    if (pi.hThread) CloseHandle(pi.hThread);
}

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
    other.handle_ = nullptr;
    other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        if (handle_) CloseHandle(handle_);
        handle_ = other.handle_;
        id_ = other.id_;
        other.handle_ = nullptr;
        other.id_ = 0;
    }
    return *this;
}

Process::~Process() {
    Kill();
    if (handle_) CloseHandle(handle_);
}

bool Process::Running() const {
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(std::chrono::milliseconds timeout) {
    return handle_ &&
           WaitForSingleObject(handle_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (handle_) GetExitCodeProcess(handle_, &code);
    return code;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(handle_, 1);
        WaitForSingleObject(handle_, 5000);
    }
}

Process Start(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        throw std::runtime_error("cannot start: " + commandLine);
    }
    return Process(pi);
}

Process StartDovrane(const std::string& exe) {
    std::string folder = exe.substr(0, exe.find_last_of('\\'));
    return Start("\"" + exe + "\"", folder);
}

std::string RunAndRead(const std::string& commandLine, DWORD* exitCode) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) throw std::runtime_error("CreatePipe");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;
    BOOL ok = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    if (ok) {
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
        WaitForSingleObject(pi.hProcess, INFINITE);
        if (exitCode) GetExitCodeProcess(pi.hProcess, exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    if (!ok) throw std::runtime_error("cannot run: " + commandLine);
    return out;
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

namespace {
struct TopSearch {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD processId, bool visibleOnly) {
    TopSearch s{processId, visibleOnly, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string ClassOf(HWND hwnd) {
    char buf[256] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

std::string TextOf(HWND hwnd) {
    int n = static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::string s(static_cast<size_t>(n) + 1, '\0');
    SendMessageA(hwnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(std::char_traits<char>::length(s.c_str()));
    return s;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* caption,
                   std::chrono::milliseconds timeout) {
    HWND hit = nullptr;
    WaitFor(
        [&] {
            for (HWND w : TopWindows(processId)) {
                if (className && ClassOf(w) != className) continue;
                if (caption && TextOf(w) != caption) continue;
                hit = w;
                return true;
            }
            return false;
        },
        timeout);
    return hit;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND FindChildByText(HWND parent, const std::string& text, const char* className) {
    for (HWND w : Children(parent)) {
        if (className && ClassOf(w) != className) continue;
        if (TextOf(w) == text) return w;
    }
    return nullptr;
}

HWND FindChildById(HWND parent, int id) {
    for (HWND w : Children(parent))
        if (GetDlgCtrlID(w) == id) return w;
    return nullptr;
}

void Activate(HWND top) {
    SetForegroundWindow(top);
    SetActiveWindow(top);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

void ClickAt(HWND hwnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (auto& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = static_cast<LONG>((p.x * 65535.0) / (sw - 1));
        i.mi.dy = static_cast<LONG>((p.y * 65535.0) / (sh - 1));
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in[0], sizeof(INPUT));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SendInput(2, &in[1], sizeof(INPUT));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

void Click(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    ClickAt(hwnd, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
}

void PressKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

SIZE ClientSize(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool RegQuery(const std::string& key, const std::string& value, RegLine* out) {
    DWORD code = 1;
    std::string text = RunAndRead("reg query \"" + key + "\" /v \"" + value + "\"", &code);
    if (code != 0) return false;
    // Lines look like "    name    REG_SZ    data".
    size_t at = text.find("REG_");
    if (at == std::string::npos) return false;
    size_t typeEnd = text.find_first_of(" \t", at);
    RegLine line;
    line.type = text.substr(at, typeEnd - at);
    size_t dataAt = text.find_first_not_of(" \t", typeEnd);
    size_t dataEnd = text.find_first_of("\r\n", dataAt);
    if (dataAt != std::string::npos && dataAt < dataEnd)
        line.data = text.substr(dataAt, dataEnd - dataAt);
    if (out) *out = line;
    return true;
}

void RegAdd(const std::string& key, const std::string& value, const std::string& type,
            const std::string& data) {
    RunAndRead("reg add \"" + key + "\" /v \"" + value + "\" /t " + type + " /d \"" + data +
               "\" /f");
}

void RegDeleteKey(const std::string& key) {
    RunAndRead("reg delete \"" + key + "\" /f");
}

void RegDeleteValue(const std::string& key, const std::string& value) {
    RunAndRead("reg delete \"" + key + "\" /v \"" + value + "\" /f");
}

}  // namespace wine_test
