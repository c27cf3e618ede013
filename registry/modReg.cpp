#include "registry/modReg.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "registry/AnsiCodePage.h"

namespace modReg {

std::optional<std::int32_t> ToInteger(const Value& value) {
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return *n;
    const std::string& text = std::get<std::string>(value);
    std::size_t i = 0, end = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < end && blank(text[i])) ++i;
    while (end > i && blank(text[end - 1])) --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == end) return std::nullopt;
    std::int64_t magnitude = 0;
    const std::int64_t limit = negative ? -std::int64_t(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string ToText(const Value& value) {
    if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    return std::string();
}

namespace {

// The calls that name a value. The ANSI ones serve names that are ASCII
// constants; the wide ones carry a name exactly as given, whatever its
// script. Their string data differs (bytes of the code page, or UTF-16LE);
// the program's texts are the same either way.
struct AnsiCalls {
    using Name = std::string;
    static reg::Status Query(reg::RegistryApi& api, reg::Key key, const Name& name,
                             std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
        return api.RegQueryValueExA(key, name.c_str(), nullptr, type, data, size);
    }
    static reg::Status Set(reg::RegistryApi& api, reg::Key key, const Name& name,
                           std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
        return api.RegSetValueExA(key, name.c_str(), 0, type, data, size);
    }
    static reg::Status Delete(reg::RegistryApi& api, reg::Key key, const Name& name) {
        return api.RegDeleteValueA(key, name.c_str());
    }
    // A text and its NUL, as REG_SZ data.
    static std::vector<std::uint8_t> SzData(const std::string& text) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        return data;
    }
    // REG_SZ data up to its first NUL: some writers store more than one, or
    // none at all, and neither should reach the text.
    static std::string SzText(const std::uint8_t* data, std::size_t size) {
        const auto* text = reinterpret_cast<const char*>(data);
        return std::string(text, std::find(text, text + size, '\0'));
    }
};

struct WideCalls {
    using Name = std::u16string;
    static reg::Status Query(reg::RegistryApi& api, reg::Key key, const Name& name,
                             std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
        return api.RegQueryValueExW(key, name.c_str(), nullptr, type, data, size);
    }
    static reg::Status Set(reg::RegistryApi& api, reg::Key key, const Name& name,
                           std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
        return api.RegSetValueExW(key, name.c_str(), 0, type, data, size);
    }
    static reg::Status Delete(reg::RegistryApi& api, reg::Key key, const Name& name) {
        return api.RegDeleteValueW(key, name.c_str());
    }
    static std::vector<std::uint8_t> SzData(const std::string& text) {
        std::vector<std::uint8_t> data;
        for (char16_t c : reg::ansi::ToWide(text) + u'\0') {
            data.push_back(std::uint8_t(c & 0xFF));
            data.push_back(std::uint8_t(c >> 8));
        }
        return data;
    }
    // An odd last byte is no character.
    static std::string SzText(const std::uint8_t* data, std::size_t size) {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            const auto c = char16_t(data[i] | data[i + 1] << 8);
            if (c == u'\0') break;
            text += c;
        }
        return reg::ansi::FromWide(text);
    }
};

template <class Calls>
reg::Status SetTyped(reg::RegistryApi& api, reg::Key handle, const typename Calls::Name& name,
                     std::uint32_t type, const Value& value) {
    switch (type) {
        case reg::kRegSz: {
            const std::vector<std::uint8_t> data = Calls::SzData(ToText(value));
            return Calls::Set(api, handle, name, reg::kRegSz, data.data(),
                              static_cast<std::uint32_t>(data.size()));
        }
        case reg::kRegBinary: {
            const std::string bytes = ToText(value);
            return Calls::Set(api, handle, name, reg::kRegBinary,
                              reinterpret_cast<const std::uint8_t*>(bytes.data()),
                              static_cast<std::uint32_t>(bytes.size()));
        }
        case reg::kRegDword: {
            const std::optional<std::int32_t> number = ToInteger(value);
            if (!number) return reg::kInvalidParameter;
            const auto bits = static_cast<std::uint32_t>(*number);
            const std::uint8_t bytes[4] = {std::uint8_t(bits), std::uint8_t(bits >> 8),
                                           std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
            return Calls::Set(api, handle, name, reg::kRegDword, bytes, 4);
        }
        default:
            return reg::kInvalidParameter;
    }
}

template <class Calls>
reg::Status QueryTyped(reg::RegistryApi& api, reg::Key handle, const typename Calls::Name& name,
                       Value& out) {
    std::uint32_t type = reg::kRegNone;
    std::uint32_t size = 0;
    reg::Status status = Calls::Query(api, handle, name, &type, nullptr, &size);
    if (status != reg::kSuccess) return status;
    switch (type) {
        case reg::kRegSz:
        case reg::kRegBinary: {
            if (size == 0) return reg::kSuccess;
            std::vector<std::uint8_t> buffer(size, 0);
            status = Calls::Query(api, handle, name, &type, buffer.data(), &size);
            if (status != reg::kSuccess) {
                out = std::monostate{};
                return status;
            }
            const std::size_t length = std::min<std::size_t>(size, buffer.size());
            if (type == reg::kRegSz)
                out = Calls::SzText(buffer.data(), length);
            else
                out = std::string(buffer.begin(), buffer.begin() + length);
            return status;
        }
        case reg::kRegDword: {
            // Any other size would not be a 32-bit number, or would not fit
            // the four bytes given for it.
            if (size != 4) return kUnhandledType;
            std::uint8_t bytes[4] = {};
            status = Calls::Query(api, handle, name, &type, bytes, &size);
            if (status != reg::kSuccess) return status;
            out = static_cast<std::int32_t>(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                            std::uint32_t(bytes[2]) << 16 |
                                            std::uint32_t(bytes[3]) << 24);
            return status;
        }
        default:
            return kUnhandledType;
    }
}

enum class IfMissing { kLeave, kCreate };

template <class Calls>
reg::Status Write(reg::RegistryApi& api, reg::Key root, const std::string& path,
                  const typename Calls::Name& name, const Value& value, std::uint32_t type,
                  IfMissing ifMissing) {
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeySetValue, &status);
    if (!key && status == reg::kFileNotFound && ifMissing == IfMissing::kCreate) {
        reg::Key created = reg::kNullKey;
        status = api.RegCreateKeyExA(root, path.c_str(), 0, nullptr, reg::kOptionNonVolatile,
                                     reg::kKeySetValue | reg::kKeyQueryValue, nullptr, &created,
                                     nullptr);
        if (status == reg::kSuccess) key = reg::UniqueKey(api, created);
    }
    if (!key) return status;
    return SetTyped<Calls>(api, key.get(), name, type, value);
}

