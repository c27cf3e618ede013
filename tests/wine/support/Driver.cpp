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
    win32::Handle thread(pi.hThread);
}

Process::Process(Process&& other) noexcept
    : handle_(std::move(other.handle_)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        handle_ = std::move(other.handle_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process::~Process() {
    Kill();
}

bool Process::Running() const {
    return handle_ && WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(std::chrono::milliseconds timeout) {
    return handle_ &&
           WaitForSingleObject(handle_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (handle_) GetExitCodeProcess(handle_.get(), &code);
    return code;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(handle_.get(), 1);
        WaitForSingleObject(handle_.get(), 5000);
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
    win32::Handle readEnd;
    win32::Handle writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) throw std::runtime_error("CreatePipe");
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;
    BOOL ok = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &si, &pi);
    // Our end of the writing side goes, so that reading ends with the child.
    writeEnd.reset();
    std::string out;
    if (ok) {
        win32::Handle process(pi.hProcess);
        win32::Handle thread(pi.hThread);
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(readEnd.get(), buf, sizeof buf, &got, nullptr) && got > 0)
            out.append(buf, got);
        WaitForSingleObject(process.get(), INFINITE);
        if (exitCode) GetExitCodeProcess(process.get(), exitCode);
    }
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
    // The button events carry the position too: under a virtual desktop Wine
    // may otherwise deliver them where the pointer was before the move.
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
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

// --- Controls of another process ---
namespace wine_test {

LRESULT SendWithBuffer(HWND hwnd, UINT msg, WPARAM wp, void* data, std::size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId())
        return SendMessageA(hwnd, msg, wp, reinterpret_cast<LPARAM>(data));
    const win32::Handle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) throw std::runtime_error("OpenProcess");
    void* remote = VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    LRESULT result = 0;
    if (remote) {
        WriteProcessMemory(process.get(), remote, data, size, nullptr);
        result = SendMessageA(hwnd, msg, wp, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process.get(), remote, data, size, nullptr);
        VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    }
    if (!remote) throw std::runtime_error("VirtualAllocEx");
    return result;
}

RECT TabItemRect(HWND tabControl, int index) {
    RECT r = {};
    SendWithBuffer(tabControl, 0x130A /* TCM_GETITEMRECT */, index, &r, sizeof r);
    return r;
}

std::vector<std::string> ListBoxTexts(HWND list) {
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        // Asked in UTF-16: Wine brings an ANSI LB_GETTEXT back from another
        // process as UTF-16 too, and overruns a buffer sized in bytes.
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length == LB_ERR) {
            texts.emplace_back();
            continue;
        }
        std::wstring wide(static_cast<std::size_t>(length) * 2 + 2, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
        wide.resize(std::char_traits<wchar_t>::length(wide.c_str()));
        std::string text(wide.size() * 2, '\0');
        text.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                        &text[0], static_cast<int>(text.size()), nullptr, nullptr));
        texts.push_back(text);
    }
    return texts;
}

int ListBoxIndexOf(HWND list, const std::string& text) {
    const std::vector<std::string> texts = ListBoxTexts(list);
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return -1;
}

RECT ListBoxItemRect(HWND list, int index) {
    RECT r = {};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}

bool ClickMessageBoxButton(HWND box, int buttonId, std::chrono::milliseconds timeout) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    Activate(box);
    Click(button);
    return WaitFor([box] { return !IsWindow(box); }, timeout);
}

}  // namespace wine_test

