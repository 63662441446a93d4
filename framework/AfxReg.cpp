// Type library and control class registration under HKEY_CLASSES_ROOT,
// through the ANSI registry functions.
#include "framework/AfxReg.h"

#include "framework/Handles.h"
#include "framework/Registry.h"

#include <objbase.h>
#include <oleauto.h>

// ---- Type library ---------------------------------------------------------

namespace {

const HKEY kRoot = HKEY_CLASSES_ROOT;

#ifdef _WIN64
const SYSKIND kSysKind = SYS_WIN64;
const char kSysKindName[] = "win64";
#else
const SYSKIND kSysKind = SYS_WIN32;
const char kSysKindName[] = "win32";
#endif

// Wide text for the system's type library calls.
using WideText = wchar_t[MAX_PATH * 2];

bool Widen(LPCSTR text, WideText& wide)
{
    return ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH * 2) != 0;
}

// The library's file and help directory: the module, or `pszFileName`
// beside it; the help directory defaults to the module's folder.
bool TypeLibPaths(HINSTANCE hInstance, LPCSTR pszFileName, LPCSTR pszHelpDir, WideText& file, WideText& help)
{
    const DWORD n = ::GetModuleFileNameW(hInstance, file, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    DWORD folder = n;  // the folder's length, its separator included
    while (folder > 0 && file[folder - 1] != L'\\' && file[folder - 1] != L'/')
        --folder;
    ::lstrcpynW(help, file, static_cast<int>(folder > 3 ? folder : folder + 1));  // "C:\dir", not "C:\dir\"
    if (pszFileName) {
        WideText name;
        if (!Widen(pszFileName, name) || folder + ::lstrlenW(name) >= MAX_PATH * 2)
            return false;
        ::lstrcpyW(file + folder, name);
    }
    return !pszHelpDir || Widen(pszHelpDir, help);
}

// `text` of hexadecimal digits only, at most `digits` of them.
bool ParseHex(const std::string& text, size_t digits, unsigned long& out)
{
    if (text.empty() || text.size() > digits)
        return false;
    unsigned long n = 0;
    for (char c : text) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0)
            return false;
        n = n * 16 + static_cast<unsigned long>(d);
    }
    out = n;
    return true;
}

// Lower-case hexadecimal, as the type library's keys are named.
std::string Hex(unsigned long n)
{
    std::string text;
    do {
        text.insert(text.begin(), "0123456789abcdef"[n & 15]);
        n >>= 4;
    } while (n);
    return text;
}

// The highest version registered under TypeLib\{libid}, from its
// "major.minor" sub-keys (hexadecimal).
bool RegisteredVersion(const char* libid, WORD* major, WORD* minor)
{
    bool found = false;
    for (const std::string& name : afx::SubKeys(kRoot, std::string("TypeLib\\") + libid)) {
        const size_t dot = name.find('.');
        unsigned long maj = 0, min = 0;
        if (dot == std::string::npos || !ParseHex(name.substr(0, dot), 4, maj) || !ParseHex(name.substr(dot + 1), 4, min))
            continue;
        if (!found || maj > *major || (maj == *major && min > *minor)) {
            *major = static_cast<WORD>(maj);
            *minor = static_cast<WORD>(min);
            found = true;
        }
    }
    return found;
}

// "<version key>\<lcid>\win64": the entry naming the library's file.
std::string LocaleKey(const std::string& versionKey, unsigned long lcid)
{
    return versionKey + "\\" + Hex(lcid) + "\\" + kSysKindName;
}

// The locales to remove: `lcid` when registered for this platform; for
// locale 0, every locale the version is registered under (a library built
// for one locale registers under that locale's key).
std::vector<LCID> LocalesToRemove(const std::string& versionKey, LCID lcid)
{
    if (afx::KeyExists(kRoot, LocaleKey(versionKey, lcid)))
        return {lcid};
    std::vector<LCID> locales;
    if (lcid != 0)
        return locales;
    for (const std::string& name : afx::SubKeys(kRoot, versionKey)) {
        unsigned long value = 0;
        if (ParseHex(name, 8, value) && afx::KeyExists(kRoot, LocaleKey(versionKey, value)))
            locales.push_back(static_cast<LCID>(value));
    }
    return locales;
}

// Deletes `localeKey` ("<version key>\\<lcid>\\<platform>"), the locale key
// when it is left empty, and the version key (with FLAGS and HELPDIR) and the
// library key when no other locale or platform remains.
void RemoveLocaleEntries(const std::string& versionKey, const std::string& localeKey)
{
    ::RegDeleteKeyA(kRoot, localeKey.c_str());
    ::RegDeleteKeyA(kRoot, localeKey.substr(0, localeKey.rfind('\\')).c_str());  // fails unless empty
    if (!afx::KeyExists(kRoot, versionKey))
        return;
    for (const std::string& name : afx::SubKeys(kRoot, versionKey))
        if (::lstrcmpiA(name.c_str(), "FLAGS") != 0 && ::lstrcmpiA(name.c_str(), "HELPDIR") != 0)
            return;  // another locale is still registered
    afx::DeleteKeyTree(kRoot, versionKey.c_str());
    ::RegDeleteKeyA(kRoot, versionKey.substr(0, versionKey.rfind('\\')).c_str());
}

