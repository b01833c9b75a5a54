#include "RegistryStore.h"

#include "text.h"

namespace win32 {

namespace {

constexpr wchar_t keyPath[] = L"Software\\Velmiro\\companion";

}  // namespace

std::optional<std::string> RegistryStore::loadText(const char* key) const {
    const std::wstring name = wide(key);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath, name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(),
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return utf8(value);
}

std::optional<int> RegistryStore::loadInt(const char* key) const {
    DWORD value = 0, bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath, wide(key).c_str(), RRF_RT_REG_DWORD, nullptr,
                     &value, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return static_cast<int>(value);
}

void RegistryStore::storeText(const char* key, const std::string& value) {
    const std::wstring text = wide(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, wide(key).c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RegistryStore::storeInt(const char* key, int value) {
    const auto dword = static_cast<DWORD>(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, wide(key).c_str(), REG_DWORD, &dword, sizeof dword);
}

}  // namespace win32
