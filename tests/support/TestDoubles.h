// One stand-in per seam, for every test: a registry that records the calls
// made through it (the in-memory registry is the registry's backend for
// tests), a chosen logon name, message boxes that answer from a script, and a
// restart that only records; the files' is MemoryFiles.h. The registry and
// the message boxes can append to one event log, so a test can see writes
// and questions in the order they happened.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "registry/AnsiCodePage.h"
#include "registry/RegistryApi.h"
#include "settings/UserName.h"
#include "shell/Prompter.h"
#include "system/ShutdownApi.h"

namespace testing_doubles {

using Log = std::vector<std::string>;

// Forwards to another backend and logs each call as one line:
//   open <path> <access>   create <name> <access>   close
//   set <name>=<data>      delete <name>
// with " -> <code>" appended when the call failed. Data is shown as
// sz:"text" (a NUL as \0), dword:<n> for four bytes, or hex.
class RecordingRegistry final : public reg::RegistryApi {
  public:
    RecordingRegistry(reg::RegistryApi& inner, Log& log) : inner_(inner), log_(log) {}

    reg::Status RegOpenKeyExA(reg::Key key, const char* subKey, std::uint32_t options,
                              std::uint32_t sam, reg::Key* result) override {
        return Note("open " + std::string(subKey ? subKey : "") + " " + Hex(sam),
                    inner_.RegOpenKeyExA(key, subKey, options, sam, result));
    }
    reg::Status RegCreateKeyExA(reg::Key key, const char* subKey, std::uint32_t reserved,
                                const char* keyClass, std::uint32_t options, std::uint32_t sam,
                                const void* sa, reg::Key* result,
                                std::uint32_t* disposition) override {
        const std::string line = "create " + std::string(subKey ? subKey : "") + " " + Hex(sam);
        if (createFails != reg::kSuccess) {
            if (result != nullptr) *result = reg::kNullKey;
            return Note(line, createFails);
        }
        return Note(line, inner_.RegCreateKeyExA(key, subKey, reserved, keyClass, options, sam, sa,
                                                 result, disposition));
    }
    reg::Status RegQueryValueExA(reg::Key key, const char* name, std::uint32_t* reserved,
                                 std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) override {
        return inner_.RegQueryValueExA(key, name, reserved, type, data, size);
    }
    reg::Status RegSetValueExA(reg::Key key, const char* name, std::uint32_t reserved,
                               std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) override {
        return Note("set " + std::string(name ? name : "") + "=" + Show(type, data, size),
                    inner_.RegSetValueExA(key, name, reserved, type, data, size));
    }
    reg::Status RegDeleteValueA(reg::Key key, const char* name) override {
        return Note("delete " + std::string(name ? name : ""), inner_.RegDeleteValueA(key, name));
    }
    reg::Status RegEnumValueA(reg::Key key, std::uint32_t index, char* name,
                              std::uint32_t* nameSize, std::uint32_t* reserved, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override {
        return inner_.RegEnumValueA(key, index, name, nameSize, reserved, type, data, size);
    }
    reg::Status RegCloseKey(reg::Key key) override {
        return Note("close", inner_.RegCloseKey(key));
    }

    // The wide calls log as the ANSI ones, names shown as an ANSI caller sees them.
    reg::Status RegOpenKeyExW(reg::Key key, const char16_t* subKey, std::uint32_t options,
                              std::uint32_t sam, reg::Key* result) override {
        return Note("open " + Narrow(subKey) + " " + Hex(sam),
                    inner_.RegOpenKeyExW(key, subKey, options, sam, result));
    }
    reg::Status RegCreateKeyExW(reg::Key key, const char16_t* subKey, std::uint32_t reserved,
                                const char16_t* keyClass, std::uint32_t options, std::uint32_t sam,
                                const void* sa, reg::Key* result,
                                std::uint32_t* disposition) override {
        const std::string line = "create " + Narrow(subKey) + " " + Hex(sam);
        if (createFails != reg::kSuccess) {
            if (result != nullptr) *result = reg::kNullKey;
            return Note(line, createFails);
        }
        return Note(line, inner_.RegCreateKeyExW(key, subKey, reserved, keyClass, options, sam, sa,
                                                 result, disposition));
    }
    reg::Status RegQueryValueExW(reg::Key key, const char16_t* name, std::uint32_t* reserved,
                                 std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) override {
        return inner_.RegQueryValueExW(key, name, reserved, type, data, size);
    }
    reg::Status RegSetValueExW(reg::Key key, const char16_t* name, std::uint32_t reserved,
                               std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) override {
        return Note("set " + Narrow(name) + "=" + Show(type, data, size),
                    inner_.RegSetValueExW(key, name, reserved, type, data, size));
    }
    reg::Status RegDeleteValueW(reg::Key key, const char16_t* name) override {
        return Note("delete " + Narrow(name), inner_.RegDeleteValueW(key, name));
    }
    reg::Status RegEnumValueW(reg::Key key, std::uint32_t index, char16_t* name,
                              std::uint32_t* nameSize, std::uint32_t* reserved, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) override {
        return inner_.RegEnumValueW(key, index, name, nameSize, reserved, type, data, size);
    }
    reg::Status RegDeleteKeyW(reg::Key key, const char16_t* subKey) override {
        return Note("delete key " + Narrow(subKey), inner_.RegDeleteKeyW(key, subKey));
    }

    // Non-zero: every create fails with this code and makes nothing, as
    // Windows does for reasons other than rights (1021: a key under a
    // volatile one must be volatile too).
    reg::Status createFails = reg::kSuccess;

    static std::string Show(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
        if (type == reg::kRegSz) {
            std::string text = "sz:\"";
            for (std::uint32_t i = 0; i < size; ++i)
                text += data[i] == 0 ? std::string("\\0") : std::string(1, char(data[i]));
            return text + "\"";
        }
        if (type == reg::kRegDword && size == 4) {
            std::uint32_t n = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
            return "dword:" + std::to_string(static_cast<std::int32_t>(n));
        }
        std::string text = "type" + std::to_string(type) + ":";
        for (std::uint32_t i = 0; i < size; ++i) text += Hex(data[i]);
        return text;
    }

  private:
    static std::string Narrow(const char16_t* text) {
        return text != nullptr ? reg::ansi::FromWide(std::u16string(text)) : std::string();
    }
    static std::string Hex(std::uint32_t n) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(n));
        return buffer;
    }
    reg::Status Note(std::string line, reg::Status status) {
        if (status != reg::kSuccess) line += " -> " + std::to_string(status);
        log_.push_back(std::move(line));
        return status;
    }

