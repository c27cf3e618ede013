// The registry conformance suites on the in-memory backend, and what only
// the in-memory backend offers tests.
#include <gtest/gtest.h>

#include "conformance/ModRegConformance.h"
#include "conformance/RegistryConformance.h"
#include "registry/MemoryRegistry.h"

namespace {

constexpr const char* kScratch = "Software\\DovraneTest";

struct MemoryBackend {
    MemoryBackend() { memory.AddKey(reg::kCurrentUser, kScratch); }
    // Every test closes what it opened.
    ~MemoryBackend() { EXPECT_EQ(memory.OpenHandles(), 0u); }
    reg::RegistryApi& Api() { return memory; }
    reg::Key Root() { return reg::kCurrentUser; }
    std::string Scratch() { return kScratch; }
    bool MakeReadOnly(const std::string& path) {
        memory.Deny(reg::kCurrentUser, std::string(kScratch) + "\\" + path, reg::kKeyWrite);
        return true;
    }
    bool PutCounted(const std::string& path, const std::u16string& name, std::uint32_t type,
                    const std::vector<std::uint8_t>& data) {
        const std::string full = std::string(kScratch) + "\\" + path;
        memory.PutW(reg::kCurrentUser, std::u16string(full.begin(), full.end()), name, type, data);
        return true;
    }
    reg::MemoryRegistry memory;
};

}  // namespace

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryConformance, MemoryBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, ModRegConformance, MemoryBackend);
}  // namespace conformance

namespace {

TEST(MemoryRegistry, DeniedRightsCoverTheKeyAndEverythingBelowIt) {
    reg::MemoryRegistry memory;
    memory.PutDword(reg::kLocalMachine, "SOFTWARE\\Vendor\\App", "V", 1);
    memory.Deny(reg::kLocalMachine, "SOFTWARE", reg::kKeyWrite);
    reg::Key key = reg::kNullKey;
    EXPECT_EQ(memory.RegOpenKeyExA(reg::kLocalMachine, "SOFTWARE\\Vendor\\App", 0,
                                   reg::kKeySetValue, &key),
              reg::kAccessDenied);
    EXPECT_EQ(memory.RegCreateKeyExA(reg::kLocalMachine, "SOFTWARE\\New", 0, nullptr, 0,
                                     reg::kKeyRead, nullptr, &key, nullptr),
              reg::kAccessDenied);
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, "SOFTWARE\\New"));
    ASSERT_EQ(
        memory.RegOpenKeyExA(reg::kLocalMachine, "SOFTWARE\\Vendor\\App", 0, reg::kKeyRead, &key),
        reg::kSuccess);
    EXPECT_EQ(memory.RegCloseKey(key), reg::kSuccess);
    // Other roots are not affected.
    EXPECT_EQ(memory.RegCreateKeyExA(reg::kCurrentUser, "Software\\New", 0, nullptr, 0,
                                     reg::kKeyWrite, nullptr, &key, nullptr),
              reg::kSuccess);
    EXPECT_EQ(memory.RegCloseKey(key), reg::kSuccess);
}

TEST(MemoryRegistry, ARefusedCreateMakesNoKeyOnTheWay) {
    reg::MemoryRegistry memory;
    memory.AddKey(reg::kLocalMachine, "SOFTWARE\\Vendor");
    memory.Deny(reg::kLocalMachine, "SOFTWARE\\Vendor", reg::kKeyCreateSubKey);
    memory.Deny(reg::kLocalMachine, "SOFTWARE\\Sealed", reg::kKeySetValue);
    reg::Key key = 0x1234;
    std::uint32_t disposition = 0;
    const std::uint32_t setAndQuery = reg::kKeySetValue | reg::kKeyQueryValue;
    EXPECT_EQ(memory.RegCreateKeyExA(reg::kLocalMachine, "SOFTWARE\\Vendor\\A\\B", 0, nullptr, 0,
                                     setAndQuery, nullptr, &key, &disposition),
              reg::kAccessDenied);
    EXPECT_EQ(key, reg::kNullKey);
    EXPECT_EQ(disposition, 0u);
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, "SOFTWARE\\Vendor\\A"));
    // A new key would refuse what is asked as the key above it does.
    EXPECT_EQ(memory.RegCreateKeyExA(reg::kLocalMachine, "SOFTWARE\\Sealed\\A", 0, nullptr, 0,
                                     setAndQuery, nullptr, &key, nullptr),
              reg::kAccessDenied);
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, "SOFTWARE\\Sealed\\A"));
    // What the keys do allow still works.
    ASSERT_EQ(memory.RegCreateKeyExA(reg::kLocalMachine, "SOFTWARE\\Vendor", 0, nullptr, 0,
                                     setAndQuery, nullptr, &key, &disposition),
              reg::kSuccess);
    EXPECT_EQ(disposition, reg::kOpenedExistingKey);
    EXPECT_EQ(memory.RegCloseKey(key), reg::kSuccess);
    ASSERT_EQ(memory.RegCreateKeyExA(reg::kLocalMachine, "SOFTWARE\\Sealed\\A", 0, nullptr, 0,
                                     reg::kKeyQueryValue, nullptr, &key, &disposition),
              reg::kSuccess);
    EXPECT_EQ(disposition, reg::kCreatedNewKey);
    EXPECT_EQ(memory.RegCloseKey(key), reg::kSuccess);
}

TEST(MemoryRegistry, GenericRightsGrantTheirKeyRights) {
    reg::MemoryRegistry memory;
    memory.PutDword(reg::kCurrentUser, "K", "V", 1);
    reg::Key key = reg::kNullKey;
    ASSERT_EQ(memory.RegOpenKeyExA(reg::kCurrentUser, "K", 0, reg::kGenericRead, &key),
              reg::kSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(memory.RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size), reg::kSuccess);
    const std::uint8_t one[4] = {1, 0, 0, 0};
    EXPECT_EQ(memory.RegSetValueExA(key, "V", 0, reg::kRegDword, one, 4), reg::kAccessDenied);
    EXPECT_EQ(memory.RegCloseKey(key), reg::kSuccess);
}

}  // namespace
