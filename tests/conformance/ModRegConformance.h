// modReg against a registry backend (see RegistryConformance.h for what a
// backend provides): the byte layouts it stores and the conversions it
// delivers, on the host and against the real registry under Wine.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"
#include "registry/modReg.h"

namespace conformance {

template <class Backend>
class ModRegConformance : public ::testing::Test {
  protected:
    using Bytes = std::vector<std::uint8_t>;

    reg::RegistryApi& api() { return backend_.Api(); }
    reg::Key root() { return backend_.Root(); }
    std::string Path(const std::string& sub = "") {
        return sub.empty() ? backend_.Scratch() : backend_.Scratch() + "\\" + sub;
    }
    void Put(const std::string& name, std::uint32_t type, const Bytes& data) {
        reg::UniqueKey key = reg::UniqueKey::Open(api(), root(), Path(), reg::kKeySetValue);
        ASSERT_TRUE(key);
        ASSERT_EQ(api().RegSetValueExA(key.get(), name.c_str(), 0, type, data.data(),
                                       static_cast<std::uint32_t>(data.size())),
                  reg::kSuccess);
    }
    // The stored type and bytes, or type kRegNone when there is no value.
    std::pair<std::uint32_t, Bytes> Stored(const std::string& name, const std::string& sub = "") {
        reg::UniqueKey key = reg::UniqueKey::Open(api(), root(), Path(sub), reg::kKeyQueryValue);
        std::uint32_t type = reg::kRegNone, size = 0;
        if (!key || api().RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr,
                                           &size) != reg::kSuccess)
            return {reg::kRegNone, {}};
        Bytes data(size);
        api().RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
        return {type, data};
    }
    bool KeyExists(const std::string& sub) {
        return static_cast<bool>(
            reg::UniqueKey::Open(api(), root(), Path(sub), reg::kKeyQueryValue));
    }
    std::pair<bool, std::int32_t> ReadInt(const std::string& name, const std::string& sub = "") {
        std::int32_t n = 12345;
        const bool ok = modReg::ReadValue(api(), root(), Path(sub), name, n);
        return {ok, n};
    }
    std::pair<bool, std::string> ReadText(const std::string& name, const std::string& sub = "") {
        std::string text = "untouched";
        const bool ok = modReg::ReadValue(api(), root(), Path(sub), name, text);
        return {ok, text};
    }

    Backend backend_;
};

TYPED_TEST_SUITE_P(ModRegConformance);

