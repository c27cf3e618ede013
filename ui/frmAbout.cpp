#include "ui/frmAbout.h"

#include <cstdint>
#include <vector>

#include "win32/Guard.h"

namespace ui {

AboutTexts AboutLoadTexts() {
    return {std::string("About ") + DOVRANE_TITLE, common::VersionText(), DOVRANE_TITLE};
}

bool GetKeyValue(reg::RegistryApi& registry, reg::Key keyRoot, const std::string& keyName,
                 const std::string& subKeyRef, std::string& keyVal) {
    reg::UniqueKey key = reg::UniqueKey::Open(registry, keyRoot, keyName, reg::kKeyRead);
    std::vector<std::uint8_t> buffer(1024, 0);
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t type = reg::kRegNone;
    if (!key || registry.RegQueryValueExA(key.get(), subKeyRef.c_str(), nullptr, &type,
                                          buffer.data(), &size) != reg::kSuccess) {
        keyVal.clear();
        return false;
    }
    if (size > buffer.size()) size = static_cast<std::uint32_t>(buffer.size());
    // A string value ends in its zero, which is not part of the text.
    std::size_t n = size;
    if (n > 0 && buffer[n - 1] == 0) --n;
    const std::string text(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));

    if (type == reg::kRegSz) {
        keyVal = text;
    } else if (type == reg::kRegDword) {
        static const char kHex[] = "0123456789ABCDEF";
        std::string hex = "&h" + keyVal;
        for (std::size_t i = text.size(); i > 0; --i) {
            const auto byte = static_cast<unsigned char>(text[i - 1]);
            hex += kHex[byte >> 4];
            hex += kHex[byte & 0xF];
        }
        keyVal = hex;
    }
    return true;
}

void StartSysInfo(reg::RegistryApi& registry, Programs& programs, shell::Prompter& prompter) {
    // Any fault on the way is the same for the user: no System Information.
    const bool started = win32::Guard("System Information", [&] {
        std::string path;
        if (GetKeyValue(registry, reg::kLocalMachine, kMsinfoKey, "PATH", path))
            return programs.Start(path);  // used as it stands: no existence test
        if (GetKeyValue(registry, reg::kLocalMachine, kSharedToolsLocationKey, "MSINFO", path)) {
            const std::string program = path + "\\MSINFO32.EXE";
            return programs.FileExists(program) && programs.Start(program);
        }
        return false;
    });
    if (started) return;
    prompter.MsgBox(kSysInfoUnavailable, shell::kMbOk, DOVRANE_TITLE);
}

}  // namespace ui