    reg::RegistryApi& inner_;
    Log& log_;
};

// Gives a chosen name, or fails as GetUserNameW does when it cannot.
class FakeUserName final : public settings::UserNameApi {
  public:
    explicit FakeUserName(std::u16string name) : name_(std::move(name)) {}
    explicit FakeUserName(const std::string& name) : name_(reg::ansi::ToWide(name)) {}
    bool GetUserNameW(char16_t* buffer, std::uint32_t* size) override {
        ++calls;
        sizeOffered = *size;
        if (fail || name_.size() + 1 > *size) return false;
        std::copy(name_.c_str(), name_.c_str() + name_.size() + 1, buffer);
        *size = static_cast<std::uint32_t>(name_.size() + 1);
        return true;
    }
    bool fail = false;
    int calls = 0;
    std::uint32_t sizeOffered = 0;

  private:
    std::u16string name_;
};

// Records each message box and answers from a script, then with `answer`
// (No unless a test says otherwise). With a log, each box also adds
// "ask <caption>" to it, in order with the other stand-ins' lines.
class RecordingPrompter final : public shell::Prompter {
  public:
    struct Box {
        std::string text;
        unsigned style;
        std::string caption;
        unsigned helpContext;
    };
    RecordingPrompter() = default;
    explicit RecordingPrompter(Log& log) : log_(&log) {}
    int MsgBox(const std::string& text, unsigned style, const std::string& caption,
               unsigned helpContext) override {
        boxes.push_back({text, style, caption, helpContext});
        if (log_ != nullptr) log_->push_back("ask " + caption);
        if (answers.empty()) return answer;
        const int next = answers.front();
        answers.pop_front();
        return next;
    }
    // Each box as "text|style|caption".
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const Box& b : boxes)
            shown.push_back(b.text + "|" + std::to_string(b.style) + "|" + b.caption);
        return shown;
    }
    std::deque<int> answers;
    int answer = shell::kIdNo;
    std::vector<Box> boxes;

  private:
    Log* log_ = nullptr;
};

