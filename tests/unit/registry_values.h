// Raw access to the test program's profile: values of any type, as a hand edit or another program
// may leave them, and what the program wrote, read back without the framework.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

constexpr char kTestRoot[] = "Software\\VorkelTests";
constexpr char kTestSection[] = "Software\\VorkelTests\\CadroUnitTests\\MAIN";

struct RawValue {
    DWORD type;
    std::string bytes;
};

inline void PutRaw(const char* entry, DWORD type, const void* data, DWORD size, HKEY root = HKEY_CURRENT_USER,
                   const char* path = kTestSection) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, entry, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

inline void PutDword(const char* entry, DWORD value) { PutRaw(entry, REG_DWORD, &value, sizeof value); }

// A REG_SZ with its terminating zero, as the system writes one.
inline void PutText(const char* entry, const std::string& text) {
    PutRaw(entry, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline std::optional<RawValue> GetRaw(const char* entry, HKEY root = HKEY_CURRENT_USER,
                                      const char* path = kTestSection) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value{};
    DWORD size = 0;
    std::optional<RawValue> result;
    if (::RegQueryValueExA(key, entry, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (::RegQueryValueExA(key, entry, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()),
                               &size) == ERROR_SUCCESS) {
            value.bytes.resize(size);
            result = value;
        }
    }
    ::RegCloseKey(key);
    return result;
}

inline bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// The program's full path as the system gives it, for comparisons.
inline std::string TestProgramPath() {
    std::string path(32768, '\0');
    path.resize(::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}
