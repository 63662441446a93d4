// Registration through regsvr32, the registered control in the hands of a
// script client, of the ATL host window and of the stand-in host, and
// unregistration beside a registration of the other width.
#include "VennoxLib.h"
#include "framework/Registry.h"
#include "host/app/ControlHost.h"
#include "tests/win/ImportPatch.h"
#include "tests/win/TestSupport.h"
#include "tests/ZoneCases.h"

#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring GuidText(REFGUID g)
{
    wchar_t text[39];
    StringFromGUID2(g, text, 39);
    return text;
}

// The default value (or the named one) of a key under HKCR; "<absent>" if none.
std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr)
{
    wchar_t data[512];
    DWORD size = sizeof data;
    LONG r = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size);
    return r == ERROR_SUCCESS ? std::wstring(data) : L"<absent>";
}

bool KeyExists(const std::wstring& key)
{
    afx::unique_hkey k;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

// Runs a program of the Wine prefix; while it runs, `poll` is called every
// 50 ms with its process ID.
DWORD RunProgram(std::wstring command, void (*poll)(DWORD pid) = nullptr)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ~0u;
    const afx::unique_handle_t process(pi.hProcess), thread(pi.hThread);
    for (int i = 0; i < 600 && WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT; ++i)
        if (poll)
            poll(pi.dwProcessId);
    DWORD code = ~0u;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(pi.hProcess, code);
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

const std::wstring kClassKey = L"CLSID\\" + GuidText(CLSID_Vennox);
const wchar_t kProgID[] = L"Vennox.VennoxCtrl.1";

class Registered : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RunProgram(L"regsvr32.exe /s \"" + ModulePath() + L"\""), 0u);
    }
    static void TearDownTestSuite() { RunProgram(L"regsvr32.exe /s /u \"" + ModulePath() + L"\""); }
};

