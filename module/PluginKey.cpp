// The plug-in key under HKCR\CLSID\{clsid}\Node.
#include "module/PluginKey.h"

#include "framework/AfxReg.h"
#include "framework/Handles.h"

#include <cstdio>
#include <string>

CPluginKeyRow g_PluginKeyTable[] = {
    {"ProgramID", "Generic Node"},  // set to kNodeProgramID at every registry update
    {"TestID", "%1"},
    {nullptr, nullptr},
};

void SetPluginProgramID(LPCSTR pszValue)
{
    g_PluginKeyTable[0].pszValue = pszValue;
}

namespace {

constexpr char kPluginKeyName[] = "Node";

// "CLSID\{clsid}\Node"; empty unless the class ID formats as the 39
// characters of its registry form (with the NUL).
std::string PluginKeyPath(REFCLSID clsid)
{
    char text[39];
    if (!afx::GuidToString(clsid, text))
        return std::string();
    char path[128];
    std::snprintf(path, sizeof path, "CLSID\\%s\\%s", text, kPluginKeyName);
    return path;
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
        if (!afx::SetKey(hKey, row->pszSubKey, row->pszValue))
            return FALSE;
    }
    return TRUE;
}

BOOL WritePluginKey(REFCLSID clsid)
{
    const std::string path = PluginKeyPath(clsid);
    if (path.empty())
        return FALSE;
    afx::unique_hkey key;
    if (::RegCreateKeyA(HKEY_CLASSES_ROOT, path.c_str(), key.put()) != ERROR_SUCCESS)
        return FALSE;
    return WriteKeyTable(key.get(), g_PluginKeyTable, TRUE);
}

BOOL RemovePluginKey(REFCLSID clsid)
{
    const std::string path = PluginKeyPath(clsid);
    if (path.empty())
        return FALSE;
    // Opened, not created: creating an absent key to delete it again would
    // leave an empty class key behind.
    afx::unique_hkey key;
    if (::RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), key.put()) != ERROR_SUCCESS)
        return TRUE;
    for (const CPluginKeyRow* row = g_PluginKeyTable; row->pszSubKey; ++row)
        ::RegDeleteKeyA(key.get(), row->pszSubKey);  // results ignored
    key.reset();
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
    return TRUE;
}
