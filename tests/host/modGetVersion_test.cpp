#include "app/modGetVersion.h"

#include <gtest/gtest.h>

namespace {

std::string Name(std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
    modGetVersion::VersionRecord r;
    r.dwPlatformId = platform;
    r.dwMajorVersion = major;
    r.dwMinorVersion = minor;
    return modGetVersion::NameVersion(r);
}

TEST(GetVersionName, Windows9xIsNamedByMinorVersionAlone) {
    EXPECT_EQ(Name(1, 4, 0), "Windows 95");
    EXPECT_EQ(Name(1, 4, 10), "Windows 98");
    EXPECT_EQ(Name(1, 4, 90), "Windows Mellinnium");
    EXPECT_EQ(Name(1, 99, 10), "Windows 98");  // the major version is not looked at
    EXPECT_EQ(Name(1, 4, 11), "");
    EXPECT_EQ(Name(1, 4, 9), "");
    EXPECT_EQ(Name(1, 4, 91), "");
}

TEST(GetVersionName, NtIsNamedByMajorThenMinor) {
    EXPECT_EQ(Name(2, 3, 51), "Windows NT 3.51");
    EXPECT_EQ(Name(2, 3, 0), "Windows NT 3.51");
    EXPECT_EQ(Name(2, 4, 0), "Windows NT 4.0");
    EXPECT_EQ(Name(2, 5, 0), "Windows 2000");
    EXPECT_EQ(Name(2, 5, 1), "Windows XP");
    EXPECT_EQ(Name(2, 5, 2), "Windows XP");  // Server 2003 passes as XP too
    EXPECT_EQ(Name(2, 6, 0), "");
    EXPECT_EQ(Name(2, 6, 1), "");
    EXPECT_EQ(Name(2, 10, 0), "");
    EXPECT_EQ(Name(2, 2, 0), "");
}

TEST(GetVersionName, UnknownPlatformOrFailedQueryIsFailed) {
    EXPECT_EQ(Name(0, 0, 0), "Failed");  // what a failed GetVersionExA leaves
    EXPECT_EQ(Name(0, 5, 1), "Failed");
    EXPECT_EQ(Name(3, 5, 1), "Failed");  // Windows CE
}

}  // namespace
