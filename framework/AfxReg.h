// Registration of a module's type library and control classes under
// HKEY_CLASSES_ROOT.
#pragma once

#include <windows.h>

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

// A control class as its registration names it.
struct AFX_CONTROL_CLASS {
    const CLSID* clsid;
    LPCSTR pszProgID;     // null: no ProgID key
    UINT idTypeName;      // the module's string: the user type name
    UINT idBitmap;        // the module's bitmap: the toolbox bitmap
    int nRegFlags;        // afxRegInsertable, afxRegApartmentThreading
    DWORD dwMiscStatus;   // for the content aspect
    LPCSTR pszKeep;       // a sub-key of the class key not the class's own: a
                          // registration that fails leaves it (AfxOleUnregisterClass)
};

// The type library a class names, at its version.
struct AFX_TYPELIB_VERSION {
    const GUID* tlid;
    WORD wVerMajor;
    WORD wVerMinor;
};

// Writes the class key of control class `cls` of the module `hInstance`, and
// its ProgID key; when a write fails, removes them again.
BOOL AfxOleRegisterControlClass(HINSTANCE hInstance, const AFX_CONTROL_CLASS& cls, const AFX_TYPELIB_VERSION& lib);

// Deletes the class key tree and, when given, the ProgID key tree. Absent keys
// count as removed. A sub-key `pszKeep` of the class key stays when it is
// there, with what it holds; the class key then stays as its parent, emptied
// of everything else.
BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR pszProgID, LPCSTR pszKeep = nullptr);
