// The built module as a file: what it imports, its type library, its version block.
#include "VennoxLib.h"
#include "nodeaccess/NodeAccess.h"
#include "tests/win/TestSupport.h"
#include "tests/ZoneCases.h"

#include <oleauto.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// The DLL names in the import directory of a module mapped as an image.
std::vector<std::string> ImportedDlls(HMODULE module)
{
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; dir.VirtualAddress && entry->Name; ++entry)
        names.push_back(Lower(reinterpret_cast<const char*>(base + entry->Name)));
    return names;
}

TEST(ModuleFile, ImportsOnlySystemDlls)
{
    const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",    "advapi32.dll", "ole32.dll",
        "oleaut32.dll", "comctl32.dll", "msvcrt.dll",   "shell32.dll",  "uuid.dll",
    };
    afx::unique_hmodule module = MapModule(DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module.get(), nullptr) << "cannot load the module";
    std::vector<std::string> dlls = ImportedDlls(module.get());
    EXPECT_FALSE(dlls.empty());
    for (const std::string& dll : dlls)
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
}

std::wstring Name(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, std::wstring* help = nullptr)
{
    BSTR name = nullptr, doc = nullptr;
    info->GetDocumentation(id, &name, &doc, nullptr, nullptr);
    std::wstring result = name ? name : L"";
    if (help)
        *help = doc ? doc : L"";
    SysFreeString(name);
    SysFreeString(doc);
    return result;
}

struct TypeExpect {
    const GUID* guid;
    const wchar_t* name;
    TYPEKIND kind;
    WORD flags;  // must be set
    const wchar_t* help;
    int functions;
};

class TypeLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, lib.put()), S_OK);
    }
    afx::com_ptr<ITypeLib> lib;
};

TEST_F(TypeLibrary, LibraryAttributes)
{
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_VennoxLib));
    EXPECT_EQ(attr->lcid, 0x409u);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_TRUE(attr->wLibFlags & LIBFLAG_FCONTROL);
    lib->ReleaseTLibAttr(attr);

    BSTR name = nullptr, help = nullptr, file = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, &file), S_OK);
    EXPECT_STREQ(name, L"VennoxLib");
    EXPECT_STREQ(help, L"Vennox ActiveX Control module");
    EXPECT_STREQ(file, L"Vennox.hlp");
    SysFreeString(name);
    SysFreeString(help);
    SysFreeString(file);
}

TEST_F(TypeLibrary, TypesAndMembers)
{
    const TypeExpect types[] = {
        {&DIID__DVennox, L"_DVennox", TKIND_DISPATCH, TYPEFLAG_FHIDDEN,
         L"Dispatch interface for Vennox Control", 1},
        {&DIID__DVennoxEvents, L"_DVennoxEvents", TKIND_DISPATCH, 0,
         L"Event interface for Vennox Control", 0},
        {&CLSID_Vennox, L"Vennox", TKIND_COCLASS, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL,
         L"Vennox Control", 0},
    };
    EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
    for (const TypeExpect& t : types) {
        afx::com_ptr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(*t.guid, info.put()), S_OK) << t.name;
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        std::wstring help;
        EXPECT_EQ(Name(info.get(), MEMBERID_NIL, &help), t.name);
        EXPECT_EQ(help, t.help) << t.name;
        EXPECT_EQ(attr->typekind, t.kind) << t.name;
        EXPECT_EQ(attr->wTypeFlags & t.flags, t.flags) << t.name;
        EXPECT_EQ(attr->cFuncs, t.functions) << t.name;
        EXPECT_EQ(attr->cVars, 0) << t.name;
        info->ReleaseTypeAttr(attr);
    }
}

TEST_F(TypeLibrary, AboutBoxIsTheStandardAboutDispid)
{
    afx::com_ptr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(DIID__DVennox, info.put()), S_OK);
    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(0, &func), S_OK);
    EXPECT_EQ(func->memid, -552);
    EXPECT_EQ(func->cParams, 0);
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_VOID);
    EXPECT_EQ(Name(info.get(), func->memid), L"AboutBox");
    info->ReleaseFuncDesc(func);
}

