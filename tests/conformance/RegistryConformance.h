// What the program relies on from the registry calls, written once and run
// against every backend: on the host against MemoryRegistry, under Wine
// against the real registry. Where the two disagree, MemoryRegistry is wrong.
//
// A backend type B, made fresh for each test and destroyed after it, has:
//   reg::RegistryApi& Api();
//   reg::Key Root();              // root of the scratch key
//   std::string Scratch();        // an empty key that exists during the test
//   bool MakeReadOnly(const std::string& path);
//       // creates Root()\path so that it may be opened for reading but not
//       // for writing; false when the backend cannot (the test is skipped)
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"

namespace conformance {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

template <class Backend>
class RegistryConformance : public ::testing::Test {
  protected:
    reg::RegistryApi& api() { return backend_.Api(); }
    reg::Key root() { return backend_.Root(); }
    std::string Path(const std::string& sub = "") {
        return sub.empty() ? backend_.Scratch() : backend_.Scratch() + "\\" + sub;
    }

    reg::UniqueKey Open(const std::string& sub, std::uint32_t access) {
        reg::Status status = reg::kSuccess;
        reg::UniqueKey key = reg::UniqueKey::Open(api(), root(), Path(sub), access, &status);
        EXPECT_EQ(status, reg::kSuccess) << "opening " << Path(sub);
        return key;
    }
    reg::UniqueKey Create(const std::string& sub, std::uint32_t* disposition = nullptr) {
        reg::Key key = reg::kNullKey;
        std::uint32_t d = 0;
        EXPECT_EQ(
            api().RegCreateKeyExA(root(), Path(sub).c_str(), 0, nullptr, reg::kOptionNonVolatile,
                                  reg::kKeyAllAccess, nullptr, &key, &d),
            reg::kSuccess);
        if (disposition != nullptr) *disposition = d;
        return reg::UniqueKey(api(), key);
    }
    reg::Status Set(reg::Key key, const char* name, std::uint32_t type, const Bytes& data) {
        return api().RegSetValueExA(key, name, 0, type, data.data(),
                                    static_cast<std::uint32_t>(data.size()));
    }
    // The value's type and bytes through a buffer of exactly its size.
    reg::Status Get(reg::Key key, const char* name, std::uint32_t* type, Bytes* data) {
        std::uint32_t size = 0;
        reg::Status status = api().RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
        if (status != reg::kSuccess) return status;
        data->assign(size, 0xEE);
        status = api().RegQueryValueExA(key, name, nullptr, type, data->data(), &size);
        data->resize(size);
        return status;
    }

