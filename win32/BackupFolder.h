// Where Dovrane keeps its backups, and paths as a message box shows them:
// shared by the window and by the command line, which back up alike.
#pragma once
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "win32/Utf16.h"

namespace win32 {

// %APPDATA%\Dovrane\Backups; empty when the shell cannot name Application
// Data, and then nothing may be changed, since nothing could be backed up.
inline std::u16string BackupFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return u"";
    std::u16string folder(reinterpret_cast<const char16_t*>(appData));
    if (folder.empty()) return folder;
    if (folder.back() == u'\\') folder.pop_back();
    return folder + u"\\Dovrane\\Backups";
}

// The ANSI code page's text for a message box; what it lacks shows as '?'.
inline std::string Shown(const std::u16string& text) {
    if (text.empty()) return "";
    const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, Wide(text), static_cast<int>(text.size()), &out[0], size,
                            nullptr, nullptr);
    return out;
}

}  // namespace win32