TEST_F(TypeLibrary, ClassDefaultsToDispatchAndEventSource)
{
    afx::com_ptr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_Vennox, coclass.put()), S_OK);
    const struct {
        const GUID* iid;
        int flags;
    } impl[] = {
        {&DIID__DVennox, IMPLTYPEFLAG_FDEFAULT},
        {&DIID__DVennoxEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        afx::com_ptr<ITypeInfo> implemented;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, implemented.put()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(implemented->GetTypeAttr(&attr), S_OK);
        EXPECT_TRUE(IsEqualGUID(attr->guid, *impl[i].iid)) << i;
        EXPECT_EQ(flags, impl[i].flags) << i;
        implemented->ReleaseTypeAttr(attr);
    }
}

TEST(GuidFamily, DifferOnlyInTheLastDigitOfTheFirstGroup)
{
    const GUID* family[] = {&LIBID_VennoxLib, &DIID__DVennox, &DIID__DVennoxEvents, &CLSID_Vennox};
    for (int i = 1; i < 4; ++i) {
        GUID expected = *family[0];
        expected.Data1 += i;
        EXPECT_TRUE(IsEqualGUID(*family[i], expected)) << i;
    }
    EXPECT_EQ(family[0]->Data1 & 0xF, 0u) << "the last digit counts up without a carry";
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name)
{
    std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length))
        return L"<missing>";
    return std::wstring(static_cast<const wchar_t*>(value), length ? length - 1 : 0);
}

TEST(VersionBlock, ReadsBack)
{
    std::wstring path = ModulePath();
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"ProductVersion", L"1, 0, 0, 1"},
        {L"FileDescription", L"Vennox ActiveX Control Module"},
        {L"ProductName", L"Vennox ActiveX Control Module"},
        {L"InternalName", L"VENNOX"},
        {L"OriginalFilename", L"Vennox.OCX"},
        {L"OLESelfRegister", L""},
    };
    for (const auto& s : strings)
        EXPECT_EQ(VersionString(block, s.name), s.value) << s.name;
    EXPECT_NE(VersionString(block, L"CompanyName"), L"<missing>");
    EXPECT_NE(VersionString(block, L"LegalCopyright"), L"<missing>");

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);
}

TEST(ModuleResources, PictureAndName)
{
    afx::unique_hmodule module = MapModule(LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module.get(), nullptr);
    HBITMAP bitmap = LoadBitmapW(module.get(), MAKEINTRESOURCEW(1));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 31);
    EXPECT_EQ(info.bmHeight, 31);
    DeleteObject(bitmap);

    HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    auto group = static_cast<const WORD*>(LockResource(LoadResource(module.get(), found)));
    EXPECT_EQ(group[2], 2) << "two images";
    auto entries = reinterpret_cast<const BYTE*>(group + 3);
    for (int i = 0; i < 2; ++i) {
        const BYTE* e = entries + 14 * i;  // GRPICONDIRENTRY
        EXPECT_EQ(e[0], i == 0 ? 32 : 16);
        EXPECT_EQ(e[2], 16) << "16 colours";
    }

    wchar_t text[64] = {};
    EXPECT_GT(LoadStringW(module.get(), 1, text, 64), 0);
    EXPECT_STREQ(text, L"Vennox Control");
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(ModuleResources, AboutDialogTemplate)
{
    afx::unique_hmodule module = MapModule(LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module.get(), nullptr);
    HWND dialog = CreateDialogParamW(module.get(), MAKEINTRESOURCEW(1), nullptr, NoDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), L"About Vennox Control");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDOK)), L"OK");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDOK, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON,
              DLGC_DEFPUSHBUTTON);
    // Children in template order: icon, name and version, maker's notice, OK.
    std::vector<std::wstring> texts;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        texts.push_back(TextOf(c));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], L"Vennox Control, Version 1.0");
    EXPECT_FALSE(texts[2].empty());
    HICON icon = reinterpret_cast<HICON>(SendMessageW(GetWindow(dialog, GW_CHILD), STM_GETICON, 0, 0));
    EXPECT_NE(icon, nullptr) << "the icon control shows icon 1";
    DestroyWindow(dialog);
}

