// Registry helpers, through the ANSI registry functions.
#include "framework/Registry.h"

#include <objbase.h>

#include <cstring>

namespace afx {

bool GuidToString(REFGUID guid, char (&text)[39])
{
    text[0] = '\0';
    wchar_t wide[39];
    if (::StringFromGUID2(guid, wide, 39) != 39)
        return false;
    for (int i = 0; i < 39; ++i)
        text[i] = static_cast<char>(wide[i]);  // braces, hex digits, hyphens: ASCII
    return true;
}

std::vector<std::string> SubKeys(HKEY parent, const std::string& path)
{
    std::vector<std::string> names;
    unique_hkey key;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[256];  // the longest key name is 255 characters
        DWORD len = sizeof name;
        if (::RegEnumKeyExA(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return names;
        names.emplace_back(name, len);
    }
}

bool KeyExists(HKEY parent, const std::string& path, REGSAM view)
{
    unique_hkey key;
    return ::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

std::string DefaultValue(HKEY parent, const std::string& path)
{
    char value[MAX_PATH * 2];
    LONG len = sizeof value;
    if (::RegQueryValueA(parent, path.c_str(), value, &len) != ERROR_SUCCESS)
        return std::string();
    return value;
}

unique_hkey CreateKey(HKEY parent, const std::string& path, REGSAM view)
{
    unique_hkey key;
    if (::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | view, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

bool SetKey(HKEY parent, const std::string& path, LPCSTR value, LPCSTR name, REGSAM view)
{
    const unique_hkey key = CreateKey(parent, path, view);
    if (!key)
        return false;
    if (!value)
        return true;
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

namespace {

// Deletes every value of `key`.
bool DeleteValues(HKEY key)
{
    for (;;) {
        char name[16384];  // the longest value name is 16,383 characters
        DWORD len = sizeof name;
        const LONG rc = ::RegEnumValueA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            return true;
        if (rc != ERROR_SUCCESS || ::RegDeleteValueA(key, name) != ERROR_SUCCESS)
            return false;
    }
}

}  // namespace

bool DeleteKeyTree(HKEY parent, LPCSTR subkey, REGSAM view, LPCSTR keep)
{
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(parent, subkey, 0, KEY_READ | KEY_WRITE | view, key.put());
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    if (rc != ERROR_SUCCESS)
        return false;
    const bool keeping = keep && KeyExists(key.get(), keep);
    // The children of an opened key are in its view.
    for (const std::string& child : SubKeys(key.get(), std::string()))
        if (!(keeping && ::lstrcmpiA(child.c_str(), keep) == 0) && !DeleteKeyTree(key.get(), child.c_str()))
            return false;
    if (keeping)
        return DeleteValues(key.get());
    key.reset();
    rc = view ? ::RegDeleteKeyExA(parent, subkey, view, 0) : ::RegDeleteKeyA(parent, subkey);
    return rc == ERROR_SUCCESS;
}

REGSAM OtherRegistryView()
{
#ifdef _WIN64
    return KEY_WOW64_32KEY;
#else
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY : 0;
#endif
}

}  // namespace afx