    Backend backend_;
};

TYPED_TEST_SUITE_P(RegistryConformance);

TYPED_TEST_P(RegistryConformance, OpeningAMissingKeyIsFileNotFoundAndGivesNoHandle) {
    reg::Key key = 0x1234;
    EXPECT_EQ(this->api().RegOpenKeyExA(this->root(), this->Path("Missing").c_str(), 0,
                                        reg::kKeyQueryValue, &key),
              reg::kFileNotFound);
    EXPECT_EQ(key, reg::kNullKey);
    key = 0x1234;
    EXPECT_EQ(this->api().RegOpenKeyExA(this->root(), this->Path("Missing\\Deeper").c_str(), 0,
                                        reg::kKeySetValue, &key),
              reg::kFileNotFound);
    EXPECT_EQ(key, reg::kNullKey);
}

TYPED_TEST_P(RegistryConformance, CreateMakesEveryMissingKeyOnThePathAndReportsWhich) {
    std::uint32_t disposition = 0;
    EXPECT_TRUE(this->Create("A\\B\\C", &disposition));
    EXPECT_EQ(disposition, reg::kCreatedNewKey);
    EXPECT_TRUE(this->Create("A\\B\\C", &disposition));
    EXPECT_EQ(disposition, reg::kOpenedExistingKey);
    EXPECT_TRUE(this->Create("A\\B", &disposition));
    EXPECT_EQ(disposition, reg::kOpenedExistingKey);
    // Names are compared without regard to case.
    EXPECT_TRUE(this->Open("a\\b\\c", reg::kKeyRead));
}

TYPED_TEST_P(RegistryConformance, ValuesKeepTheirTypeAndExactBytes) {
    reg::UniqueKey key = this->Create("Values");
    const std::vector<std::pair<std::uint32_t, conformance::Bytes>> cases = {
        {reg::kRegSz, conformance::B(std::string("2\0", 2))},
        {reg::kRegSz, conformance::B(std::string("\0", 1))},
        {reg::kRegSz, {}},
        {reg::kRegBinary, conformance::B("ab")},
        {reg::kRegBinary, {0x00, 0xFF, 0x00}},
        {reg::kRegDword, {0x01, 0x00, 0x00, 0x00}},
        {reg::kRegDword, {0x01, 0x00}},  // a DWORD of the wrong size is kept as given
        {reg::kRegExpandSz, conformance::B(std::string("%x%\0", 4))},
        {reg::kRegMultiSz, conformance::B(std::string("a\0b\0\0", 5))},
    };
    for (const auto& [type, data] : cases) {
        ASSERT_EQ(this->Set(key.get(), "V", type, data), reg::kSuccess);
        std::uint32_t gotType = 0;
        conformance::Bytes got;
        ASSERT_EQ(this->Get(key.get(), "v", &gotType, &got), reg::kSuccess);
        EXPECT_EQ(gotType, type);
        EXPECT_EQ(got, data) << "type " << type << ", " << data.size() << " bytes";
    }
}

TYPED_TEST_P(RegistryConformance, QueryReportsTypeAndSizeAloneOrMoreDataWhenTheBufferIsShort) {
    reg::UniqueKey key = this->Create("Short");
    ASSERT_EQ(this->Set(key.get(), "D", reg::kRegDword, {7, 0, 0, 0}), reg::kSuccess);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(this->api().RegQueryValueExA(key.get(), "D", nullptr, &type, nullptr, &size),
              reg::kSuccess);
    EXPECT_EQ(type, reg::kRegDword);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(this->api().RegQueryValueExA(key.get(), "D", nullptr, nullptr, nullptr, nullptr),
              reg::kSuccess);

    std::uint8_t small[2] = {};
    type = 0;
    size = sizeof small;
    EXPECT_EQ(this->api().RegQueryValueExA(key.get(), "D", nullptr, &type, small, &size),
              reg::kMoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, reg::kRegDword);

    // A text stored without its NUL gets one when the buffer has room.
    ASSERT_EQ(this->api().RegSetValueExA(key.get(), "S", 0, reg::kRegSz,
                                         reinterpret_cast<const std::uint8_t*>("abX"), 2),
              reg::kSuccess);
    std::uint8_t roomy[8];
    std::fill(std::begin(roomy), std::end(roomy), 0xEE);
    size = sizeof roomy;
    EXPECT_EQ(this->api().RegQueryValueExA(key.get(), "S", nullptr, &type, roomy, &size),
              reg::kSuccess);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(roomy[0], 'a');
    EXPECT_EQ(roomy[1], 'b');
    EXPECT_EQ(roomy[2], 0);
}

TYPED_TEST_P(RegistryConformance, MissingValuesAreFileNotFoundAndTheEmptyNameIsTheDefault) {
    reg::UniqueKey key = this->Create("Missing values");
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(this->api().RegQueryValueExA(key.get(), "Nope", nullptr, &type, nullptr, &size),
              reg::kFileNotFound);
    EXPECT_EQ(this->api().RegDeleteValueA(key.get(), "Nope"), reg::kFileNotFound);

    ASSERT_EQ(this->Set(key.get(), "", reg::kRegDword, {1, 0, 0, 0}), reg::kSuccess);
    conformance::Bytes got;
    EXPECT_EQ(this->Get(key.get(), nullptr, &type, &got), reg::kSuccess);
    EXPECT_EQ(got, conformance::Bytes({1, 0, 0, 0}));
    EXPECT_EQ(this->api().RegDeleteValueA(key.get(), nullptr), reg::kSuccess);
    EXPECT_EQ(this->Get(key.get(), "", &type, &got), reg::kFileNotFound);
}

TYPED_TEST_P(RegistryConformance, ReplacingAValueChangesItsTypeAndDeletingRemovesIt) {
    reg::UniqueKey key = this->Create("Replace");
    ASSERT_EQ(this->Set(key.get(), "V", reg::kRegExpandSz, conformance::B(std::string("1\0", 2))),
              reg::kSuccess);
    ASSERT_EQ(this->Set(key.get(), "V", reg::kRegDword, {1, 0, 0, 0}), reg::kSuccess);
    std::uint32_t type = 0;
    conformance::Bytes got;
    ASSERT_EQ(this->Get(key.get(), "V", &type, &got), reg::kSuccess);
    EXPECT_EQ(type, reg::kRegDword);
    EXPECT_EQ(this->api().RegDeleteValueA(key.get(), "v"), reg::kSuccess);
    EXPECT_EQ(this->Get(key.get(), "V", &type, &got), reg::kFileNotFound);
}

TYPED_TEST_P(RegistryConformance, AHandleAllowsOnlyWhatItWasOpenedFor) {
    {
        reg::UniqueKey key = this->Create("Rights");
        ASSERT_EQ(this->Set(key.get(), "V", reg::kRegDword, {1, 0, 0, 0}), reg::kSuccess);
    }
    reg::UniqueKey reader = this->Open("Rights", reg::kKeyQueryValue);
    EXPECT_EQ(this->Set(reader.get(), "V", reg::kRegDword, {2, 0, 0, 0}), reg::kAccessDenied);
    EXPECT_EQ(this->api().RegDeleteValueA(reader.get(), "V"), reg::kAccessDenied);

    reg::UniqueKey writer = this->Open("Rights", reg::kKeySetValue);
    std::uint32_t type = 0;
    conformance::Bytes got;
    EXPECT_EQ(this->Get(writer.get(), "V", &type, &got), reg::kAccessDenied);
    char name[16];
    std::uint32_t nameSize = sizeof name;
    EXPECT_EQ(this->api().RegEnumValueA(writer.get(), 0, name, &nameSize, nullptr, nullptr, nullptr,
                                        nullptr),
              reg::kAccessDenied);

    // The value is still the one first written.
    ASSERT_EQ(this->Get(reader.get(), "V", &type, &got), reg::kSuccess);
    EXPECT_EQ(got, conformance::Bytes({1, 0, 0, 0}));
}

TYPED_TEST_P(RegistryConformance, ASubkeyMayBeCreatedThroughAHandleOpenedToSetValues) {
    this->Create("Parent");
    reg::UniqueKey parent = this->Open("Parent", reg::kKeySetValue);
    reg::Key child = reg::kNullKey;
    std::uint32_t disposition = 0;
    EXPECT_EQ(
        this->api().RegCreateKeyExA(parent.get(), "Child", 0, nullptr, reg::kOptionNonVolatile,
                                    0x3F, nullptr, &child, &disposition),
        reg::kSuccess);
    EXPECT_EQ(disposition, reg::kCreatedNewKey);
    reg::UniqueKey holder(this->api(), child);
    EXPECT_TRUE(this->Open("Parent\\Child", reg::kKeyRead));
}

TYPED_TEST_P(RegistryConformance, AKeyThatRefusesWritingOpensForReadingOnly) {
    if (!this->backend_.MakeReadOnly("Locked"))
        GTEST_SKIP() << "this registry makes no key that refuses writing (Wine grants its "
                        "administrator every right whatever a key's security)";
    reg::Key key = 0x1234;
    EXPECT_EQ(this->api().RegOpenKeyExA(this->root(), this->Path("Locked").c_str(), 0,
                                        reg::kKeySetValue, &key),
              reg::kAccessDenied);
    EXPECT_EQ(key, reg::kNullKey);
    EXPECT_EQ(this->api().RegCreateKeyExA(this->root(), this->Path("Locked").c_str(), 0, nullptr,
                                          reg::kOptionNonVolatile, reg::kKeyWrite, nullptr, &key,
                                          nullptr),
              reg::kAccessDenied);
    EXPECT_TRUE(this->Open("Locked", reg::kKeyQueryValue));
    EXPECT_TRUE(this->Open("Locked", reg::kKeyRead));
}

TYPED_TEST_P(RegistryConformance, NullAndClosedHandlesAreInvalid) {
    reg::RegistryApi& api = this->api();
    reg::Key out = reg::kNullKey;
    std::uint32_t type = 0, size = 0;
    const std::uint8_t one[4] = {1, 0, 0, 0};
    char name[8];
    std::uint32_t nameSize = sizeof name;
    EXPECT_EQ(api.RegOpenKeyExA(reg::kNullKey, "Software", 0, reg::kKeyRead, &out),
              reg::kInvalidHandle);
    EXPECT_EQ(api.RegCreateKeyExA(reg::kNullKey, "X", 0, nullptr, 0, 0x3F, nullptr, &out, nullptr),
              reg::kInvalidHandle);
    EXPECT_EQ(api.RegQueryValueExA(reg::kNullKey, "V", nullptr, &type, nullptr, &size),
              reg::kInvalidHandle);
    EXPECT_EQ(api.RegSetValueExA(reg::kNullKey, "V", 0, reg::kRegDword, one, 4),
              reg::kInvalidHandle);
    EXPECT_EQ(api.RegDeleteValueA(reg::kNullKey, "V"), reg::kInvalidHandle);
    EXPECT_EQ(
        api.RegEnumValueA(reg::kNullKey, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
        reg::kInvalidHandle);
    EXPECT_EQ(api.RegCloseKey(reg::kNullKey), reg::kInvalidHandle);

    reg::UniqueKey key = this->Create("Closed");
    const reg::Key stale = key.get();
    ASSERT_EQ(key.Close(), reg::kSuccess);
    EXPECT_EQ(api.RegQueryValueExA(stale, "V", nullptr, &type, nullptr, &size),
              reg::kInvalidHandle);
    EXPECT_EQ(api.RegSetValueExA(stale, "V", 0, reg::kRegDword, one, 4), reg::kInvalidHandle);
    EXPECT_EQ(api.RegCloseKey(stale), reg::kInvalidHandle);
}

TYPED_TEST_P(RegistryConformance, PredefinedRootsStayOpenWhenClosed) {
    EXPECT_EQ(this->api().RegCloseKey(this->root()), reg::kSuccess);
    reg::Key same = reg::kNullKey;
    ASSERT_EQ(this->api().RegOpenKeyExA(this->root(), "", 0, reg::kKeyRead, &same), reg::kSuccess);
    EXPECT_EQ(this->api().RegCloseKey(same), reg::kSuccess);
    EXPECT_TRUE(this->Open("", reg::kKeyRead));
}

TYPED_TEST_P(RegistryConformance, EnumeratingListsEachValueOnceThenNoMoreItems) {
    reg::UniqueKey key = this->Create("Enum");
    ASSERT_EQ(this->Set(key.get(), "a", reg::kRegSz, conformance::B(std::string("cmd\0", 4))),
              reg::kSuccess);
    ASSERT_EQ(this->Set(key.get(), "MRUList", reg::kRegSz, conformance::B(std::string("a\0", 2))),
              reg::kSuccess);
    ASSERT_EQ(this->Set(key.get(), "b", reg::kRegDword, {5, 0, 0, 0}), reg::kSuccess);

    std::map<std::string, std::uint32_t> indexOf;
    std::uint32_t index = 0;
    for (;; ++index) {
        char name[64];
        std::uint32_t nameSize = sizeof name, type = 0, size = 16;
        std::uint8_t data[16];
        const reg::Status status = this->api().RegEnumValueA(key.get(), index, name, &nameSize,
                                                             nullptr, &type, data, &size);
        if (status == reg::kNoMoreItems) break;
        ASSERT_EQ(status, reg::kSuccess);
        EXPECT_EQ(nameSize, std::string(name).size());
        indexOf[name] = index;
        if (std::string(name) == "MRUList") {
            EXPECT_EQ(type, reg::kRegSz);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("a\0", 2));
        }
        ASSERT_LT(index, 10u);
    }
    EXPECT_EQ(index, 3u);
    ASSERT_EQ(indexOf.size(), 3u);
    ASSERT_EQ(indexOf.count("a") + indexOf.count("b") + indexOf.count("MRUList"), 3u);

    // A name or data that does not fit is more data; the data size needed is given.
    char shortName[4];
    std::uint32_t nameSize = sizeof shortName;
    EXPECT_EQ(this->api().RegEnumValueA(key.get(), indexOf["MRUList"], shortName, &nameSize,
                                        nullptr, nullptr, nullptr, nullptr),
              reg::kMoreData);
    char name[64];
    nameSize = sizeof name;
    std::uint8_t data[1];
    std::uint32_t size = sizeof data;
    EXPECT_EQ(this->api().RegEnumValueA(key.get(), indexOf["b"], name, &nameSize, nullptr, nullptr,
                                        data, &size),
              reg::kMoreData);
    EXPECT_EQ(size, 4u);
}

REGISTER_TYPED_TEST_SUITE_P(RegistryConformance, OpeningAMissingKeyIsFileNotFoundAndGivesNoHandle,
                            CreateMakesEveryMissingKeyOnThePathAndReportsWhich,
                            ValuesKeepTheirTypeAndExactBytes,
                            QueryReportsTypeAndSizeAloneOrMoreDataWhenTheBufferIsShort,
                            MissingValuesAreFileNotFoundAndTheEmptyNameIsTheDefault,
                            ReplacingAValueChangesItsTypeAndDeletingRemovesIt,
                            AHandleAllowsOnlyWhatItWasOpenedFor,
                            ASubkeyMayBeCreatedThroughAHandleOpenedToSetValues,
                            AKeyThatRefusesWritingOpensForReadingOnly,
                            NullAndClosedHandlesAreInvalid, PredefinedRootsStayOpenWhenClosed,
                            EnumeratingListsEachValueOnceThenNoMoreItems);

}  // namespace conformance
