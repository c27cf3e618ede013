// modReg on the host: the access each operation asks for, handles closed,
// the conversions and the cases a real registry cannot easily be put in.
#include <gtest/gtest.h>

#include <limits>

#include "registry/MemoryRegistry.h"
#include "registry/modReg.h"
#include "support/TestDoubles.h"

namespace {

using testing_doubles::Log;
using testing_doubles::RecordingRegistry;

constexpr const char* kKey = "Software\\Test";

class ModRegTest : public ::testing::Test {
  protected:
    ModRegTest() { memory.AddKey(reg::kCurrentUser, kKey); }
    ~ModRegTest() override { EXPECT_EQ(memory.OpenHandles(), 0u); }

    reg::MemoryRegistry memory;
    Log log;
    RecordingRegistry api{memory, log};
};

TEST_F(ModRegTest, EachOperationOpensWithOnlyTheAccessItNeedsAndClosesWhatItOpened) {
    std::int32_t n = 0;
    modReg::ReadValue(api, reg::kCurrentUser, kKey, "V", n);
    modReg::WriteValue(api, reg::kCurrentUser, kKey, "V", 1, reg::kRegDword);
    modReg::DeleteValue(api, reg::kCurrentUser, kKey, "V");
    modReg::CreateKey(api, reg::kCurrentUser, kKey, "Child");
    modReg::WriteValueCreatingKey(api, reg::kCurrentUser, kKey, "V", 1, reg::kRegDword);
    modReg::WriteValueCreatingKey(api, reg::kCurrentUser, "Software\\New\\Key", "V", 1,
                                  reg::kRegDword);
    EXPECT_EQ(log, (Log{"open Software\\Test 0x1", "close",                   //
                        "open Software\\Test 0x2", "set V=dword:1", "close",  //
                        "open Software\\Test 0x2", "delete V", "close",       //
                        "open Software\\Test 0x2", "create Child 0x3F", "close", "close",
                        "open Software\\Test 0x2", "set V=dword:1", "close",  //
                        "open Software\\New\\Key 0x2 -> 2", "create Software\\New\\Key 0x3",
                        "set V=dword:1", "close"}));
}

TEST_F(ModRegTest, AFailedOpenIsNeverFollowedByUseOfTheHandle) {
    std::int32_t n = 0;
    modReg::ReadValue(api, reg::kCurrentUser, "Missing", "V", n);
    modReg::WriteValue(api, reg::kCurrentUser, "Missing", "V", 1, reg::kRegDword);
    modReg::DeleteValue(api, reg::kCurrentUser, "Missing", "V");
    modReg::CreateKey(api, reg::kCurrentUser, "Missing", "Child");
    EXPECT_EQ(log, (Log{"open Missing 0x1 -> 2", "open Missing 0x2 -> 2", "open Missing 0x2 -> 2",
                        "open Missing 0x2 -> 2"}));
}

TEST_F(ModRegTest, SetTypedValueWritesNothingForWhatItCannotStore) {
    reg::UniqueKey key = reg::UniqueKey::Open(memory, reg::kCurrentUser, kKey, reg::kKeyAllAccess);
    EXPECT_EQ(modReg::SetTypedValue(memory, key.get(), "V", reg::kRegExpandSz, 1),
              reg::kInvalidParameter);
    EXPECT_EQ(modReg::SetTypedValue(memory, key.get(), "V", reg::kRegDword, std::string("on")),
              reg::kInvalidParameter);
    EXPECT_FALSE(memory.Get(reg::kCurrentUser, kKey, "V"));
    // An empty value is the number 0.
    EXPECT_EQ(modReg::SetTypedValue(memory, key.get(), "V", reg::kRegDword, std::monostate{}),
              reg::kSuccess);
    EXPECT_EQ(memory.Get(reg::kCurrentUser, kKey, "V")->data, std::vector<std::uint8_t>(4, 0));

    reg::UniqueKey readOnly =
        reg::UniqueKey::Open(memory, reg::kCurrentUser, kKey, reg::kKeyQueryValue);
    EXPECT_EQ(modReg::SetTypedValue(memory, readOnly.get(), "V", reg::kRegSz, 2),
              reg::kAccessDenied);
}

TEST_F(ModRegTest, QueryTypedValueTakesATextUpToItsFirstNulAndLeavesOutAloneOnFailure) {
    memory.Put(reg::kCurrentUser, kKey, "Padded", reg::kRegSz, {'1', 0, 0, 'x'});
    memory.Put(reg::kCurrentUser, kKey, "Unended", reg::kRegSz, {'a', 'b'});
    memory.Put(reg::kCurrentUser, kKey, "Expand", reg::kRegExpandSz, {'1', 0});
    memory.Put(reg::kCurrentUser, kKey, "Odd", reg::kRegDword, {1, 0, 0});
    memory.Put(reg::kCurrentUser, kKey, "Sized0", reg::kRegSz, {});
    reg::UniqueKey key = reg::UniqueKey::Open(memory, reg::kCurrentUser, kKey, reg::kKeyRead);

    modReg::Value out;
    EXPECT_EQ(modReg::QueryTypedValue(memory, key.get(), "Padded", out), reg::kSuccess);
    EXPECT_EQ(out, modReg::Value(std::string("1")));
    EXPECT_EQ(modReg::QueryTypedValue(memory, key.get(), "Unended", out), reg::kSuccess);
    EXPECT_EQ(out, modReg::Value(std::string("ab")));

    const modReg::Value before = std::string("before");
    for (const char* name : {"Expand", "Odd", "Missing", "Sized0"}) {
        out = before;
        const reg::Status status = modReg::QueryTypedValue(memory, key.get(), name, out);
        EXPECT_EQ(out, before) << name;
        EXPECT_EQ(status, std::string(name) == "Missing"  ? reg::kFileNotFound
                          : std::string(name) == "Sized0" ? reg::kSuccess
                                                          : modReg::kUnhandledType)
            << name;
    }
}

TEST(ModRegConversions, ATextBecomesANumberOnlyWhenItIsADecimal32BitInteger) {
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* text;
        std::optional<std::int32_t> number;
    };
    for (const Case& c :
         {Case{"2", 2}, Case{"007", 7}, Case{" 3\t", 3}, Case{"+4", 4}, Case{"-1", -1},
          Case{"2147483647", max}, Case{"-2147483648", min}, Case{"2147483648", std::nullopt},
          Case{"-2147483649", std::nullopt}, Case{"99999999999999999999999", std::nullopt},
          Case{"", std::nullopt}, Case{"  ", std::nullopt}, Case{"-", std::nullopt},
          Case{"1.5", std::nullopt}, Case{"0x10", std::nullopt}, Case{"12abc", std::nullopt},
          Case{"1 2", std::nullopt}}) {
        EXPECT_EQ(modReg::ToInteger(std::string(c.text)), c.number) << '"' << c.text << '"';
    }
    EXPECT_EQ(modReg::ToInteger(std::monostate{}), 0);
    EXPECT_EQ(modReg::ToText(min), "-2147483648");
    EXPECT_EQ(modReg::ToText(std::monostate{}), "");
}

}  // namespace
