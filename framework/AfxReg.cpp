// Type library and control class registration under HKEY_CLASSES_ROOT,
// through the ANSI registry functions.
#include "framework/AfxReg.h"

#include "framework/Handles.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

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

bool DeleteKeyTree(HKEY parent, LPCSTR subkey)
{
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(parent, subkey, 0, KEY_READ | KEY_WRITE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    if (rc != ERROR_SUCCESS)
        return false;
    // Always the first child: each pass deletes the one it found.
    for (;;) {
        char child[256];
        DWORD len = sizeof child;
        rc = ::RegEnumKeyExA(key.get(), 0, child, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS || !DeleteKeyTree(key.get(), child))
            return false;
    }
    key.reset();
    return ::RegDeleteKeyA(parent, subkey) == ERROR_SUCCESS;
}

}  // namespace afx

namespace {

// Creates HKCR\path (with its parents) and, when `value` is given, sets its
// value `name` (the default value for null) to it as REG_SZ.
bool SetKey(const std::string& path, LPCSTR value, LPCSTR name = nullptr)
{
    afx::unique_hkey key;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    if (!value)
        return true;
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                            static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

// The highest version registered under HKCR\TypeLib\{libid}, from its
// "major.minor" sub-keys (hexadecimal).
bool RegisteredVersion(const char* libid, WORD* major, WORD* minor)
{
    afx::unique_hkey key;
    std::string path = std::string("TypeLib\\") + libid;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    bool found = false;
    for (DWORD i = 0;; ++i) {
        char name[64];
        DWORD len = sizeof name;
        if (::RegEnumKeyExA(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        unsigned maj = 0, min = 0;
        if (std::sscanf(name, "%x.%x", &maj, &min) != 2 || maj > 0xFFFF || min > 0xFFFF)
            continue;
        if (!found || maj > *major || (maj == *major && min > *minor)) {
            *major = static_cast<WORD>(maj);
            *minor = static_cast<WORD>(min);
            found = true;
        }
    }
    return found;
}

bool KeyExists(const std::string& path)
{
    afx::unique_hkey key;
    return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) ==
           ERROR_SUCCESS;
}

#ifdef _WIN64
const SYSKIND kSysKind = SYS_WIN64;
const char kSysKindName[] = "win64";
#else
const SYSKIND kSysKind = SYS_WIN32;
const char kSysKindName[] = "win32";
#endif

// "<version key>\<lcid>\win64": the entry naming the library's file.
std::string LocaleKey(const std::string& versionKey, unsigned long lcid)
{
    char sub[32];
    std::snprintf(sub, sizeof sub, "\\%lx\\%s", lcid, kSysKindName);
    return versionKey + sub;
}

// The default value of HKCR\path; empty when absent.
std::string DefaultValue(const std::string& path)
{
    char value[MAX_PATH * 2];
    LONG len = sizeof value;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, path.c_str(), value, &len) != ERROR_SUCCESS)
        return std::string();
    return value;
}

// Deletes `localeKey` ("<version key>\\<lcid>\\<platform>"), the locale key
// when it is left empty, and the version key (with FLAGS and HELPDIR) and the
// library key when no other locale or platform remains.
void RemoveLocaleEntries(const std::string& versionKey, const std::string& localeKey)
{
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, localeKey.c_str());
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, localeKey.substr(0, localeKey.rfind('\\')).c_str());  // fails unless empty
    {
        afx::unique_hkey key;
        if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, versionKey.c_str(), 0, KEY_READ, key.put()) !=
            ERROR_SUCCESS)
            return;
        for (DWORD i = 0;; ++i) {
            char name[64];
            DWORD len = sizeof name;
            if (::RegEnumKeyExA(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (::lstrcmpiA(name, "FLAGS") != 0 && ::lstrcmpiA(name, "HELPDIR") != 0)
                return;  // another locale is still registered
        }
    }
    afx::DeleteKeyTree(HKEY_CLASSES_ROOT, versionKey.c_str());
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, versionKey.substr(0, versionKey.rfind('\\')).c_str());
}

