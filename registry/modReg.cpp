#include "registry/modReg.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

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

reg::Status SetTypedValue(reg::RegistryApi& api, reg::Key handle, const std::string& name,
                          std::uint32_t type, const Value& value) {
    switch (type) {
        case reg::kRegSz: {
            const std::string text = ToText(value);
            // c_str() supplies the NUL that the size counts.
            return api.RegSetValueExA(handle, name.c_str(), 0, reg::kRegSz,
                                      reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                      static_cast<std::uint32_t>(text.size() + 1));
        }
        case reg::kRegBinary: {
            const std::string bytes = ToText(value);
            return api.RegSetValueExA(handle, name.c_str(), 0, reg::kRegBinary,
                                      reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      static_cast<std::uint32_t>(bytes.size()));
        }
        case reg::kRegDword: {
            const std::optional<std::int32_t> number = ToInteger(value);
            if (!number) return reg::kInvalidParameter;
            const auto bits = static_cast<std::uint32_t>(*number);
            const std::uint8_t bytes[4] = {std::uint8_t(bits), std::uint8_t(bits >> 8),
                                           std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
            return api.RegSetValueExA(handle, name.c_str(), 0, reg::kRegDword, bytes, 4);
        }
        default:
            return reg::kInvalidParameter;
    }
}

reg::Status QueryTypedValue(reg::RegistryApi& api, reg::Key handle, const std::string& name,
                            Value& out) {
    std::uint32_t type = reg::kRegNone;
    std::uint32_t size = 0;
    reg::Status status = api.RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size);
    if (status != reg::kSuccess) return status;
    switch (type) {
        case reg::kRegSz:
        case reg::kRegBinary: {
            if (size == 0) return reg::kSuccess;
            std::vector<std::uint8_t> buffer(size, 0);
            status =
                api.RegQueryValueExA(handle, name.c_str(), nullptr, &type, buffer.data(), &size);
            if (status != reg::kSuccess) {
                out = std::monostate{};
                return status;
            }
            std::size_t length = std::min<std::size_t>(size, buffer.size());
            // A REG_SZ ends at its NUL; some writers store more than one, or
            // none at all, and neither should reach the text.
            if (type == reg::kRegSz) {
                const void* nul = std::memchr(buffer.data(), 0, length);
                if (nul != nullptr) length = static_cast<const std::uint8_t*>(nul) - buffer.data();
            }
            out = std::string(buffer.begin(), buffer.begin() + length);
            return status;
        }
        case reg::kRegDword: {
            // Any other size would not be a 32-bit number, or would not fit
            // the four bytes given for it.
            if (size != 4) return kUnhandledType;
            std::uint8_t bytes[4] = {};
            status = api.RegQueryValueExA(handle, name.c_str(), nullptr, &type, bytes, &size);
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

namespace {

enum class IfMissing { kLeave, kCreate };

reg::Status Write(reg::RegistryApi& api, reg::Key root, const std::string& path,
                  const std::string& name, const Value& value, std::uint32_t type,
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
    return SetTypedValue(api, key.get(), name, type, value);
}

}  // namespace

reg::Status WriteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                       const std::string& name, const Value& value, std::uint32_t type) {
    return Write(api, root, path, name, value, type, IfMissing::kLeave);
}

reg::Status WriteValueCreatingKey(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                  const std::string& name, const Value& value, std::uint32_t type) {
    return Write(api, root, path, name, value, type, IfMissing::kCreate);
}

namespace {
// Opens for reading and queries; nullopt when the key cannot be opened.
std::optional<reg::Status> Query(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                 const std::string& name, Value& temp) {
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeyQueryValue);
    if (!key) return std::nullopt;
    return QueryTypedValue(api, key.get(), name, temp);
}
}  // namespace

bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::string& name, std::int32_t& out) {
    Value temp;
    const std::optional<reg::Status> status = Query(api, root, path, name, temp);
    const std::optional<std::int32_t> number = ToInteger(temp);
    out = status && number ? *number : 0;
    return status == reg::kSuccess && number.has_value();
}

bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::string& name, std::string& out) {
    Value temp;
    const std::optional<reg::Status> status = Query(api, root, path, name, temp);
    out = status ? ToText(temp) : "0";
    return status == reg::kSuccess;
}

reg::Status DeleteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                        const std::string& name) {
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(api, root, path, reg::kKeySetValue, &status);
    if (!key) return status;
    return api.RegDeleteValueA(key.get(), name.c_str());
}

}  // namespace modReg
