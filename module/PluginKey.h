// The plug-in key "Node" under the control's class key: it names the program
// identifier of the node type the plug-in serves, so the host can find it.
#pragma once

#include <windows.h>

// One row of a key table: a sub-key and its default value. A table ends with
// a row whose sub-key is null.
struct CPluginKeyRow {
    LPCSTR pszSubKey;
    LPCSTR pszValue;
};

// The plug-in key's name under the class key.
constexpr char kPluginKeyName[] = "Node";

// The node program identifier: eight bytes in upper-case hexadecimal,
// separated by single blanks.
constexpr char kNodeProgramID[] = "94 56 4E 58 5F 30 31 41";

// The plug-in key table: "ProgramID" (a settable slot) and "TestID" ("%1",
// stored unexpanded).
extern CPluginKeyRow g_PluginKeyTable[];

// Puts `pszValue` into the ProgramID slot of the table; the table keeps the
// pointer.
void SetPluginProgramID(LPCSTR pszValue);

// Sets the default value of each row's sub-key of `hKey` (creating it) as
// REG_SZ. Without `bOverwrite`, a row whose sub-key already has a default
// value is skipped. FALSE at the first failed write.
BOOL WriteKeyTable(HKEY hKey, const CPluginKeyRow* pRows, BOOL bOverwrite);

// Writes HKCR\CLSID\{clsid}\Node with the table's rows, always overwriting;
// creates the class key if absent. The caller sets the ProgramID slot first.
BOOL WritePluginKey(REFCLSID clsid);

// Removes the table's sub-keys of HKCR\CLSID\{clsid}\Node, then the key unless
// something else is left in it. An absent key is success.
BOOL RemovePluginKey(REFCLSID clsid);

// Whether the plug-in key holds a sub-key the table does not name: another
// tool's, which stays when the module's registration goes.
BOOL PluginKeyHeldByOthers(REFCLSID clsid);
