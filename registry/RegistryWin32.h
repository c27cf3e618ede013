// The registry seam on the real advapi32 calls.
#pragma once
#include "registry/RegistryApi.h"

namespace reg {

class RegistryWin32 final : public RegistryApi {
  public:
    Status RegOpenKeyExA(Key key, const char* subKey, std::uint32_t options,
                         std::uint32_t samDesired, Key* result) override;
    Status RegCreateKeyExA(Key key, const char* subKey, std::uint32_t reserved,
                           const char* keyClass, std::uint32_t options, std::uint32_t samDesired,
                           const void* securityAttributes, Key* result,
                           std::uint32_t* disposition) override;
    Status RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                            std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* dataSize) override;
    Status RegSetValueExA(Key key, const char* valueName, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t dataSize) override;
    Status RegDeleteValueA(Key key, const char* valueName) override;
    Status RegEnumValueA(Key key, std::uint32_t index, char* valueName,
                         std::uint32_t* valueNameSize, std::uint32_t* reserved, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* dataSize) override;
    Status RegCloseKey(Key key) override;

    Status RegOpenKeyExW(Key key, const char16_t* subKey, std::uint32_t options,
                         std::uint32_t samDesired, Key* result) override;
    Status RegCreateKeyExW(Key key, const char16_t* subKey, std::uint32_t reserved,
                           const char16_t* keyClass, std::uint32_t options,
                           std::uint32_t samDesired, const void* securityAttributes, Key* result,
                           std::uint32_t* disposition) override;
    Status RegQueryValueExW(Key key, const char16_t* valueName, std::uint32_t* reserved,
                            std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* dataSize) override;
    Status RegSetValueExW(Key key, const char16_t* valueName, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t dataSize) override;
    Status RegDeleteValueW(Key key, const char16_t* valueName) override;
    Status RegEnumValueW(Key key, std::uint32_t index, char16_t* valueName,
                         std::uint32_t* valueNameSize, std::uint32_t* reserved, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* dataSize) override;
    Status RegDeleteKeyW(Key key, const char16_t* subKey) override;
};

}  // namespace reg
