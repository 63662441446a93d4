// The plug-in key under HKCR\CLSID\{clsid}\Node.
#include "module/PluginKey.h"

#include "framework/Handles.h"
#include "framework/Registry.h"

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

// "CLSID\{clsid}\Node"; empty unless the class ID formats as the 39
// characters of its registry form (with the NUL).
std::string PluginKeyPath(REFCLSID clsid)
{
    char text[39];
    if (!afx::GuidToString(clsid, text))
        return std::string();
    return std::string("CLSID\\") + text + "\\" + kPluginKeyName;
}

}  // namespace

BOOL WriteKeyTable(HKEY hKey, const CPluginKeyRow* pRows, BOOL bOverwrite)
{
    for (const CPluginKeyRow* row = pRows; row->pszSubKey; ++row) {
        if (!bOverwrite && afx::KeyExists(hKey, row->pszSubKey))
            continue;
        if (!afx::SetKey(hKey, row->pszSubKey, row->pszValue))
            return FALSE;
    }
    return TRUE;
}

BOOL WritePluginKey(REFCLSID clsid)
{
    const std::string path = PluginKeyPath(clsid);
    const afx::unique_hkey key = path.empty() ? afx::unique_hkey() : afx::CreateKey(HKEY_CLASSES_ROOT, path);
    if (!key)
        return FALSE;
    return WriteKeyTable(key.get(), g_PluginKeyTable, TRUE);
}

// The table's sub-keys, then the key itself unless something else is left
// in it; an absent key is success and stays absent.
BOOL RemovePluginKey(REFCLSID clsid)
{
    const std::string path = PluginKeyPath(clsid);
    if (path.empty())
        return FALSE;
    if (!afx::KeyExists(HKEY_CLASSES_ROOT, path))
        return TRUE;
    for (const CPluginKeyRow* row = g_PluginKeyTable; row->pszSubKey; ++row)
        afx::DeleteKeyTree(HKEY_CLASSES_ROOT, (path + "\\" + row->pszSubKey).c_str());  // results ignored
    if (afx::SubKeys(HKEY_CLASSES_ROOT, path).empty())
        afx::DeleteKeyTree(HKEY_CLASSES_ROOT, path.c_str());
    return TRUE;
}

BOOL PluginKeyHeldByOthers(REFCLSID clsid)
{
    const std::string path = PluginKeyPath(clsid);
    if (path.empty())
        return FALSE;
    for (const std::string& name : afx::SubKeys(HKEY_CLASSES_ROOT, path)) {
        const CPluginKeyRow* row = g_PluginKeyTable;
        while (row->pszSubKey && ::lstrcmpiA(row->pszSubKey, name.c_str()) != 0)  // names match as the registry does
            ++row;
        if (!row->pszSubKey)
            return TRUE;
    }
    return FALSE;
}