// One control of a page template, in template order.
struct ControlRow {
    int id;                 // -1: none
    const wchar_t* cls;
    LONG kind;              // low style bits: the button kind, or -1 to skip
    const wchar_t* text;    // null: not checked
    LONG has;               // style bits it carries
    LONG lacks;             // style bits it must not carry
};

// A page template of the module created as a child of a hidden window.
struct PageWindow {
    explicit PageWindow(UINT templateId)
        : module(MapModule(LOAD_LIBRARY_AS_DATAFILE)),
          parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)),
          page(module ? CreateDialogParamW(module.get(), MAKEINTRESOURCEW(templateId), parent, NoDialogProc, 0)
                      : nullptr)
    {
    }
    ~PageWindow() { DestroyWindow(parent); }
    afx::unique_hmodule module;
    HWND parent;
    HWND page;
};

void ExpectTemplate(UINT templateId, const std::vector<ControlRow>& rows)
{
    PageWindow w(templateId);
    HWND page = w.page;
    ASSERT_NE(page, nullptr) << templateId;
    EXPECT_TRUE(GetWindowLongW(page, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(GetWindowLongW(page, GWL_STYLE) & WS_CAPTION);
    size_t i = 0;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, rows.size()) << "more controls than expected in " << templateId;
        const ControlRow& row = rows[i];
        wchar_t cls[32];
        GetClassNameW(c, cls, 32);
        LONG style = GetWindowLongW(c, GWL_STYLE);
        // An edit control turns its WS_BORDER into a sunken client edge.
        if (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            style |= WS_BORDER;
        SCOPED_TRACE(testing::Message() << "template " << templateId << ", control " << i);
        EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(c))), row.id);
        EXPECT_EQ(lstrcmpiW(cls, row.cls), 0) << "class";
        if (row.kind >= 0) {
            EXPECT_EQ(style & 0xF, row.kind) << "kind";
        }
        if (row.text) {
            EXPECT_EQ(TextOf(c), row.text);
        }
        EXPECT_EQ(style & row.has, row.has) << "styles carried";
        EXPECT_EQ(style & row.lacks, 0) << "styles lacked";
        EXPECT_TRUE(style & WS_VISIBLE);
    }
    EXPECT_EQ(i, rows.size());
}

TEST(PageTemplates, NodeInformation)
{
    ExpectTemplate(200, {
        {-1, L"Static", -1, nullptr, WS_GROUP, 0},
        {-1, L"Static", -1, nullptr, WS_GROUP, 0},
        {-1, L"Button", BS_GROUPBOX, L"Nodename", 0, 0},
        {356, L"Edit", -1, L"", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_BORDER},
    });
}

TEST(PageTemplates, VersionLineOfNodeInformation)
{
    PageWindow w(200);
    ASSERT_NE(w.page, nullptr);
    std::wstring lines = TextOf(GetWindow(GetWindow(w.page, GW_CHILD), GW_HWNDNEXT));
    std::wstring version = lines.substr(lines.find(L'\n') + 1);
    EXPECT_EQ(version.rfind(L"Vennox plugin v1.00", 0), 0u) << "second line begins with the version";
    EXPECT_EQ(version.back(), L')') << "ends with the build mark in parentheses";
}

