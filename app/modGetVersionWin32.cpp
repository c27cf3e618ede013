#include <windows.h>

#include <cstring>

#include "app/modGetVersion.h"

namespace modGetVersion {

std::string GetVersionName() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;  // 148
    std::memset(info.szCSDVersion, ' ', sizeof info.szCSDVersion);
    // A failed query leaves dwPlatformId at 0, which names itself "Failed".
    GetVersionExA(&info);
    VersionRecord record;
    record.dwMajorVersion = info.dwMajorVersion;
    record.dwMinorVersion = info.dwMinorVersion;
    record.dwPlatformId = info.dwPlatformId;
    return NameVersion(record);
}

}  // namespace modGetVersion