// The interfaces ("{iid}") that registering the library bound to it: its
// dispatch and automation interfaces, from the file `localeKey` names; when
// that file cannot be loaded, the Interface keys whose TypeLib entry names
// this library and version.
std::vector<std::string> BoundInterfaces(const std::string& localeKey, const char* libid,
                                         const char* version)
{
    std::vector<std::string> iids;
    std::string file = DefaultValue(localeKey);
    wchar_t wide[MAX_PATH * 2];
    afx::com_ptr<ITypeLib> lib;
    if (!file.empty() && ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH * 2) &&
        SUCCEEDED(::LoadTypeLibEx(wide, REGKIND_NONE, lib.put()))) {
        for (UINT i = 0, n = lib->GetTypeInfoCount(); i < n; ++i) {
            afx::com_ptr<ITypeInfo> info;
            TYPEATTR* attr = nullptr;
            if (FAILED(lib->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr)))
                continue;
            char text[39];
            if ((attr->typekind == TKIND_DISPATCH ||
                 (attr->typekind == TKIND_INTERFACE &&
                  (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION))) &&
                afx::GuidToString(attr->guid, text))
                iids.push_back(text);
            info->ReleaseTypeAttr(attr);
        }
        return iids;
    }
    afx::unique_hkey root;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, "Interface", 0, KEY_READ, root.put()) != ERROR_SUCCESS)
        return iids;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD len = sizeof name;
        if (::RegEnumKeyExA(root.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        afx::unique_hkey typeLib;
        if (::RegOpenKeyExA(root.get(), (std::string(name) + "\\TypeLib").c_str(), 0, KEY_READ,
                            typeLib.put()) != ERROR_SUCCESS)
            continue;
        char value[64], ver[16];
        DWORD valueLen = sizeof value, verLen = sizeof ver, type = 0;
        if (::RegQueryValueExA(typeLib.get(), nullptr, nullptr, &type,
                               reinterpret_cast<BYTE*>(value), &valueLen) != ERROR_SUCCESS ||
            type != REG_SZ || ::lstrcmpiA(value, libid) != 0)
            continue;
        if (::RegQueryValueExA(typeLib.get(), "Version", nullptr, &type,
                               reinterpret_cast<BYTE*>(ver), &verLen) == ERROR_SUCCESS &&
            type == REG_SZ && ::lstrcmpiA(ver, version) != 0)
            continue;  // bound to another version
        iids.push_back(name);
    }
    return iids;
}
}  // namespace

BOOL AfxOleRegisterTypeLib(HINSTANCE hInstance, REFGUID tlid, LPCSTR pszFileName,
                           LPCSTR pszHelpDir)
{
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(hInstance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    std::wstring file(path, n);
    std::wstring folder = file.substr(0, file.find_last_of(L"\\/") + 1);
    if (pszFileName) {
        wchar_t name[MAX_PATH];
        if (!::MultiByteToWideChar(CP_ACP, 0, pszFileName, -1, name, MAX_PATH))
            return FALSE;
        file = folder + name;
    }
    std::wstring help;
    if (pszHelpDir) {
        wchar_t dir[MAX_PATH];
        if (!::MultiByteToWideChar(CP_ACP, 0, pszHelpDir, -1, dir, MAX_PATH))
            return FALSE;
        help = dir;
    } else {
        help = folder;
        if (help.size() > 3 && (help.back() == L'\\' || help.back() == L'/'))
            help.pop_back();  // "C:\dir", not "C:\dir\"
    }

    afx::com_ptr<ITypeLib> lib;
    if (FAILED(::LoadTypeLibEx(file.c_str(), REGKIND_NONE, lib.put())))
        return FALSE;
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr)))
        return FALSE;
    bool same = ::IsEqualGUID(attr->guid, tlid) != 0;
    lib->ReleaseTLibAttr(attr);
    if (!same)
        return FALSE;
    return SUCCEEDED(::RegisterTypeLib(lib.get(), &file[0], &help[0]));
}

BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD wVerMajor, WORD wVerMinor, LCID lcid)
{
    char libid[39];
    if (!afx::GuidToString(tlid, libid))
        return FALSE;
    if (wVerMajor == 0 && !RegisteredVersion(libid, &wVerMajor, &wVerMinor))
        return TRUE;  // nothing registered
    char version[16];
    std::snprintf(version, sizeof version, "%x.%x", wVerMajor, wVerMinor);
    const std::string versionKey = std::string("TypeLib\\") + libid + "\\" + version;
    if (!KeyExists(versionKey))
        return TRUE;

    // Locale 0 stands for every locale the version is registered under: a
    // library built for one locale registers under that locale's key.
    std::vector<LCID> locales;
    if (KeyExists(LocaleKey(versionKey, lcid))) {
        locales.push_back(lcid);
    } else if (lcid == 0) {
        afx::unique_hkey key;
        if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, versionKey.c_str(), 0, KEY_READ, key.put()) ==
            ERROR_SUCCESS) {
            for (DWORD i = 0;; ++i) {
                char name[64];
                DWORD len = sizeof name;
                if (::RegEnumKeyExA(key.get(), i, name, &len, nullptr, nullptr, nullptr,
                                    nullptr) != ERROR_SUCCESS)
                    break;
                char* end = nullptr;
                unsigned long value = std::strtoul(name, &end, 16);
                if (end != name && *end == '\0' && KeyExists(LocaleKey(versionKey, value)))
                    locales.push_back(static_cast<LCID>(value));
            }
        }
    }
    if (locales.empty())
        return TRUE;  // not registered for this platform

    bool ok = true;
    for (LCID locale : locales) {
        // The interfaces the registration bound to the library, read before
        // the entry that names the file goes.
        const std::string localeKey = LocaleKey(versionKey, locale);
        std::vector<std::string> interfaces = BoundInterfaces(localeKey, libid, version);
        HRESULT hr = ::UnRegisterTypeLib(tlid, wVerMajor, wVerMinor, locale, kSysKind);
        // It refuses when the file can no longer be loaded: remove the
        // library's entries here then.
        if (FAILED(hr) && KeyExists(localeKey))
            RemoveLocaleEntries(versionKey, localeKey);
        ok = ok && !KeyExists(localeKey);
        // UnRegisterTypeLib stops at the first interface key it cannot open
        // and skips them all when it cannot load the file: remove whatever
        // is still bound to this library.
        for (const std::string& iid : interfaces) {
            const std::string key = "Interface\\" + iid;
            if (::lstrcmpiA(DefaultValue(key + "\\TypeLib").c_str(), libid) == 0)
                ok = afx::DeleteKeyTree(HKEY_CLASSES_ROOT, key.c_str()) && ok;
        }
    }
    return ok ? TRUE : FALSE;
}

BOOL AfxOleRegisterControlClass(HINSTANCE hInstance, REFCLSID clsid, LPCSTR pszProgID,
                                UINT idTypeName, UINT idBitmap, int nRegFlags,
                                DWORD dwMiscStatus, REFGUID tlid, WORD wVerMajor,
                                WORD wVerMinor)
{
    char clsidText[39], libid[39];
    if (!afx::GuidToString(clsid, clsidText) || !afx::GuidToString(tlid, libid))
        return FALSE;
    char module[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(hInstance, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    char typeName[256];
    if (::LoadStringA(hInstance, idTypeName, typeName, sizeof typeName) <= 0)
        return FALSE;

    char bitmap[MAX_PATH + 16], misc[16], version[16];
    std::snprintf(bitmap, sizeof bitmap, "%s, %u", module, idBitmap);
    std::snprintf(misc, sizeof misc, "%lu", static_cast<unsigned long>(dwMiscStatus));
    std::snprintf(version, sizeof version, "%u.%u", wVerMajor, wVerMinor);

    const std::string key = std::string("CLSID\\") + clsidText;
    bool ok = SetKey(key, typeName) && SetKey(key + "\\InprocServer32", module);
    if (ok && (nRegFlags & afxRegApartmentThreading))
        ok = SetKey(key + "\\InprocServer32", "Apartment", "ThreadingModel");
    if (ok && pszProgID)
        ok = SetKey(key + "\\ProgID", pszProgID);
    ok = ok && SetKey(key + "\\Control", nullptr);
    if (ok && (nRegFlags & afxRegInsertable))
        ok = SetKey(key + "\\Insertable", nullptr);
    ok = ok && SetKey(key + "\\ToolboxBitmap32", bitmap) &&
         SetKey(key + "\\MiscStatus", "0") && SetKey(key + "\\MiscStatus\\1", misc) &&
         SetKey(key + "\\TypeLib", libid) && SetKey(key + "\\Version", version) &&
         // "Controls": written directly, so that unregistration leaves no
         // Component Categories entries behind.
         SetKey(key + "\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}",
                nullptr);
    if (ok && pszProgID) {
        const std::string prog = pszProgID;
        ok = SetKey(prog, typeName) && SetKey(prog + "\\CLSID", clsidText);
        if (ok && (nRegFlags & afxRegInsertable))
            ok = SetKey(prog + "\\Insertable", nullptr);
    }
    if (!ok)
        AfxOleUnregisterClass(clsid, pszProgID);
    return ok ? TRUE : FALSE;
}

BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR pszProgID)
{
    char clsidText[39];
    if (!afx::GuidToString(clsid, clsidText))
        return FALSE;
    bool ok = afx::DeleteKeyTree(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + clsidText).c_str());
    if (pszProgID && *pszProgID)
        ok = afx::DeleteKeyTree(HKEY_CLASSES_ROOT, pszProgID) && ok;
    return ok ? TRUE : FALSE;
}