TEST(PageTemplates, CommonSettings)
{
    const LONG radio = WS_GROUP;
    ExpectTemplate(209, {
        {201, L"Button", BS_PUSHBUTTON, L"Read", WS_TABSTOP, 0},
        {202, L"Button", BS_PUSHBUTTON, L"Write", WS_TABSTOP, 0},
        {-1, L"Button", BS_GROUPBOX, L"Valve type", 0, 0},
        {-1, L"Static", -1, L"Heat", WS_GROUP, 0},
        {276, L"Button", BS_AUTORADIOBUTTON, L"0 - 10V", radio, WS_TABSTOP},
        {277, L"Button", BS_AUTORADIOBUTTON, L"2 - 10V", radio, WS_TABSTOP},
        {-1, L"Static", -1, L"Cool", WS_GROUP, 0},
        {278, L"Button", BS_AUTORADIOBUTTON, L"0 - 10V", radio, WS_TABSTOP},
        {279, L"Button", BS_AUTORADIOBUTTON, L"2 - 10V", radio, WS_TABSTOP},
        {-1, L"Button", BS_GROUPBOX, L"Valve motion", 0, 0},
        {268, L"Button", BS_AUTOCHECKBOX, L"Heat  Valveautomatic", WS_TABSTOP, 0},
        {269, L"Button", BS_AUTOCHECKBOX, L"Cool  Valveautomatic", WS_TABSTOP, 0},
        {270, L"Edit", -1, L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, ES_READONLY},
        {-1, L"Static", -1, L"h", WS_GROUP, 0},
        {-1, L"Static", -1, L"Closed valve time\nbefore auto motion", WS_GROUP, 0},
    });
}

// What a control of a page template is, but for its ID.
struct ControlShape {
    std::wstring cls, text;
    LONG style, exStyle;
    RECT rect;
};

ControlShape ShapeOf(HWND c)
{
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    ControlShape s = {cls, TextOf(c), GetWindowLongW(c, GWL_STYLE), GetWindowLongW(c, GWL_EXSTYLE), {}};
    GetWindowRect(c, &s.rect);
    return s;
}

// The templates of zones 2 to 4 are zone 1's, control for control, but for
// the zone's own IDs; those IDs name the controls the pages rely on.
TEST(PageTemplates, ZoneActualPagesDifferOnlyInTheirControlIds)
{
    PageWindow first(kActualZones[0].templateId);
    ASSERT_NE(first.page, nullptr);
    const std::array<int, 18> firstIds = ZoneControlIds(kActualZones[0]);
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(testing::Message() << "template " << z.templateId);
        PageWindow w(z.templateId);
        ASSERT_NE(w.page, nullptr);
        const std::array<int, 18> ids = ZoneControlIds(z);
        HWND a = GetWindow(first.page, GW_CHILD), b = GetWindow(w.page, GW_CHILD);
        for (int i = 0; a && b; a = GetWindow(a, GW_HWNDNEXT), b = GetWindow(b, GW_HWNDNEXT), ++i) {
            SCOPED_TRACE(testing::Message() << "control " << i);
            const int idA = static_cast<short>(GetDlgCtrlID(a));
            const auto at = std::find(firstIds.begin(), firstIds.end(), idA);
            EXPECT_EQ(static_cast<short>(GetDlgCtrlID(b)), at == firstIds.end() ? idA : ids[at - firstIds.begin()]);
            const ControlShape sa = ShapeOf(a), sb = ShapeOf(b);
            EXPECT_EQ(sb.cls, sa.cls);
            EXPECT_EQ(sb.text, sa.text);
            EXPECT_EQ(sb.style, sa.style);
            EXPECT_EQ(sb.exStyle, sa.exStyle);
            EXPECT_TRUE(EqualRect(&sb.rect, &sa.rect));
        }
        EXPECT_FALSE(a || b) << "as many controls as zone 1's template";
    }
}

