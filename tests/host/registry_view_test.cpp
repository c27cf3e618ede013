// The access each open and create of the Win32 backend passes to Windows.
#include <gtest/gtest.h>

#include <cstdint>

#include "registry/RegistryApi.h"

namespace {

TEST(ViewMask, AddsOnlyThe64BitViewAndOnlyUnderWow64) {
    struct Case {
        std::uint32_t access;  // as a caller gives it
        std::uint32_t onWow64;
    };
    // The accesses Dovrane asks for, and the ones a caller could.
    const Case cases[] = {
        {reg::kKeyRead, 0x20119},
        {reg::kKeyWrite, 0x20106},
        {reg::kKeyQueryValue, 0x0101},
        {reg::kKeySetValue, 0x0102},
        {reg::kKeySetValue | reg::kKeyQueryValue, 0x0103},
        {reg::kKeyCreateSubKey | reg::kKeyEnumerateSubKeys, 0x010C},
        {reg::kKeyAllAccess, 0xF013F},
        {reg::kGenericRead, 0x80000100},
        {reg::kKeyWow64_64Key, 0x0100},  // asked twice is asked once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "access 0x" << std::hex << c.access);
        EXPECT_EQ(reg::ViewMask(c.access, false), c.access);
        EXPECT_EQ(reg::ViewMask(c.access, true), c.onWow64);
    }
}

}  // namespace