TYPED_TEST_P(ModRegConformance, WriteValueStoresTheExactLayoutOfEachType) {
    using Bytes = std::vector<std::uint8_t>;
    struct Case {
        modReg::Value value;
        std::uint32_t type;
        Bytes stored;
    };
    const std::vector<Case> cases = {
        {2, reg::kRegSz, {'2', 0}},
        {std::string("1"), reg::kRegSz, {'1', 0}},
        {std::string(), reg::kRegSz, {0}},
        {std::monostate{}, reg::kRegSz, {0}},
        {1, reg::kRegDword, {1, 0, 0, 0}},
        {0x01020304, reg::kRegDword, {4, 3, 2, 1}},
        {-1, reg::kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
        {std::string("7"), reg::kRegDword, {7, 0, 0, 0}},
        {std::string("ab"), reg::kRegBinary, {0x61, 0x62}},
        {std::string("\x00\xFF", 2), reg::kRegBinary, {0x00, 0xFF}},
    };
    for (const auto& c : cases) {
        modReg::WriteValue(this->api(), this->root(), this->Path(), "V", c.value, c.type);
        const auto [type, data] = this->Stored("V");
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(data, c.stored) << "type " << c.type;
    }
}

TYPED_TEST_P(ModRegConformance, ReadValueDeliversInTheCallersKind) {
    this->Put("Sz2", reg::kRegSz, {'2', 0});
    this->Put("Dw1", reg::kRegDword, {1, 0, 0, 0});
    this->Put("DwNeg", reg::kRegDword, {0xFE, 0xFF, 0xFF, 0xFF});
    this->Put("Empty", reg::kRegSz, {0});
    this->Put("Sized0", reg::kRegSz, {});
    this->Put("Bin", reg::kRegBinary, {'a', 0, 'b'});

    using IntRead = std::pair<bool, std::int32_t>;
    using TextRead = std::pair<bool, std::string>;
    EXPECT_EQ(this->ReadInt("Sz2"), IntRead(true, 2));
    EXPECT_EQ(this->ReadText("Sz2"), TextRead(true, "2"));
    EXPECT_EQ(this->ReadInt("Dw1"), IntRead(true, 1));
    EXPECT_EQ(this->ReadText("Dw1"), TextRead(true, "1"));
    EXPECT_EQ(this->ReadText("DwNeg"), TextRead(true, "-2"));
    EXPECT_EQ(this->ReadText("Empty"), TextRead(true, ""));
    EXPECT_EQ(this->ReadText("Sized0"), TextRead(true, ""));
    EXPECT_EQ(this->ReadInt("Sized0"), IntRead(true, 0));
    EXPECT_EQ(this->ReadText("Bin"), TextRead(true, std::string("a\0b", 3)));
    EXPECT_EQ(this->ReadText("sz2"), TextRead(true, "2"));  // names ignore case
}

TYPED_TEST_P(ModRegConformance, UnhandledAndMalformedValuesReadAsFalseAndEmpty) {
    this->Put("Expand", reg::kRegExpandSz, {'1', 0});
    this->Put("Multi", reg::kRegMultiSz, {'1', 0, 0});
    this->Put("ShortDword", reg::kRegDword, {1, 0});
    this->Put("LongDword", reg::kRegDword, {1, 0, 0, 0, 0, 0, 0, 0});
    this->Put("Word", reg::kRegSz, {'o', 'n', 0});
    this->Put("Huge", reg::kRegSz, {'4', '2', '9', '4', '9', '6', '7', '2', '9', '6', 0});

    using IntRead = std::pair<bool, std::int32_t>;
    using TextRead = std::pair<bool, std::string>;
    for (const char* name : {"Expand", "Multi", "ShortDword", "LongDword", "Missing"}) {
        EXPECT_EQ(this->ReadInt(name), IntRead(false, 0)) << name;
        EXPECT_EQ(this->ReadText(name), TextRead(false, "")) << name;
    }
    // A text that is no 32-bit number is not guessed at.
    EXPECT_EQ(this->ReadInt("Word"), IntRead(false, 0));
    EXPECT_EQ(this->ReadText("Word"), TextRead(true, "on"));
    EXPECT_EQ(this->ReadInt("Huge"), IntRead(false, 0));
}

TYPED_TEST_P(ModRegConformance, AMissingKeyReadsAsZeroAndIsNeverCreated) {
    using IntRead = std::pair<bool, std::int32_t>;
    using TextRead = std::pair<bool, std::string>;
    EXPECT_EQ(this->ReadInt("V", "Nowhere"), IntRead(false, 0));
    EXPECT_EQ(this->ReadText("V", "Nowhere"), TextRead(false, "0"));

    EXPECT_EQ(modReg::WriteValue(this->api(), this->root(), this->Path("Nowhere"), "V", 1,
                                 reg::kRegDword),
              reg::kFileNotFound);
    EXPECT_EQ(modReg::DeleteValue(this->api(), this->root(), this->Path("Nowhere"), "V"),
              reg::kFileNotFound);
    modReg::CreateKey(this->api(), this->root(), this->Path("Nowhere"), "Child");
    EXPECT_FALSE(this->KeyExists("Nowhere"));
}

TYPED_TEST_P(ModRegConformance, WriteValueCreatingKeyMakesTheMissingPathForItsValueOnly) {
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(modReg::WriteValueCreatingKey(this->api(), this->root(), this->Path("New\\Deeper"),
                                            "V", 1, reg::kRegDword),
              reg::kSuccess);
    EXPECT_EQ(this->Stored("V", "New\\Deeper"),
              std::make_pair(reg::kRegDword, Bytes({1, 0, 0, 0})));
    EXPECT_FALSE(this->KeyExists("New\\Deeper\\V"));
    EXPECT_EQ(this->Stored("V", "New").first, reg::kRegNone);

    // An existing key is written as it is, its other values kept.
    this->Put("Other", reg::kRegSz, {'x', 0});
    EXPECT_EQ(modReg::WriteValueCreatingKey(this->api(), this->root(), this->Path(), "V",
                                            std::string("2"), reg::kRegSz),
              reg::kSuccess);
    EXPECT_EQ(this->Stored("V"), std::make_pair(reg::kRegSz, Bytes({'2', 0})));
    EXPECT_EQ(this->Stored("Other"), std::make_pair(reg::kRegSz, Bytes({'x', 0})));
}

TYPED_TEST_P(ModRegConformance, CreateKeyAddsADirectChildAndLeavesAnExistingOneAlone) {
    modReg::CreateKey(this->api(), this->root(), this->Path(), "Child");
    ASSERT_TRUE(this->KeyExists("Child"));
    modReg::WriteValue(this->api(), this->root(), this->Path("Child"), "Kept", 5, reg::kRegDword);
    modReg::CreateKey(this->api(), this->root(), this->Path(), "child");
    EXPECT_EQ(this->ReadInt("Kept", "Child"), std::make_pair(true, 5));
}

TYPED_TEST_P(ModRegConformance, DeleteValueRemovesThatValueOnly) {
    this->Put("Gone", reg::kRegDword, {1, 0, 0, 0});
    this->Put("Stays", reg::kRegDword, {2, 0, 0, 0});
    modReg::DeleteValue(this->api(), this->root(), this->Path(), "Gone");
    modReg::DeleteValue(this->api(), this->root(), this->Path(), "Gone");  // already gone
    EXPECT_EQ(this->ReadInt("Gone"), std::make_pair(false, 0));
    EXPECT_EQ(this->ReadInt("Stays"), std::make_pair(true, 2));
}

TYPED_TEST_P(ModRegConformance, AKeyThatRefusesWritingIsLeftAsItIs) {
    if (!this->backend_.MakeReadOnly("Locked"))
        GTEST_SKIP() << "this registry makes no key that refuses writing (Wine grants its "
                        "administrator every right whatever a key's security)";
    EXPECT_EQ(
        modReg::WriteValue(this->api(), this->root(), this->Path("Locked"), "V", 1, reg::kRegDword),
        reg::kAccessDenied);
    EXPECT_EQ(modReg::WriteValueCreatingKey(this->api(), this->root(), this->Path("Locked"), "V", 1,
                                            reg::kRegDword),
              reg::kAccessDenied);
    EXPECT_EQ(
        modReg::WriteValueCreatingKey(this->api(), this->root(), this->Path("Locked\\New\\Deeper"),
                                      "V", 1, reg::kRegDword),
        reg::kAccessDenied);
    modReg::CreateKey(this->api(), this->root(), this->Path("Locked"), "Child");
    EXPECT_EQ(this->Stored("V", "Locked").first, reg::kRegNone);
    EXPECT_FALSE(this->KeyExists("Locked\\Child"));
    EXPECT_FALSE(this->KeyExists("Locked\\New"));
    EXPECT_EQ(this->ReadInt("V", "Locked"), std::make_pair(false, 0));
}

// A name outside the code page (an account's logon name) through the wide
// calls: written, read and deleted as itself; the value its ANSI spelling
// names is another one and is left alone.
TYPED_TEST_P(ModRegConformance, AWideNameIsWrittenReadAndDeletedExactly) {
    const std::u16string name = u"\u0416\u0435\u043d\u044f";  // Cyrillic
    this->Put("????", reg::kRegDword, {7, 0, 0, 0});
    EXPECT_EQ(modReg::WriteValue(this->api(), this->root(), this->Path(), name, 1, reg::kRegDword),
              reg::kSuccess);
    std::int32_t n = 0;
    EXPECT_TRUE(modReg::ReadValue(this->api(), this->root(), this->Path(), name, n));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(modReg::WriteValue(this->api(), this->root(), this->Path(), name, 2, reg::kRegSz),
              reg::kSuccess);
    EXPECT_TRUE(modReg::ReadValue(this->api(), this->root(), this->Path(), name, n));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(modReg::DeleteValue(this->api(), this->root(), this->Path(), name), reg::kSuccess);
    EXPECT_FALSE(modReg::ReadValue(this->api(), this->root(), this->Path(), name, n));
    EXPECT_EQ(this->ReadInt("????"), std::make_pair(true, 7));
}

REGISTER_TYPED_TEST_SUITE_P(ModRegConformance, WriteValueStoresTheExactLayoutOfEachType,
                            ReadValueDeliversInTheCallersKind,
                            UnhandledAndMalformedValuesReadAsFalseAndEmpty,
                            AMissingKeyReadsAsZeroAndIsNeverCreated,
                            WriteValueCreatingKeyMakesTheMissingPathForItsValueOnly,
                            CreateKeyAddsADirectChildAndLeavesAnExistingOneAlone,
                            DeleteValueRemovesThatValueOnly, AKeyThatRefusesWritingIsLeftAsItIs,
                            AWideNameIsWrittenReadAndDeletedExactly);

}  // namespace conformance
