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
//   bool PutCounted(const std::string& path, const std::u16string& name,
//                   std::uint32_t type, const Bytes& data);
//       // sets a value of Root()\path by a counted name, which may hold a NUL
//       // (the native API can make one; advapi32 cannot)
//
// The ANSI calls are expected to see names and text through code page 1252,
// as on a Western system (Wine's default, and the test prefix's).
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

// UTF-16LE bytes of a text and its NUL, as the wide calls store a REG_SZ.
inline Bytes Wz(const std::u16string& s) {
    Bytes out;
    for (char16_t c : s + u'\0') {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    return out;
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

    reg::UniqueKey CreateW(const std::u16string& sub) {
        const std::string path = Path();
        const std::u16string full = std::u16string(path.begin(), path.end()) + u"\\" + sub;
        reg::Key key = reg::kNullKey;
        EXPECT_EQ(api().RegCreateKeyExW(root(), full.c_str(), 0, nullptr, reg::kOptionNonVolatile,
                                        reg::kKeyAllAccess, nullptr, &key, nullptr),
                  reg::kSuccess);
        return reg::UniqueKey(api(), key);
    }
    reg::Status SetW(reg::Key key, const std::u16string& name, std::uint32_t type,
                     const Bytes& data) {
        return api().RegSetValueExW(key, name.c_str(), 0, type, data.data(),
                                    static_cast<std::uint32_t>(data.size()));
    }
    reg::Status GetW(reg::Key key, const std::u16string& name, Bytes* data) {
        std::uint32_t size = 0, type = 0;
        reg::Status status =
            api().RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
        if (status != reg::kSuccess) return status;
        data->assign(size, 0xEE);
        status = api().RegQueryValueExW(key, name.c_str(), nullptr, &type, data->data(), &size);
        data->resize(size);
        return status;
    }
    // Every value through RegEnumValueA: name (as many bytes as the size
    // says) and data.
    std::map<std::string, Bytes> EnumA(reg::Key key) {
        std::map<std::string, Bytes> values;
        for (std::uint32_t index = 0; index < 20; ++index) {
            char name[64];
            std::uint8_t data[64];
            std::uint32_t nameSize = sizeof name, size = sizeof data;
            const reg::Status status =
                api().RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data, &size);
            if (status != reg::kSuccess) {
                EXPECT_EQ(status, reg::kNoMoreItems);
                break;
            }
            values[std::string(name, nameSize)] = Bytes(data, data + size);
        }
        return values;
    }
    // Every value name through RegEnumValueW, whole.
    std::vector<std::u16string> EnumW(reg::Key key) {
        std::vector<std::u16string> names;
        for (std::uint32_t index = 0; index < 20; ++index) {
            char16_t name[64];
            std::uint32_t nameSize = 64;
            const reg::Status status = api().RegEnumValueW(key, index, name, &nameSize, nullptr,
                                                           nullptr, nullptr, nullptr);
            if (status != reg::kSuccess) {
                EXPECT_EQ(status, reg::kNoMoreItems);
                break;
            }
            names.emplace_back(name, nameSize);
        }
        // Windows lists values in the order they were made, Wine in the order
        // of their names: compared sorted.
        std::sort(names.begin(), names.end());
        return names;
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

TYPED_TEST_P(RegistryConformance, WideNamesAreExactAndTheAnsiCallsSeeThemThroughTheCodePage) {
    const std::u16string greek = u"\u03b1\u03b2\u03b3", cyrillic = u"\u0416\u0418";
    reg::UniqueKey key = this->CreateW(u"\u041a\u043b\u044e\u0447");  // "Ключ"
    ASSERT_TRUE(key);
    ASSERT_EQ(this->SetW(key.get(), greek, reg::kRegSz, conformance::Wz(u"\u03a9 \u00e9")),
              reg::kSuccess);
    ASSERT_EQ(this->SetW(key.get(), cyrillic, reg::kRegSz, conformance::Wz(cyrillic)),
              reg::kSuccess);
    ASSERT_EQ(this->SetW(key.get(), u"caf\u00e9", reg::kRegDword, {1, 0, 0, 0}), reg::kSuccess);
    // An ANSI name and text are the code page's characters.
    ASSERT_EQ(this->api().RegSetValueExA(key.get(), "\x80", 0, reg::kRegSz,
                                         reinterpret_cast<const std::uint8_t*>("\x9f"), 2),
              reg::kSuccess);

    // Wide: exact, and any letter's case is alike.
    conformance::Bytes got;
    ASSERT_EQ(this->GetW(key.get(), u"\u0391\u0392\u0393", &got), reg::kSuccess);
    EXPECT_EQ(got, conformance::Wz(u"\u03a9 \u00e9"));
    EXPECT_EQ(this->GetW(key.get(), u"\u0436\u0438", &got), reg::kSuccess);
    EXPECT_EQ(this->GetW(key.get(), u"CAF\u00c9", &got), reg::kSuccess);
    ASSERT_EQ(this->GetW(key.get(), u"\u20ac", &got), reg::kSuccess);
    EXPECT_EQ(got, conformance::Wz(u"\u0178"));

    // ANSI: best fits or '?', and data likewise.
    const std::map<std::string, conformance::Bytes> seen = this->EnumA(key.get());
    const std::map<std::string, conformance::Bytes> expected = {
        {"a\xdf?", conformance::B(std::string("O \xe9\0", 4))},
        {"??", conformance::B(std::string("??\0", 3))},
        {"caf\xe9", {1, 0, 0, 0}},
        {"\x80", conformance::B(std::string("\x9f\0", 2))},
    };
    EXPECT_EQ(seen, expected);
    // The name an ANSI caller is shown names nothing: it cannot delete it.
    std::uint32_t size = 0;
    EXPECT_EQ(this->api().RegQueryValueExA(key.get(), "??", nullptr, nullptr, nullptr, &size),
              reg::kFileNotFound);
    EXPECT_EQ(this->api().RegDeleteValueA(key.get(), "a\xdf?"), reg::kFileNotFound);
    EXPECT_EQ(this->api().RegDeleteValueA(key.get(), "CAF\xc9"), reg::kSuccess);
    EXPECT_EQ(this->EnumW(key.get()), (std::vector<std::u16string>{greek, cyrillic, u"\u20ac"}));
    // Nor can it open a key whose name it is shown as "????".
    reg::Key other = 0x1234;
    EXPECT_EQ(this->api().RegOpenKeyExA(this->root(), this->Path("????").c_str(), 0, reg::kKeyRead,
                                        &other),
              reg::kFileNotFound);
    EXPECT_EQ(this->api().RegDeleteValueW(key.get(), cyrillic.c_str()), reg::kSuccess);
}

TYPED_TEST_P(RegistryConformance, WideTextKeepsItsBytesAndTheAnsiCallsCountCharacters) {
    reg::UniqueKey key = this->Create("Text");
    // Three bytes of UTF-16: the last half character is kept, and the ANSI
    // call sees one character and a NUL it adds.
    ASSERT_EQ(this->SetW(key.get(), u"odd", reg::kRegSz, {'x', 0, 'y'}), reg::kSuccess);
    conformance::Bytes got;
    ASSERT_EQ(this->GetW(key.get(), u"odd", &got), reg::kSuccess);
    EXPECT_EQ(got, conformance::Bytes({'x', 0, 'y'}));
    std::uint8_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    std::uint32_t size = sizeof buffer, type = 0;
    ASSERT_EQ(this->api().RegQueryValueExA(key.get(), "odd", nullptr, &type, buffer, &size),
              reg::kSuccess);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(buffer[1], 0);

    // ANSI text is stored as two bytes a character; the wide query adds a
    // wide NUL when the text has none and there is room.
    ASSERT_EQ(this->api().RegSetValueExA(key.get(), "ab", 0, reg::kRegSz,
                                         reinterpret_cast<const std::uint8_t*>("abX"), 2),
              reg::kSuccess);
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    size = sizeof buffer;
    ASSERT_EQ(this->api().RegQueryValueExW(key.get(), u"ab", nullptr, &type, buffer, &size),
              reg::kSuccess);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(conformance::Bytes(buffer, buffer + 6), conformance::Bytes({'a', 0, 'b', 0, 0, 0}));
    size = 3;
    EXPECT_EQ(this->api().RegQueryValueExW(key.get(), u"ab", nullptr, &type, buffer, &size),
              reg::kMoreData);
    EXPECT_EQ(size, 4u);
}

TYPED_TEST_P(RegistryConformance, EnumeratingThroughWGivesNamesInCharactersAndMoreData) {
    reg::UniqueKey key = this->Create("EnumW");
    ASSERT_EQ(this->SetW(key.get(), u"\u0394elta", reg::kRegSz, conformance::Wz(u"x")),
              reg::kSuccess);
    char16_t name[8];
    std::uint32_t nameSize = 8, type = 0, size = 16;
    std::uint8_t data[16];
    ASSERT_EQ(this->api().RegEnumValueW(key.get(), 0, name, &nameSize, nullptr, &type, data, &size),
              reg::kSuccess);
    EXPECT_EQ(std::u16string(name, nameSize), u"\u0394elta");
    EXPECT_EQ(name[5], u'\0');
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(this->api().RegEnumValueW(key.get(), 1, name, &nameSize, nullptr, nullptr, nullptr,
                                        nullptr),
              reg::kNoMoreItems);

    // A name that does not fit with its NUL is more data.
    nameSize = 5;
    EXPECT_EQ(this->api().RegEnumValueW(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr,
                                        nullptr),
              reg::kMoreData);
    // Data that does not fit is more data with the size needed; the wide call
    // still gives the name, the ANSI one leaves it as it was.
    nameSize = 8;
    size = 1;
    std::fill(std::begin(name), std::end(name), u'z');
    EXPECT_EQ(this->api().RegEnumValueW(key.get(), 0, name, &nameSize, nullptr, &type, data, &size),
              reg::kMoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::u16string(name, nameSize), u"\u0394elta");
    char ansi[8] = "zzz";
    nameSize = sizeof ansi;
    size = 1;
    EXPECT_EQ(this->api().RegEnumValueA(key.get(), 0, ansi, &nameSize, nullptr, &type, data, &size),
              reg::kMoreData);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(nameSize, sizeof ansi);
    EXPECT_EQ(std::string(ansi), "zzz");
}

TYPED_TEST_P(RegistryConformance, ANameHoldingANulIsListedWholeAndNoCallNamesIt) {
    reg::UniqueKey key = this->Create("Nul");
    ASSERT_TRUE(this->backend_.PutCounted("Nul", std::u16string(u"a\0z", 3), reg::kRegSz,
                                          conformance::Wz(u"cmd\\1")));
    ASSERT_EQ(this->SetW(key.get(), u"a", reg::kRegSz, conformance::Wz(u"other\\1")),
              reg::kSuccess);
    EXPECT_EQ(this->EnumW(key.get()),
              (std::vector<std::u16string>{u"a", std::u16string(u"a\0z", 3)}));
    const std::map<std::string, conformance::Bytes> seen = this->EnumA(key.get());
    EXPECT_EQ(seen.count(std::string("a\0z", 3)), 1u);
    // The names the calls take end at the NUL: "a\0z" can only mean "a".
    EXPECT_EQ(this->api().RegDeleteValueW(key.get(), u"a\0z"), reg::kSuccess);
    EXPECT_EQ(this->EnumW(key.get()), (std::vector<std::u16string>{std::u16string(u"a\0z", 3)}));
    EXPECT_EQ(this->api().RegDeleteValueW(key.get(), u"a"), reg::kFileNotFound);
}

TYPED_TEST_P(RegistryConformance, DeletingAKeyTakesItsValuesButNeverItsSubkeys) {
    {
        reg::UniqueKey parent = this->Create("Doomed\\Child");
        reg::UniqueKey doomed = this->Open("Doomed", reg::kKeyAllAccess);
        ASSERT_EQ(this->SetW(doomed.get(), u"v", reg::kRegDword, {1, 0, 0, 0}), reg::kSuccess);
    }
    reg::UniqueKey scratch = this->Open("", reg::kKeyAllAccess);
    EXPECT_EQ(this->api().RegDeleteKeyW(scratch.get(), u"Doomed"), reg::kAccessDenied);
    EXPECT_EQ(this->api().RegDeleteKeyW(scratch.get(), u"doomed\\child"), reg::kSuccess);
    EXPECT_EQ(this->api().RegDeleteKeyW(scratch.get(), u"Doomed\\Child"), reg::kFileNotFound);
    reg::UniqueKey open = this->Open("Doomed", reg::kKeyAllAccess);
    EXPECT_EQ(this->api().RegDeleteKeyW(scratch.get(), u"Doomed"), reg::kSuccess);
    // A handle still open on it is of a deleted key.
    EXPECT_EQ(this->SetW(open.get(), u"w", reg::kRegDword, {1, 0, 0, 0}), reg::kKeyDeleted);
    EXPECT_EQ(this->api().RegDeleteKeyW(scratch.get(), nullptr), reg::kInvalidParameter);
    EXPECT_EQ(this->api().RegDeleteKeyW(reg::kNullKey, u"Doomed"), reg::kInvalidHandle);
    // An empty name deletes the handle's own key.
    reg::UniqueKey self = this->Create("Self");
    EXPECT_EQ(this->api().RegDeleteKeyW(self.get(), u""), reg::kSuccess);
    reg::Key gone = reg::kNullKey;
    EXPECT_EQ(this->api().RegOpenKeyExA(this->root(), this->Path("Self").c_str(), 0, reg::kKeyRead,
                                        &gone),
              reg::kFileNotFound);
}

REGISTER_TYPED_TEST_SUITE_P(
    RegistryConformance, OpeningAMissingKeyIsFileNotFoundAndGivesNoHandle,
    CreateMakesEveryMissingKeyOnThePathAndReportsWhich, ValuesKeepTheirTypeAndExactBytes,
    QueryReportsTypeAndSizeAloneOrMoreDataWhenTheBufferIsShort,
    MissingValuesAreFileNotFoundAndTheEmptyNameIsTheDefault,
    ReplacingAValueChangesItsTypeAndDeletingRemovesIt, AHandleAllowsOnlyWhatItWasOpenedFor,
    ASubkeyMayBeCreatedThroughAHandleOpenedToSetValues, AKeyThatRefusesWritingOpensForReadingOnly,
    NullAndClosedHandlesAreInvalid, PredefinedRootsStayOpenWhenClosed,
    EnumeratingListsEachValueOnceThenNoMoreItems,
    WideNamesAreExactAndTheAnsiCallsSeeThemThroughTheCodePage,
    WideTextKeepsItsBytesAndTheAnsiCallsCountCharacters,
    EnumeratingThroughWGivesNamesInCharactersAndMoreData,
    ANameHoldingANulIsListedWholeAndNoCallNamesIt, DeletingAKeyTakesItsValuesButNeverItsSubkeys);

}  // namespace conformance