// Records every restart call with its arguments, in order, as one line each,
// and never restarts anything. It answers as Windows XP would, from the
// settings below; or, given the real calls, it makes every call but the
// reboot for real.
class RecordingShutdown final : public sys::ShutdownApi {
  public:
    RecordingShutdown() = default;
    explicit RecordingShutdown(sys::ShutdownApi& real) : real_(&real) {}

    std::uint32_t version = 0x0A280105;  // 5.1 build 2600: XP
    bool tokenOpens = true;
    bool lookupWorks = true;
    bool adjustWorks = true;
    bool exitWorks = true;

    std::vector<std::string> calls;
    sys::TokenPrivileges request;     // what AdjustTokenPrivileges was given
    std::vector<sys::Handle> opened;  // tokens opened
    std::vector<sys::Handle> closed;  // handles closed
    int restarts = 0;                 // reboots asked for

    static constexpr sys::Handle kProcess = static_cast<sys::Handle>(-1);
    static constexpr sys::Handle kToken = 0x7c;

    std::uint32_t GetVersion() override {
        calls.push_back("GetVersion");
        return real_ ? real_->GetVersion() : version;
    }
    sys::Handle GetCurrentProcess() override {
        calls.push_back("GetCurrentProcess");
        return real_ ? real_->GetCurrentProcess() : kProcess;
    }
    bool OpenProcessToken(sys::Handle process, std::uint32_t access, sys::Handle* token) override {
        calls.push_back(Format("OpenProcessToken(%s, 0x%x)", Name(process), access));
        bool ok = tokenOpens;
        if (real_) {
            ok = real_->OpenProcessToken(process, access, token);
        } else {
            *token = tokenOpens ? kToken : 0;
        }
        if (ok) opened.push_back(*token);
        return ok;
    }
    bool LookupPrivilegeValueA(const char* system, const char* name, sys::Luid* luid) override {
        calls.push_back(Format("LookupPrivilegeValueA(\"%s\", \"%s\")", system, name));
        if (real_) return real_->LookupPrivilegeValueA(system, name, luid);
        if (lookupWorks) *luid = sys::Luid{19, -2};
        return lookupWorks;
    }
    bool AdjustTokenPrivileges(sys::Handle token, bool disableAll,
                               const sys::TokenPrivileges* newState, std::uint32_t bufferLength,
                               sys::TokenPrivileges* previous,
                               std::uint32_t* returnLength) override {
        calls.push_back(Format("AdjustTokenPrivileges(%s, %d, %u, prev %s, len %s)", Name(token),
                               disableAll, bufferLength,
                               previous && previous != newState ? "yes" : "no",
                               returnLength ? "yes" : "no"));
        request = *newState;
        if (real_)
            return real_->AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previous,
                                                returnLength);
        return adjustWorks;
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
        calls.push_back(Format("ExitWindowsEx(0x%x, 0x%x)", flags, reserved));
        ++restarts;
        return exitWorks && !real_;
    }
    bool CloseHandle(sys::Handle handle) override {
        calls.push_back(Format("CloseHandle(%s)", Name(handle)));
        closed.push_back(handle);
        return real_ ? real_->CloseHandle(handle) : true;
    }

  private:
    const char* Name(sys::Handle h) const {
        if (h == kProcess) return "process";
        if (h == kToken || (!opened.empty() && h == opened.back())) return "token";
        return "other";
    }
    template <typename... Args>
    static std::string Format(const char* format, Args... args) {
        char buffer[200];
        std::snprintf(buffer, sizeof buffer, format, args...);
        return buffer;
    }

    sys::ShutdownApi* real_ = nullptr;
};

// The tests' clock: their backup file is "Dovrane 2026-12-07 090501.reg".
inline backup::LocalTime TestNow() {
    return {2026, 12, 7, 9, 5, 1};
}

// The lines of a log that start with one of the prefixes.
inline Log Only(const Log& log, std::initializer_list<const char*> prefixes) {
    Log kept;
    for (const auto& line : log)
        for (const char* prefix : prefixes)
            if (line.compare(0, std::strlen(prefix), prefix) == 0) {
                kept.push_back(line);
                break;
            }
    return kept;
}

}  // namespace testing_doubles