// Opens for reading and queries; nullopt when the key cannot be opened.
template <class Calls>
std::optional<reg::Status> Query(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                 const typename Calls::Name& name, Value& temp) {
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeyQueryValue);
    if (!key) return std::nullopt;
    return QueryTyped<Calls>(api, key.get(), name, temp);
}

template <class Calls>
bool ReadInteger(reg::RegistryApi& api, reg::Key root, const std::string& path,
                 const typename Calls::Name& name, std::int32_t& out) {
    Value temp;
    const std::optional<reg::Status> status = Query<Calls>(api, root, path, name, temp);
    const std::optional<std::int32_t> number = ToInteger(temp);
    out = status && number ? *number : 0;
    return status == reg::kSuccess && number.has_value();
}

template <class Calls>
reg::Status Delete(reg::RegistryApi& api, reg::Key root, const std::string& path,
                   const typename Calls::Name& name) {
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeySetValue, &status);
    if (!key) return status;
    return Calls::Delete(api, key.get(), name);
}

}  // namespace

reg::Status SetTypedValue(reg::RegistryApi& api, reg::Key handle, const std::string& name,
                          std::uint32_t type, const Value& value) {
    return SetTyped<AnsiCalls>(api, handle, name, type, value);
}

reg::Status QueryTypedValue(reg::RegistryApi& api, reg::Key handle, const std::string& name,
                            Value& out) {
    return QueryTyped<AnsiCalls>(api, handle, name, out);
}

reg::Status QueryTypedValue(reg::RegistryApi& api, reg::Key handle, const std::u16string& name,
                            Value& out) {
    return QueryTyped<WideCalls>(api, handle, name, out);
}

void CreateKey(reg::RegistryApi& api, reg::Key root, const std::string& parentPath,
               const std::string& newName) {
    reg::UniqueKey parent = reg::UniqueKey::Open(api, root, parentPath, reg::kKeySetValue);
    if (!parent) return;
    reg::Key created = reg::kNullKey;
    std::uint32_t disposition = 0;
    // 0x3F: query, set, create subkey, enumerate, notify, create link.
    constexpr std::uint32_t kAccess = reg::kKeyQueryValue | reg::kKeySetValue |
                                      reg::kKeyCreateSubKey | reg::kKeyEnumerateSubKeys |
                                      reg::kKeyNotify | reg::kKeyCreateLink;
    if (api.RegCreateKeyExA(parent.get(), newName.c_str(), 0, nullptr, reg::kOptionNonVolatile,
                            kAccess, nullptr, &created, &disposition) == reg::kSuccess) {
        reg::UniqueKey child(api, created);  // closed first, then the parent
    }
}

reg::Status WriteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                       const std::string& name, const Value& value, std::uint32_t type) {
    return Write<AnsiCalls>(api, root, path, name, value, type, IfMissing::kLeave);
}

reg::Status WriteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                       const std::u16string& name, const Value& value, std::uint32_t type) {
    return Write<WideCalls>(api, root, path, name, value, type, IfMissing::kLeave);
}

reg::Status WriteValueCreatingKey(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                  const std::string& name, const Value& value, std::uint32_t type) {
    return Write<AnsiCalls>(api, root, path, name, value, type, IfMissing::kCreate);
}

reg::Status WriteValueCreatingKey(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                  const std::u16string& name, const Value& value,
                                  std::uint32_t type) {
    return Write<WideCalls>(api, root, path, name, value, type, IfMissing::kCreate);
}

bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::string& name, std::int32_t& out) {
    return ReadInteger<AnsiCalls>(api, root, path, name, out);
}

bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::u16string& name, std::int32_t& out) {
    return ReadInteger<WideCalls>(api, root, path, name, out);
}

bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::string& name, std::string& out) {
    Value temp;
    const std::optional<reg::Status> status = Query<AnsiCalls>(api, root, path, name, temp);
    out = status ? ToText(temp) : "0";
    return status == reg::kSuccess;
}

reg::Status DeleteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                        const std::string& name) {
    return Delete<AnsiCalls>(api, root, path, name);
}

reg::Status DeleteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                        const std::u16string& name) {
    return Delete<WideCalls>(api, root, path, name);
}

}  // namespace modReg