// Zone 1's template as the page uses it: live values in read-only edits,
// entries in edits the operator can type in, radio buttons that each start a
// group without a tab stop, so that only the page clears a partner.
TEST(PageTemplates, ZoneActualControlsTheZonePageReliesOn)
{
    const ActualZone& z = kActualZones[0];
    PageWindow w(z.templateId);
    ASSERT_NE(w.page, nullptr);
    struct Row {
        std::vector<int> ids;
        const wchar_t* cls;
        LONG kind;
        LONG has, lacks;
    } const rows[] = {
        {{201, 202}, L"Button", BS_PUSHBUTTON, WS_TABSTOP, 0},  // Read, Write
        {{244, 246, 249, 250, z.calcHeat, z.calcCool}, L"Edit", -1, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 0},
        {{z.roomIs}, L"Edit", -1, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_BORDER},
        {{z.offset, z.heatMin, z.heatMax, z.coolMinUnocc, z.coolMinStandby, z.coolMinOcc, z.coolMax, z.coolLevel,
          z.heatLevel},
         L"Edit", -1, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, ES_READONLY},
        {{z.coolAuto, z.coolOff, z.coolOn, z.heatAuto, z.heatOff, z.heatOn}, L"Button", BS_AUTORADIOBUTTON, WS_GROUP,
         WS_TABSTOP},
    };
    for (const Row& row : rows) {
        for (int id : row.ids) {
            SCOPED_TRACE(testing::Message() << "control " << id);
            HWND c = GetDlgItem(w.page, id);
            ASSERT_NE(c, nullptr);
            const ControlShape s = ShapeOf(c);
            LONG style = s.style | (s.exStyle & WS_EX_CLIENTEDGE ? WS_BORDER : 0);
            EXPECT_EQ(lstrcmpiW(s.cls.c_str(), row.cls), 0);
            if (row.kind >= 0) {
                EXPECT_EQ(style & 0xF, row.kind);
            }
            EXPECT_EQ(style & row.has, row.has);
            EXPECT_EQ(style & row.lacks, 0);
        }
    }
    // Texts as the device's documentation has them.
    std::vector<std::wstring> texts;
    for (HWND c = GetWindow(w.page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        texts.push_back(TextOf(c));
    for (const wchar_t* text : {L"Auto/Manuel Cool", L"Auto/Manuel Heat", L"Max ", L"\u00B0C", L"Room is",
                                L"Min UnOccup", L"Calculated setpoint"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << "no control reads \"" << text << '"';
}

// The Zone settings templates of zones 2 and 3 are zone 1's but for the
// zone's control IDs and input title, and on zone 2 the "Occup timeout"
// group, which lies 2 units further left and is 2 units narrower.
TEST(PageTemplates, ZoneSettingsPagesDifferOnlyInTheirIdsTitleAndTimeoutGroup)
{
    const SettingsZone& one = kSettingsZones[0];
    PageWindow first(one.templateId);
    ASSERT_NE(first.page, nullptr);
    const std::array<int, 10> firstIds = ZoneControlIds(one);
    for (const SettingsZone& z : {kSettingsZones[1], kSettingsZones[2]}) {
        SCOPED_TRACE(testing::Message() << "template " << z.templateId);
        PageWindow w(z.templateId);
        ASSERT_NE(w.page, nullptr);
        const std::array<int, 10> ids = ZoneControlIds(z);
        HWND a = GetWindow(first.page, GW_CHILD), b = GetWindow(w.page, GW_CHILD);
        // Zone 2's timeout group in dialog units, x, y, width, height: the
        // box, its edit, its "s".
        const RECT zone2Timeout[] = {{92, 7, 61, 31}, {98, 17, 40, 14}, {141, 23, 8, 8}};
        int timeoutControl = -1;
        for (int i = 0; a && b; a = GetWindow(a, GW_HWNDNEXT), b = GetWindow(b, GW_HWNDNEXT), ++i) {
            SCOPED_TRACE(testing::Message() << "control " << i);
            const int idA = static_cast<short>(GetDlgCtrlID(a));
            const auto at = std::find(firstIds.begin(), firstIds.end(), idA);
            EXPECT_EQ(static_cast<short>(GetDlgCtrlID(b)), at == firstIds.end() ? idA : ids[at - firstIds.begin()]);
            ControlShape sa = ShapeOf(a);
            const ControlShape sb = ShapeOf(b);
            if (sa.text == one.input)
                sa.text = z.input;
            if (sa.text == L"Occup timeout")
                timeoutControl = 0;
            else if (timeoutControl >= 0)
                ++timeoutControl;
            RECT expected = sa.rect;
            if (z.zone == 2 && timeoutControl >= 0 && timeoutControl < 3) {
                // The dialog manager maps position and size each on its own.
                RECT units = zone2Timeout[timeoutControl];
                MapDialogRect(w.page, &units);
                expected = {units.left, units.top, units.left + units.right, units.top + units.bottom};
                MapWindowPoints(w.page, nullptr, reinterpret_cast<POINT*>(&expected), 2);
            }
            EXPECT_EQ(sb.cls, sa.cls);
            EXPECT_EQ(sb.text, sa.text);
            EXPECT_EQ(sb.style, sa.style);
            EXPECT_TRUE(EqualRect(&sb.rect, &expected));
        }
        EXPECT_FALSE(a || b) << "as many controls as zone 1's template";
    }
}

// Zone 4's input group: the "Window switch" box is 355, the occupancy choice
// sits beside it; radio buttons start groups without tab stops.
TEST(PageTemplates, ZoneSettingsInputGroupOfZone4)
{
    PageWindow w(208);
    ASSERT_NE(w.page, nullptr);
    const struct {
        int id;
        LONG kind;
        const wchar_t* text;
        LONG has, lacks;
    } rows[] = {
        {232, BS_AUTORADIOBUTTON, L"Releas cool", WS_GROUP, WS_TABSTOP},
        {233, BS_AUTORADIOBUTTON, L"Choose Ip2", WS_GROUP, WS_TABSTOP},
        {355, BS_AUTOCHECKBOX, L"Window switch", WS_TABSTOP, 0},
        {235, BS_AUTOCHECKBOX, L"+/- 3\u00B0C", WS_TABSTOP, 0},
        {236, BS_AUTORADIOBUTTON, L"Choose Occup =>", WS_GROUP, WS_TABSTOP},
        {238, BS_AUTOCHECKBOX, L"Occupancy", WS_TABSTOP, 0},
        {239, BS_AUTOCHECKBOX, L"Standby", WS_TABSTOP, 0},
        {240, BS_AUTOCHECKBOX, L"UnOccupancy", WS_TABSTOP, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "control " << row.id);
        HWND c = GetDlgItem(w.page, row.id);
        ASSERT_NE(c, nullptr);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        EXPECT_EQ(style & 0xF, row.kind);
        EXPECT_EQ(TextOf(c), row.text);
        EXPECT_EQ(style & row.has, row.has);
        EXPECT_EQ(style & row.lacks, 0);
    }
    EXPECT_EQ(GetDlgItem(w.page, 234), nullptr);
    for (int id : {257, 258, 259, 260, 261, 262, 218, 219, 220, 222, 223, 231}) {
        HWND c = GetDlgItem(w.page, id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_TRUE(GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << id << " has a border";
        EXPECT_FALSE(GetWindowLongW(c, GWL_STYLE) & ES_READONLY) << id;
    }
}

TEST(PageTemplates, TabCaptionsAndZoneFrames)
{
    afx::unique_hmodule module = MapModule(LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module.get(), nullptr);
    for (UINT id = 200; id <= 209; ++id) {
        wchar_t text[64] = {};
        LoadStringW(module.get(), id, text, 64);
        EXPECT_EQ(Narrow(text), kTabCaptions[id - 200]);
        EXPECT_NE(FindResourceW(module.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)), nullptr)  // RT_DIALOG
            << "template " << id;
    }
}

}  // namespace