namespace wine_test {

namespace {
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

const char kAppDefaults[] = "HKCU\\Software\\Wine\\AppDefaults\\Dovrane.exe";
}  // namespace

StagedDovrane::StagedDovrane(const std::string& tag) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "dovrane-" + tag + "-" + std::to_string(GetCurrentProcessId());
    RemoveTree(folder_);
    if (!CreateDirectoryA(folder_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + folder_);
    if (!CopyFileA(DovraneExe().c_str(), exe().c_str(), FALSE))
        throw std::runtime_error("cannot copy " + DovraneExe() + " to " + folder_);
}

StagedDovrane::~StagedDovrane() {
    RemoveTree(folder_);
}

bool StagedDovrane::Add(const std::string& from, const std::string& name) {
    return CopyFileA(from.c_str(), (folder_ + "\\" + name).c_str(), FALSE) != FALSE;
}

DovraneWinVersion::DovraneWinVersion(const std::string& version) {
    RegLine line;
    had_ = RegQuery(kAppDefaults, "Version", &line);
    previous_ = line.data;
    RegAdd(kAppDefaults, "Version", "REG_SZ", version);
}

DovraneWinVersion::~DovraneWinVersion() {
    if (had_)
        RegAdd(kAppDefaults, "Version", "REG_SZ", previous_);
    else
        RegDeleteValue(kAppDefaults, "Version");
}

const std::map<int, std::string>& HelpTopicTitles() {
    static const std::map<int, std::string> titles = {
        {1, "The Dovrane window"},
        {2, "Enable NumLock @ Startup"},
        {3, "Add Encrypt Item to Context Menu"},
        {4, "Enable Desktop Cleanup Wizard"},
        {5, "Enable Clear Page File @ Shutdown"},
        {6, "Tweaks: Select All"},
        {7, "Tweaks: Select None"},
        {8, "The Run List"},
        {9, "Run List: Select All"},
        {10, "Run List: Select None"},
        {11, "Run List: Apply"},
        {12, "Display Administrator Account on Welcome Screen"},
        {13, "Keep Dial-Up Internet Connections Open During Fast User Switch"},
        {14, "Disable Low Space Warnings"},
        {15, "Display Current Account on Welcome Screen"},
        {17, "The banner"},
        {18, "Edit: Undo"},
        {19, "Edit: Restore Backup"},
        {20, "Edit: Open Backup Folder"},
        {21, "Backups"},
        {22, "File: Import Settings"},
        {23, "File: Export Settings"},
    };
    return titles;
}

std::string BuiltHelpFile(std::string* reason) {
    std::string path;
    if (const char* env = std::getenv("DOVRANE_HLP"); env && *env) {
        path = env;
    } else if (const char* src = std::getenv("DOVRANE_SOURCE_DIR"); src && *src) {
        path = std::string(src) + "/build/host/help/DOVRANE.HLP";
    } else {
        *reason = "neither DOVRANE_HLP nor DOVRANE_SOURCE_DIR is set";
        return "";
    }
    std::string windows = path[0] == '/' ? WindowsPath(path) : path;
    if (GetFileAttributesA(windows.c_str()) == INVALID_FILE_ATTRIBUTES) {
        *reason = path + " does not exist: build the host preset first (it compiles the help)";
        return "";
    }
    return windows;
}

std::string HelpViewerTitle() {
    HWND viewer = FindWindowA("MS_WINHELP", nullptr);
    if (!viewer) return "";
    for (HWND child : Children(viewer)) {
        if (ClassOf(child).find("RichEdit") == std::string::npos) continue;
        std::string text = TextOf(child);
        return text.substr(0, text.find_first_of("\r\n"));
    }
    return "";
}

void CloseHelpViewers() {
    for (int round = 0; round < 3; ++round) {
        HWND viewer = FindWindowA("MS_WINHELP", nullptr);
        if (!viewer) return;
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        WaitFor([] { return FindWindowA("MS_WINHELP", nullptr) == nullptr; },
                std::chrono::seconds(5));
    }
}

void PressChord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD vk : keys) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        in.push_back(i);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

HWND FocusOf(HWND top) {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui)) return nullptr;
    return gui.hwndFocus;
}

RECT PlacementIn(HWND hwnd, HWND parent) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, parent ? parent : GetParent(hwnd), reinterpret_cast<POINT*>(&r),
                    2);
    return r;
}

}  // namespace wine_test

// --- Registry values a test borrows ---
#include "conformance/WineScratch.h"

namespace wine_test {

bool RegKeyExists(HKEY root, const std::string& path) {
    win32::Key key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    return true;
}

std::pair<DWORD, DWORD> RegValuesAndSubkeys(HKEY root, const std::string& path) {
    win32::Key key;
    DWORD values = 0, subkeys = 0;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {0, 0};
    RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                     nullptr, nullptr, nullptr, nullptr);
    return {values, subkeys};
}

std::optional<RawValue> RegRead(HKEY root, const std::string& path, const std::string& name) {
    win32::Key key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, value.data.data(),
                                  &size);
        value.data.resize(size);
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

BorrowedValue::BorrowedValue(HKEY root, std::string path, std::string name)
    : root_(root), path_(std::move(path)), name_(std::move(name)) {
    for (std::size_t end = 0; end != std::string::npos;) {
        end = path_.find('\\', end + 1);
        const std::string upTo = path_.substr(0, end);
        if (!RegKeyExists(root_, upTo)) {
            firstMissing_ = upTo;
            return;
        }
    }
    saved_ = RegRead(root_, path_, name_);
}

BorrowedValue::~BorrowedValue() {
    if (!firstMissing_.empty()) {
        conformance::DeleteTree(root_, firstMissing_);
        return;
    }
    win32::Key key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    if (saved_)
        RegSetValueExA(key.get(), name_.c_str(), 0, saved_->type, saved_->data.data(),
                       static_cast<DWORD>(saved_->data.size()));
    else
        RegDeleteValueA(key.get(), name_.c_str());
}

bool BorrowedValue::Set(DWORD type, const std::vector<BYTE>& data) {
    win32::Key key;
    if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExA(key.get(), name_.c_str(), 0, type, data.data(),
                                       static_cast<DWORD>(data.size()));
    return status == ERROR_SUCCESS;
}

bool BorrowedValue::SetSz(const std::string& text) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    return Set(REG_SZ, data);
}

bool BorrowedValue::SetDword(DWORD number) {
    return Set(REG_DWORD,
               {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)});
}

void BorrowedValue::Delete() {
    win32::Key key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    RegDeleteValueA(key.get(), name_.c_str());
}

bool PutCurrentUserSz(const char* key, const std::string& name, const std::string& text) {
    win32::Key handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, handle.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(handle.get(), name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
    return status == ERROR_SUCCESS;
}

}  // namespace wine_test