TEST_F(Registered, ClassProgIDTypeLibAndPluginKey)
{
    const std::wstring tlib = GuidText(LIBID_VennoxLib);
    struct Entry { std::wstring key; const wchar_t* name; std::wstring value; } entries[] = {
        {kClassKey, nullptr, L"Vennox Control"},
        {kClassKey + L"\\InprocServer32", nullptr, ModulePath()},
        {kClassKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {kClassKey + L"\\ProgID", nullptr, kProgID},
        {kClassKey + L"\\ToolboxBitmap32", nullptr, ModulePath() + L", 1"},
        {kClassKey + L"\\MiscStatus\\1", nullptr, L"131473"},
        {kClassKey + L"\\TypeLib", nullptr, tlib},
        {kClassKey + L"\\Version", nullptr, L"1.0"},
        {kClassKey + L"\\Node\\ProgramID", nullptr, L"94 56 4E 58 5F 30 31 41"},
        {kClassKey + L"\\Node\\TestID", nullptr, L"%1"},
        {kProgID, nullptr, L"Vennox Control"},
        {std::wstring(kProgID) + L"\\CLSID", nullptr, GuidText(CLSID_Vennox)},
    };
    for (const Entry& e : entries)
        EXPECT_EQ(Value(e.key, e.name), e.value) << e.key;
    EXPECT_TRUE(KeyExists(kClassKey + L"\\Control"));
    EXPECT_TRUE(KeyExists(kClassKey + L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"));
    EXPECT_FALSE(KeyExists(kClassKey + L"\\Insertable"));
    EXPECT_TRUE(KeyExists(L"TypeLib\\" + tlib + L"\\1.0"));
}

// The host checks a script's pages against the registered control's module.
TEST_F(Registered, HostReadsTheSheetsCaptionsFromTheRegisteredModule)
{
    EXPECT_EQ(SheetCaptions(""), kTabCaptions);
}

// Closes the About dialog of another process, noting what it showed.
std::wstring g_aboutCaption, g_aboutLine;
void CloseAboutOfProcess(DWORD pid)
{
    // That process's dialog only: other tests may show theirs meanwhile.
    HWND dlg = nullptr;
    for (HWND w = FindWindowW(nullptr, L"About Vennox Control"); w && !dlg;
         w = FindWindowExW(nullptr, w, nullptr, L"About Vennox Control")) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid)
            dlg = w;
    }
    if (!dlg)
        return;
    wchar_t text[128];
    GetWindowTextW(dlg, text, 128);
    g_aboutCaption = text;
    HWND line = GetWindow(GetWindow(dlg, GW_CHILD), GW_HWNDNEXT);
    GetWindowTextW(line, text, 128);
    g_aboutLine = text;
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
}

TEST_F(Registered, ScriptCreatesTheControlAndCallsAboutBox)
{
    TempDir dir;
    const std::wstring script = (dir / "vennox_about.vbs").wstring();
    WriteAll(script, "Set c = CreateObject(\"Vennox.VennoxCtrl.1\")\r\nc.AboutBox\r\nWScript.Quit 7\r\n");
    EXPECT_EQ(RunProgram(L"cscript.exe //nologo \"" + script + L"\"", CloseAboutOfProcess), 7u)
        << "the script ran to its end";
    EXPECT_EQ(g_aboutCaption, L"About Vennox Control");
    EXPECT_EQ(g_aboutLine, L"Vennox Control, Version 1.0");
}

TEST_F(Registered, AtlHostWindowShowsTheBitmap)
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(GetProcAddress(atl, "AtlAxWinInit"));
    ASSERT_NE(init, nullptr);
    ASSERT_TRUE(init());
    HWND frame = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    HWND ax = CreateWindowExW(0, L"AtlAxWin", kProgID, WS_CHILD | WS_VISIBLE, 10, 10, 60, 60, frame,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(ax, nullptr);
    HWND control = GetWindow(ax, GW_CHILD);
    ASSERT_NE(control, nullptr) << "the control is in-place active in its own window";
    // The control's window paints itself into a bitmap; count painted pixels.
    UpdateWindow(control);
    RECT r;
    GetClientRect(control, &r);
    int painted = 0;
    {
        afx::window_dc screen(control);
        afx::unique_hdc mem(CreateCompatibleDC(screen.get()));
        afx::unique_hbitmap bmp(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
        afx::select_object selected(mem.get(), bmp.get());
        PatBlt(mem.get(), 0, 0, r.right, r.bottom, WHITENESS);
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.get()), PRF_CLIENT);
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                painted += (GetPixel(mem.get(), x, y) & 0xFFFFFF) != 0xFFFFFF;
    }
    EXPECT_GT(painted, r.right * r.bottom / 4);
    DestroyWindow(frame);
    OleUninitialize();
}

TEST(Unregistered, RegistrationThenUnregistrationLeavesNoEntries)
{
    ASSERT_EQ(RunProgram(L"regsvr32.exe /s \"" + ModulePath() + L"\""), 0u);
    ASSERT_EQ(RunProgram(L"regsvr32.exe /s \"" + ModulePath() + L"\""), 0u) << "twice";
    ASSERT_EQ(RunProgram(L"regsvr32.exe /s /u \"" + ModulePath() + L"\""), 0u);
    for (const std::wstring& key : {kClassKey, std::wstring(kProgID), L"TypeLib\\" + GuidText(LIBID_VennoxLib),
                                    L"Interface\\" + GuidText(DIID__DVennox)})
        EXPECT_FALSE(KeyExists(key)) << key;
}

TEST(Unregistered, TypeLibraryThatCannotBeRegisteredRegistersNothing)
{
    // A copy of the module whose type library resource is not a type library.
    TempDir dir;
    const std::wstring copy = (dir / "VennoxNoTlb.ocx").wstring();
    ASSERT_TRUE(CopyFileW(ModulePath().c_str(), copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    char junk[64] = "not a type library";
    ASSERT_TRUE(UpdateResourceW(update, L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                junk, sizeof junk));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    const afx::unique_hmodule module(LoadLibraryW(copy.c_str()));
    ASSERT_TRUE(module);
    auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module.get(), "DllRegisterServer"));
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg(), static_cast<HRESULT>(0x80040200));
    if (auto unreg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module.get(), "DllUnregisterServer")))
        if (KeyExists(kClassKey))
            unreg();  // leaves the prefix clean should registration have gone ahead
    for (const std::wstring& key : {kClassKey, std::wstring(kProgID), L"TypeLib\\" + GuidText(LIBID_VennoxLib)})
        EXPECT_FALSE(KeyExists(key)) << key;
}

