#include "app/modGetVersion.h"

namespace modGetVersion {

namespace {
constexpr std::uint32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNT = 2;       // VER_PLATFORM_WIN32_NT
}  // namespace

std::string NameVersion(const VersionRecord& r) {
    if (r.dwPlatformId == kPlatformWindows) {
        switch (r.dwMinorVersion) {
            case 0:
                return "Windows 95";
            case 10:
                return "Windows 98";
            case 90:
                return "Windows Mellinnium";
            default:
                return "";
        }
    }
    if (r.dwPlatformId == kPlatformNT) {
        switch (r.dwMajorVersion) {
            case 3:
                return "Windows NT 3.51";
            case 4:
                return "Windows NT 4.0";
            // 5.1 and 5.2 (Server 2003, XP x64) are both taken for XP.
            case 5:
                return r.dwMinorVersion == 0 ? "Windows 2000" : "Windows XP";
            default:
                return "";
        }
    }
    return "Failed";
}

}  // namespace modGetVersion
