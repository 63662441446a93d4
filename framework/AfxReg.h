// Registration of a module's type library and control classes under
// HKEY_CLASSES_ROOT.
#pragma once

#include <windows.h>

#include "framework/Handles.h"

#include <string>
#include <vector>

// Registration flags of AfxOleRegisterControlClass.
constexpr int afxRegInsertable = 0x0001;              // writes the Insertable key
constexpr int afxRegApartmentThreading = 0x0002;      // ThreadingModel "Apartment"

// Registers the type library embedded in the module `hInstance` (or in the
// file `pszFileName` beside it), after checking that its library ID is `tlid`.
// The help directory defaults to the module's folder.
BOOL AfxOleRegisterTypeLib(HINSTANCE hInstance, REFGUID tlid, LPCSTR pszFileName = nullptr,
                           LPCSTR pszHelpDir = nullptr);

// Removes the registration of type library `tlid` with its interfaces'
// entries. A major version of 0 means the registered version (the highest).
// With `bThisPlatformOnly`, only this platform's entry ("win32" or "win64")
// goes: the version key and the interface keys, which the registration of the
// other platform's module writes too, stay.
BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD wVerMajor = 0, WORD wVerMinor = 0, LCID lcid = 0,
                             BOOL bThisPlatformOnly = FALSE);

// Writes the class key of a control and its ProgID key. The user type name is
// string `idTypeName` of the module; the toolbox bitmap is its bitmap
// `idBitmap`.
BOOL AfxOleRegisterControlClass(HINSTANCE hInstance, REFCLSID clsid, LPCSTR pszProgID,
                                UINT idTypeName, UINT idBitmap, int nRegFlags,
                                DWORD dwMiscStatus, REFGUID tlid, WORD wVerMajor,
                                WORD wVerMinor);

// Deletes the class key tree and, when given, the ProgID key tree. Absent keys
// count as removed.
BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR pszProgID);

// Registry helpers, through the ANSI registry functions; every key path is
// relative to `parent`. A `view` of KEY_WOW64_32KEY or KEY_WOW64_64KEY reaches
// that registry view; 0 is the module's own.
namespace afx {
// `guid` in registry form ("{XXXXXXXX-...}"), 38 characters; empty on failure.
bool GuidToString(REFGUID guid, char (&text)[39]);
// The names of the sub-keys of `path`; none when it cannot be opened.
std::vector<std::string> SubKeys(HKEY parent, const std::string& path);
bool KeyExists(HKEY parent, const std::string& path, REGSAM view = 0);
// The default value of `path` as text; empty when absent.
std::string DefaultValue(HKEY parent, const std::string& path);
// Opens `path`, creating it with its parents, for reading and writing; null
// on failure.
unique_hkey CreateKey(HKEY parent, const std::string& path, REGSAM view = 0);
// Creates `path` (with its parents) and, when `value` is given, sets its
// value `name` (the default value for null) to it as REG_SZ.
bool SetKey(HKEY parent, const std::string& path, LPCSTR value, LPCSTR name = nullptr, REGSAM view = 0);
// Deletes `subkey` of `parent` with everything under it; an absent key is
// success.
bool DeleteKeyTree(HKEY parent, LPCSTR subkey, REGSAM view = 0);
// The registry view of modules of the other width: on 64-bit Windows, the
// 32-bit view for a 64-bit module and the 64-bit view for a 32-bit one; 0 on
// 32-bit Windows, which has one view.
REGSAM OtherRegistryView();
}  // namespace afx