// ---- Self-registration and unregistration that fail part way ----------------------

// While patched in, the module's creations or deletions of HKCR keys under
// this path fail as a registry without the right to change them would make them.
std::string g_refusedUnder;
LONG(WINAPI* g_deleteKey)(HKEY, LPCSTR) = nullptr;
LONG(WINAPI* g_createKeyEx)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, const SECURITY_ATTRIBUTES*, PHKEY,
                            LPDWORD) = nullptr;

bool Refused(HKEY key, LPCSTR subkey)
{
    return key == HKEY_CLASSES_ROOT && subkey && !g_refusedUnder.empty() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, subkey, static_cast<int>(g_refusedUnder.size()),
                          g_refusedUnder.c_str(), static_cast<int>(g_refusedUnder.size())) == CSTR_EQUAL;
}

LONG WINAPI RefusingDeleteKey(HKEY key, LPCSTR subkey)
{
    return Refused(key, subkey) ? ERROR_ACCESS_DENIED : g_deleteKey(key, subkey);
}

LONG WINAPI RefusingCreateKeyEx(HKEY key, LPCSTR subkey, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                                const SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition)
{
    return Refused(key, subkey) ? ERROR_ACCESS_DENIED
                                : g_createKeyEx(key, subkey, reserved, cls, options, sam, security, result, disposition);
}

// The module loaded for a case, with its two registration entry points.
struct LoadedModule {
    using Entry = HRESULT(STDAPICALLTYPE*)();
    afx::unique_hmodule module{LoadLibraryW(ModulePath().c_str())};
    Entry reg = reinterpret_cast<Entry>(GetProcAddress(module.get(), "DllRegisterServer"));
    Entry unreg = reinterpret_cast<Entry>(GetProcAddress(module.get(), "DllUnregisterServer"));
};

TEST(Unregistered, RegistrationAnswersEachFailureWithItsOwnCode)
{
    const std::string classKey = Narrow(kClassKey);
    const struct {
        const char* what;
        std::string refused;  // key creations refused under this key
        HRESULT result;
        bool classStays;
    } cases[] = {
        {"a class key that cannot be written", classKey, static_cast<HRESULT>(0x80040201), false},
        {"a ProgID key that cannot be written", Narrow(kProgID), static_cast<HRESULT>(0x80040201), false},
        {"a plug-in key that cannot be written", classKey + "\\Node", S_OK, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadedModule module;
        const auto reg = module.reg, unreg = module.unreg;
        ASSERT_TRUE(reg && unreg);
        {
            // The module creates every key it writes with RegCreateKeyExA.
            ImportPatch createKeyEx(module.module.get(), "ADVAPI32.dll", "RegCreateKeyExA",
                                    reinterpret_cast<const void*>(&RefusingCreateKeyEx));
            ASSERT_TRUE(createKeyEx.ok());
            g_createKeyEx = createKeyEx.original<decltype(g_createKeyEx)>();
            g_refusedUnder = c.refused;
            EXPECT_EQ(reg(), c.result);
            g_refusedUnder.clear();
        }
        EXPECT_EQ(KeyExists(kClassKey), c.classStays);
        EXPECT_FALSE(KeyExists(kClassKey + L"\\Node"));
        EXPECT_EQ(unreg(), S_OK) << "unpatched, it removes what was registered";
    }
}

// The IDs integrators know the control by, as their guide lists them: the
// installer and the checks take them from the IDL, so only this pins them.
TEST(Published, IdsStayAsPublished)
{
    const struct {
        const GUID& id;
        const wchar_t* text;
    } ids[] = {
        {LIBID_VennoxLib, L"{5D2A7C40-8E13-4B6F-9C21-3A7E5B90D4F8}"},
        {DIID__DVennox, L"{5D2A7C41-8E13-4B6F-9C21-3A7E5B90D4F8}"},
        {DIID__DVennoxEvents, L"{5D2A7C42-8E13-4B6F-9C21-3A7E5B90D4F8}"},
        {CLSID_Vennox, L"{5D2A7C43-8E13-4B6F-9C21-3A7E5B90D4F8}"},
    };
    for (const auto& i : ids)
        EXPECT_EQ(GuidText(i.id), i.text);
}

// By unregistration, and by a registration that fails part-way and takes
// back what it wrote.
TEST(Unregistered, WhatAnotherToolPutUnderThePluginKeyStays)
{
    const std::wstring other = kClassKey + L"\\Node\\OtherTool";
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "a failed registration" : "unregistration");
        const LoadedModule module;
        ASSERT_TRUE(module.reg && module.unreg);
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, other.c_str(), REG_SZ, L"its own", 0), ERROR_SUCCESS);
        if (failing) {
            ImportPatch createKeyEx(module.module.get(), "ADVAPI32.dll", "RegCreateKeyExA",
                                    reinterpret_cast<const void*>(&RefusingCreateKeyEx));
            ASSERT_TRUE(createKeyEx.ok());
            g_createKeyEx = createKeyEx.original<decltype(g_createKeyEx)>();
            g_refusedUnder = Narrow(kProgID);
            EXPECT_EQ(module.reg(), static_cast<HRESULT>(0x80040201));
            g_refusedUnder.clear();
        } else {
            ASSERT_EQ(module.reg(), S_OK);
            EXPECT_EQ(module.unreg(), S_OK);
        }
        EXPECT_EQ(Value(other), L"its own");
        EXPECT_FALSE(KeyExists(kClassKey + L"\\InprocServer32") || KeyExists(kClassKey + L"\\Node\\ProgramID"));
        EXPECT_EQ(Value(kClassKey), L"<absent>") << "the class's name";
        afx::DeleteKeyTree(HKEY_CLASSES_ROOT, Narrow(kClassKey).c_str());
    }
}

