#include "app/CommandLineWin32.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <exception>
#include <memory>

#include "app/version.h"
#include "registry/BackupFilesWin32.h"
#include "registry/RegistryWin32.h"
#include "ui/PrompterWin32.h"
#include "win32/Handles.h"

namespace cmdline {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

class ProfileFilesWin32 final : public ProfileFilesApi {
  public:
    backup::Error ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) override {
        return files_.ReadAll(path, bytes);
    }

    // Written under a new name beside the file, flushed, then moved over it:
    // within one folder the move is a rename, so the file is either the old
    // one or the whole new one.
    backup::Error WriteWhole(const std::u16string& path,
                             const std::vector<std::uint8_t>& bytes) override {
        for (int n = 1; n < 100; ++n) {
            const std::u16string temporary =
                path + u".~" + std::u16string(1, char16_t(u'0' + n / 10)) + char16_t(u'0' + n % 10);
            backup::Error e = files_.CreateNew(temporary, bytes);  // no file left on failure
            if (e == backup::kFileExists) continue;
            if (e != backup::kOk) return e;
            if (MoveFileExW(Wide(temporary), Wide(path),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return backup::kOk;
            e = GetLastError();
            DeleteFileW(Wide(temporary));
            return e;
        }
        return backup::kFileExists;
    }

  private:
    backup::BackupFilesWin32 files_;
};

// %APPDATA%\Dovrane\Backups; empty when the shell cannot name Application Data.
std::u16string BackupFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return u"";
    std::u16string folder(reinterpret_cast<const char16_t*>(appData));
    if (folder.empty()) return folder;
    if (folder.back() == u'\\') folder.pop_back();
    return folder + u"\\Dovrane\\Backups";
}

// The ANSI code page's text for a message box; what it lacks shows as '?'.
std::string Shown(const std::u16string& text) {
    if (text.empty()) return "";
    const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, Wide(text), static_cast<int>(text.size()), &out[0], size,
                            nullptr, nullptr);
    return out;
}

}  // namespace

Arguments ProcessArguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const win32::Local block(argv);  // the array is one LocalAlloc block
    std::vector<std::u16string> args;
    for (int i = 1; argv && i < count; ++i)
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return Parse(args);
}

int RunWin32(const Arguments& arguments) {
    ui::PrompterWin32 prompter;  // no window: the boxes stand alone
    try {
        reg::RegistryWin32 registry;
        ProfileFilesWin32 files;
        backup::BackupFilesWin32 backupFiles;
        Environment environment{registry, files, backupFiles, BackupFolder(), prompter, Shown};
        return Run(environment, arguments);
    } catch (const std::exception& e) {
        if (!arguments.quiet)
            prompter.MsgBox(std::string("Dovrane stopped: ") + e.what(),
                            ui::kMbOk | ui::kMbIconExclamation, DOVRANE_TITLE);
        return kExitFailed;
    }
}

}  // namespace cmdline
