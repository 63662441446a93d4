// The plug-in key under HKCR\CLSID\{clsid}\Node.
#include "module/PluginKey.h"

#include "framework/Handles.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>

CPluginKeyRow g_PluginKeyTable[] = {
    {"ProgramID", "Generic Node"},  // set to kNodeProgramID before every use
    {"TestID", "%1"},
    {nullptr, nullptr},
};

void SetPluginProgramID(LPCSTR pszValue)
{
    g_PluginKeyTable[0].pszValue = pszValue;
}

namespace {

constexpr char kPluginKeyName[] = "Node";

// "CLSID\{clsid}\Node" into `path`; false unless the class ID formats as the
// 39 characters of its registry form (with the NUL).
bool PluginKeyPath(REFCLSID clsid, char (&path)[128])
{
    wchar_t wide[64];
    if (::StringFromGUID2(clsid, wide, 64) != 39)
        return false;
    char text[39];
    for (int i = 0; i < 39; ++i)
        text[i] = static_cast<char>(wide[i]);  // ASCII only
    std::snprintf(path, sizeof path, "CLSID\\%s\\%s", text, kPluginKeyName);
    return true;
}

}  // namespace

BOOL WriteKeyTable(HKEY hKey, const CPluginKeyRow* pRows, BOOL bOverwrite)
{
    for (const CPluginKeyRow* row = pRows; row->pszSubKey; ++row) {
        if (!bOverwrite) {
            char existing[256];
            LONG len = sizeof existing;
            if (::RegQueryValueA(hKey, row->pszSubKey, existing, &len) == ERROR_SUCCESS)
                continue;
        }
        if (::RegSetValueA(hKey, row->pszSubKey, REG_SZ, row->pszValue,
                           static_cast<DWORD>(std::strlen(row->pszValue))) != ERROR_SUCCESS)
            return FALSE;
    }
    return TRUE;
}

BOOL WritePluginKey(REFCLSID clsid)
{
    SetPluginProgramID(kNodeProgramID);
    char path[128];
    if (!PluginKeyPath(clsid, path))
        return FALSE;
    afx::unique_hkey key;
    if (::RegCreateKeyA(HKEY_CLASSES_ROOT, path, key.put()) != ERROR_SUCCESS)
        return FALSE;
    return WriteKeyTable(key.get(), g_PluginKeyTable, TRUE);
}

BOOL RemovePluginKey(REFCLSID clsid)
{
    SetPluginProgramID(kNodeProgramID);
    char path[128];
    if (!PluginKeyPath(clsid, path))
        return FALSE;
    // Opened, not created: creating an absent key to delete it again would
    // leave an empty class key behind.
    afx::unique_hkey key;
    if (::RegOpenKeyA(HKEY_CLASSES_ROOT, path, key.put()) != ERROR_SUCCESS)
        return TRUE;
    for (const CPluginKeyRow* row = g_PluginKeyTable; row->pszSubKey; ++row)
        ::RegDeleteKeyA(key.get(), row->pszSubKey);
    key.reset();
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, path);
    return TRUE;
}
