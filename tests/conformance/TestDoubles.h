// Stand-ins shared by the registry and Tweaks tests: a registry that records
// the calls made through it, a chosen logon name, and message boxes that
// answer from a script. Each appends to one event log, so a test can see
// writes and questions in the order they happened.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "registry/AnsiCodePage.h"
#include "registry/RegistryApi.h"
#include "registry/UserName.h"
#include "system/ShutdownApi.h"
#include "ui/Prompter.h"

namespace testing_doubles {

// A restart that never happens: it only counts the requests. Reports a
// non-NT Windows so that no token call is made.
class CountingShutdown : public sys::ShutdownApi {
  public:
    int restarts = 0;
    std::uint32_t GetVersion() override { return 0x80000000u; }
    sys::Handle GetCurrentProcess() override { return 0; }
    bool OpenProcessToken(sys::Handle, std::uint32_t, sys::Handle*) override { return false; }
    bool LookupPrivilegeValueA(const char*, const char*, sys::Luid*) override { return false; }
    bool AdjustTokenPrivileges(sys::Handle, bool, const sys::TokenPrivileges*, std::uint32_t,
                               sys::TokenPrivileges*, std::uint32_t*) override {
        return false;
    }
    bool ExitWindowsEx(std::uint32_t, std::uint32_t) override {
        ++restarts;
        return false;
    }
    bool CloseHandle(sys::Handle) override { return true; }
};

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

// Gives a chosen name, or fails as GetUserNameA does when it cannot.
class FakeUserName final : public reg::UserNameApi {
  public:
    explicit FakeUserName(std::string name) : name_(std::move(name)) {}
    bool GetUserNameA(char* buffer, std::uint32_t* size) override {
        ++calls;
        sizeOffered = *size;
        if (fail || name_.size() + 1 > *size) return false;
        std::memcpy(buffer, name_.c_str(), name_.size() + 1);
        *size = static_cast<std::uint32_t>(name_.size() + 1);
        return true;
    }
    bool fail = false;
    int calls = 0;
    std::uint32_t sizeOffered = 0;

  private:
    std::string name_;
};

// Records each message box and answers from a script (No when it runs out).
class RecordingPrompter final : public ui::Prompter {
  public:
    struct Box {
        std::string text;
        unsigned style;
        std::string caption;
        unsigned helpContext;
    };
    explicit RecordingPrompter(Log& log) : log_(log) {}
    int MsgBox(const std::string& text, unsigned style, const std::string& caption,
               unsigned helpContext) override {
        boxes.push_back({text, style, caption, helpContext});
        log_.push_back("ask " + caption);
        if (answers.empty()) return ui::kIdNo;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    std::vector<Box> boxes;

  private:
    Log& log_;
};

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
