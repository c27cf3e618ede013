#pragma once
#include <cstdint>
#include <string>

namespace modGetVersion {

// The fields of the OSVERSIONINFOA record that decide the name.
struct VersionRecord {
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwPlatformId = 0;  // stays 0 when the query fails
};

// Names the Windows version a record describes: "Windows 95", "Windows 98",
// "Windows Mellinnium", "Windows NT 3.51", "Windows NT 4.0", "Windows 2000",
// "Windows XP", "Failed", or the empty text for versions we do not know.
std::string NameVersion(const VersionRecord& record);

// Asks Windows for its version and names it (Win32 only).
std::string GetVersionName();

}  // namespace modGetVersion