// Deletes `localeKey` ("<version key>\\<lcid>\\<platform>") and the locale key
// when it is left empty; the version key stays. The system's unregistration
// is not used here: it removes the interface keys of both registry views.
bool RemovePlatformEntry(const std::string& localeKey)
{
    ::RegDeleteKeyA(kRoot, localeKey.c_str());
    ::RegDeleteKeyA(kRoot, localeKey.substr(0, localeKey.rfind('\\')).c_str());  // fails unless empty
    return !afx::KeyExists(kRoot, localeKey);
}

// The dispatch and automation interfaces of the library in `file`; false
// when it cannot be loaded.
bool InterfacesOfFile(const std::string& file, std::vector<std::string>* iids)
{
    afx::com_ptr<ITypeLib> lib;
    WideText wide;
    if (file.empty() || !Widen(file.c_str(), wide) || FAILED(::LoadTypeLibEx(wide, REGKIND_NONE, lib.put())))
        return false;
    for (UINT i = 0, n = lib->GetTypeInfoCount(); i < n; ++i) {
        afx::com_ptr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(lib->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr)))
            continue;
        char text[39];
        if ((attr->typekind == TKIND_DISPATCH ||
             (attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION))) &&
            afx::GuidToString(attr->guid, text))
            iids->push_back(text);
        info->ReleaseTypeAttr(attr);
    }
    return true;
}

// Whether Interface\{iid}\TypeLib names library `libid` at `version` (or no
// version).
bool BoundTo(const std::string& iid, const char* libid, const char* version)
{
    afx::unique_hkey typeLib;
    if (::RegOpenKeyExA(kRoot, ("Interface\\" + iid + "\\TypeLib").c_str(), 0, KEY_READ,
                        typeLib.put()) != ERROR_SUCCESS)
        return false;
    char value[64], ver[16];
    DWORD valueLen = sizeof value, verLen = sizeof ver, type = 0;
    if (::RegQueryValueExA(typeLib.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value),
                           &valueLen) != ERROR_SUCCESS ||
        type != REG_SZ || ::lstrcmpiA(value, libid) != 0)
        return false;
    // Bound to another version?
    return ::RegQueryValueExA(typeLib.get(), "Version", nullptr, &type, reinterpret_cast<BYTE*>(ver),
                              &verLen) != ERROR_SUCCESS ||
           type != REG_SZ || ::lstrcmpiA(ver, version) == 0;
}

// The interfaces ("{iid}") that registering the library bound to it: its
// dispatch and automation interfaces, from the file `localeKey` names; when
// that file cannot be loaded, the Interface keys whose TypeLib entry names
// this library and version.
std::vector<std::string> BoundInterfaces(const std::string& localeKey, const char* libid,
                                         const char* version)
{
    std::vector<std::string> iids;
    if (InterfacesOfFile(afx::DefaultValue(kRoot, localeKey), &iids))
        return iids;
    for (const std::string& iid : afx::SubKeys(kRoot, "Interface"))
        if (BoundTo(iid, libid, version))
            iids.push_back(iid);
    return iids;
}

// Removes one locale's registration of the library and the interface keys
// bound to it; false when either remains.
bool UnregisterLocale(REFGUID tlid, WORD major, WORD minor, LCID locale, const char* libid,
                      const char* version, const std::string& versionKey)
{
    // The interfaces are read before the entry that names the file goes.
    const std::string localeKey = LocaleKey(versionKey, locale);
    std::vector<std::string> interfaces = BoundInterfaces(localeKey, libid, version);
    HRESULT hr = ::UnRegisterTypeLib(tlid, major, minor, locale, kSysKind);
    // It refuses when the file can no longer be loaded: remove the library's
    // entries here then.
    if (FAILED(hr) && afx::KeyExists(kRoot, localeKey))
        RemoveLocaleEntries(versionKey, localeKey);
    bool ok = !afx::KeyExists(kRoot, localeKey);
    // UnRegisterTypeLib stops at the first interface key it cannot open and
    // skips them all when it cannot load the file: remove whatever is still
    // bound to this library.
    for (const std::string& iid : interfaces) {
        const std::string key = "Interface\\" + iid;
        if (::lstrcmpiA(afx::DefaultValue(kRoot, key + "\\TypeLib").c_str(), libid) == 0)
            ok = afx::DeleteKeyTree(kRoot, key.c_str()) && ok;
    }
    return ok;
}

}  // namespace

BOOL AfxOleRegisterTypeLib(HINSTANCE hInstance, REFGUID tlid, LPCSTR pszFileName,
                           LPCSTR pszHelpDir)
{
    WideText file, help;
    if (!TypeLibPaths(hInstance, pszFileName, pszHelpDir, file, help))
        return FALSE;
    afx::com_ptr<ITypeLib> lib;
    if (FAILED(::LoadTypeLibEx(file, REGKIND_NONE, lib.put())))
        return FALSE;
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr)))
        return FALSE;
    bool same = ::IsEqualGUID(attr->guid, tlid) != 0;
    lib->ReleaseTLibAttr(attr);
    if (!same)
        return FALSE;
    return SUCCEEDED(::RegisterTypeLib(lib.get(), file, help));
}

BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD wVerMajor, WORD wVerMinor, LCID lcid,
                             BOOL bThisPlatformOnly)
{
    char libid[39];
    if (!afx::GuidToString(tlid, libid))
        return FALSE;
    if (wVerMajor == 0 && !RegisteredVersion(libid, &wVerMajor, &wVerMinor))
        return TRUE;  // nothing registered
    const std::string version = Hex(wVerMajor) + "." + Hex(wVerMinor);
    const std::string versionKey = std::string("TypeLib\\") + libid + "\\" + version;
    bool ok = true;
    // None when the version is not registered for this platform.
    for (LCID locale : LocalesToRemove(versionKey, lcid))
        ok = (bThisPlatformOnly ? RemovePlatformEntry(LocaleKey(versionKey, locale))
                                : UnregisterLocale(tlid, wVerMajor, wVerMinor, locale, libid, version.c_str(), versionKey)) &&
             ok;
    return ok ? TRUE : FALSE;
}

// ---- Control class --------------------------------------------------------

namespace {

// One registry entry of a class: the key, and the value to set (none for a
// key that only has to exist) under `name` (the default value for null).
struct ClassEntry {
    std::string key;
    std::string value;
    bool hasValue;
    LPCSTR name;
};

// What a class's entries name, as text.
struct ClassText {
    const char* clsid;
    const char* module;
    const char* typeName;
    const char* libid;
};

// The class key's and the ProgID key's entries, in the order they are written.
std::vector<ClassEntry> ClassEntries(const ClassText& text, const AFX_CONTROL_CLASS& cls, const AFX_TYPELIB_VERSION& lib)
{
    const std::string bitmap = std::string(text.module) + ", " + std::to_string(cls.idBitmap);
    const std::string miscText = std::to_string(cls.dwMiscStatus);
    const std::string version = std::to_string(lib.wVerMajor) + "." + std::to_string(lib.wVerMinor);
    const std::string key = std::string("CLSID\\") + text.clsid;
    const LPCSTR progID = cls.pszProgID;
    const int flags = cls.nRegFlags;
    std::vector<ClassEntry> e = {{key, text.typeName, true, nullptr}, {key + "\\InprocServer32", text.module, true, nullptr}};
    if (flags & afxRegApartmentThreading)
        e.push_back({key + "\\InprocServer32", "Apartment", true, "ThreadingModel"});
    if (progID)
        e.push_back({key + "\\ProgID", progID, true, nullptr});
    e.push_back({key + "\\Control", "", false, nullptr});
    if (flags & afxRegInsertable)
        e.push_back({key + "\\Insertable", "", false, nullptr});
    e.insert(e.end(), {{key + "\\ToolboxBitmap32", bitmap, true, nullptr},
                       {key + "\\MiscStatus", "0", true, nullptr},
                       {key + "\\MiscStatus\\1", miscText, true, nullptr},
                       {key + "\\TypeLib", text.libid, true, nullptr},
                       {key + "\\Version", version, true, nullptr},
                       // "Controls": written directly, so that unregistration
                       // leaves no Component Categories entries behind.
                       {key + "\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}", "", false, nullptr}});
    if (!progID)
        return e;
    e.insert(e.end(), {{progID, text.typeName, true, nullptr}, {std::string(progID) + "\\CLSID", text.clsid, true, nullptr}});
    if (flags & afxRegInsertable)
        e.push_back({std::string(progID) + "\\Insertable", "", false, nullptr});
    return e;
}

}  // namespace

BOOL AfxOleRegisterControlClass(HINSTANCE hInstance, const AFX_CONTROL_CLASS& cls, const AFX_TYPELIB_VERSION& lib)
{
    char clsidText[39], libid[39];
    if (!afx::GuidToString(*cls.clsid, clsidText) || !afx::GuidToString(*lib.tlid, libid))
        return FALSE;
    char module[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(hInstance, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    char typeName[256];
    if (::LoadStringA(hInstance, cls.idTypeName, typeName, sizeof typeName) <= 0)
        return FALSE;
    for (const ClassEntry& e : ClassEntries({clsidText, module, typeName, libid}, cls, lib)) {
        if (!afx::SetKey(kRoot, e.key, e.hasValue ? e.value.c_str() : nullptr, e.name)) {
            AfxOleUnregisterClass(*cls.clsid, cls.pszProgID, cls.pszKeep);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR pszProgID, LPCSTR pszKeep)
{
    char clsidText[39];
    if (!afx::GuidToString(clsid, clsidText))
        return FALSE;
    bool ok = afx::DeleteKeyTree(kRoot, (std::string("CLSID\\") + clsidText).c_str(), 0, pszKeep);
    if (pszProgID && *pszProgID)
        ok = afx::DeleteKeyTree(kRoot, pszProgID) && ok;
    return ok ? TRUE : FALSE;
}