HRESULT WINAPI RefusingUnRegisterTypeLib(REFGUID, WORD, WORD, LCID, SYSKIND) { return TYPE_E_REGISTRYACCESS; }

TEST(Unregistered, UnregistrationAnswersEachFailureWithItsOwnCode)
{
    const std::string classKey = Narrow(kClassKey);
    const std::wstring typeLibKey = L"TypeLib\\" + GuidText(LIBID_VennoxLib);
    const struct {
        const char* what;
        bool refuseTypeLib;   // the system's type library unregistration refuses
        std::string refused;  // deletions refused under this key
        HRESULT result;
        bool typeLibStays, classStays;
    } cases[] = {
        {"type library entries that cannot be removed", true, "TypeLib\\", static_cast<HRESULT>(0x80040200), true, true},
        {"a class key that cannot be removed", false, classKey, static_cast<HRESULT>(0x80040201), false, true},
        {"nothing refused", false, "", S_OK, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadedModule module;
        const auto reg = module.reg, unreg = module.unreg;
        ASSERT_TRUE(reg && unreg);
        ASSERT_EQ(reg(), S_OK);
        {
            ImportPatch deleteKey(module.module.get(), "ADVAPI32.dll", "RegDeleteKeyA",
                                  reinterpret_cast<const void*>(&RefusingDeleteKey));
            ASSERT_TRUE(deleteKey.ok());
            g_deleteKey = deleteKey.original<decltype(g_deleteKey)>();
            std::optional<ImportPatch> typeLib;
            if (c.refuseTypeLib) {
                typeLib.emplace(module.module.get(), "OLEAUT32.dll", "UnRegisterTypeLib",
                                reinterpret_cast<const void*>(&RefusingUnRegisterTypeLib));
                ASSERT_TRUE(typeLib->ok());
            }
            g_refusedUnder = c.refused;
            EXPECT_EQ(unreg(), c.result);
            g_refusedUnder.clear();
        }
        EXPECT_EQ(KeyExists(typeLibKey), c.typeLibStays);
        EXPECT_EQ(KeyExists(kClassKey), c.classStays);
        // Unpatched, it removes what is left.
        EXPECT_EQ(unreg(), S_OK);
        EXPECT_FALSE(KeyExists(typeLibKey));
        EXPECT_FALSE(KeyExists(kClassKey));
    }
}

// ---- Both widths registered ----------------------------------------------------

// The module of the other width registers its class in the other registry view
// and its type library's platform entry beside this one's; the tests write
// those entries as it would, so that a 64-bit build alone runs them.
TEST(Unregistered, UnregistrationLeavesWhatTheOtherWidthUses)
{
    const REGSAM other = afx::OtherRegistryView();
    if (!other)
        GTEST_SKIP() << "one registry view: no module of another width";
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const std::string classKey = Narrow(kClassKey), progID = Narrow(kProgID);
    const std::string library = "TypeLib\\" + Narrow(GuidText(LIBID_VennoxLib)) + "\\1.0";
    const std::string iface = "Interface\\" + Narrow(GuidText(DIID__DVennox));
#ifdef _WIN64
    const std::string ours = library + "\\409\\win64", theirs = library + "\\409\\win32";
#else
    const std::string ours = library + "\\409\\win32", theirs = library + "\\409\\win64";
#endif
    const struct {
        const char* what;
        bool theirClass, theirLibrary;  // the other width's class and type library registered
        std::string refused;            // deletions refused under this key
        HRESULT result;
        bool progID, libraryKey, interfaces, ourEntry, ourClass;  // what stays
    } cases[] = {
        {"both registered", true, true, "", S_OK, true, true, true, false, false},
        {"its class registered, its type library not", true, false, "", S_OK, true, true, true, false, false},
        {"only its type library registered", false, true, "", S_OK, false, true, false, false, false},
        {"both registered, this platform's entry refused", true, true, "TypeLib\\", static_cast<HRESULT>(0x80040200),
         true, true, true, true, true},
        {"both registered, the class key refused", true, true, classKey, static_cast<HRESULT>(0x80040201), true, true,
         true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        afx::unique_hmodule module(LoadLibraryW(ModulePath().c_str()));
        ASSERT_TRUE(module);
        auto reg = reinterpret_cast<Entry>(GetProcAddress(module.get(), "DllRegisterServer"));
        auto unreg = reinterpret_cast<Entry>(GetProcAddress(module.get(), "DllUnregisterServer"));
        ASSERT_TRUE(reg && unreg);
        ASSERT_EQ(reg(), S_OK);
        const char theirModule[] = "C:\\other\\Vennox.OCX";
        if (c.theirClass) {
            ASSERT_TRUE(afx::SetKey(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", theirModule, nullptr, other));
        }
        if (c.theirLibrary) {
            ASSERT_TRUE(afx::SetKey(HKEY_CLASSES_ROOT, theirs, theirModule, nullptr, other));
        }
        {
            ImportPatch deleteKey(module.get(), "ADVAPI32.dll", "RegDeleteKeyA",
                                  reinterpret_cast<const void*>(&RefusingDeleteKey));
            ASSERT_TRUE(deleteKey.ok());
            g_deleteKey = deleteKey.original<decltype(g_deleteKey)>();
            g_refusedUnder = c.refused;
            EXPECT_EQ(unreg(), c.result);
            g_refusedUnder.clear();
        }
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, progID), c.progID);
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, library + "\\FLAGS"), c.libraryKey);
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, iface + "\\TypeLib"), c.interfaces);
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, ours), c.ourEntry);
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, classKey), c.ourClass);
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, classKey, other), c.theirClass) << "the other width's class";
        EXPECT_EQ(afx::KeyExists(HKEY_CLASSES_ROOT, theirs, other), c.theirLibrary) << "its library entry";
        // With the other width gone, registering again and unregistering leave nothing.
        EXPECT_TRUE(afx::DeleteKeyTree(HKEY_CLASSES_ROOT, classKey.c_str(), other));
        EXPECT_TRUE(afx::DeleteKeyTree(HKEY_CLASSES_ROOT, theirs.c_str(), other));
        EXPECT_EQ(reg(), S_OK);
        EXPECT_EQ(unreg(), S_OK);
        for (const std::string& key : {progID, library, iface, classKey})
            EXPECT_FALSE(afx::KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    }
}

}  // namespace
