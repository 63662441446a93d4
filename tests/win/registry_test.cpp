// Registry entries of the type library, the control class and the plug-in
// key: what registering writes, that registering again adds nothing, and that
// unregistering leaves the registry as it was.
#include "VennoxLib.h"
#include "framework/AfxReg.h"
#include "framework/Handles.h"
#include "framework/Registry.h"
#include "module/PluginKey.h"
#include "tests/win/TestSupport.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

// A class of the tests' own, so that the module's class stays untouched.
const CLSID kTestClsid = {0x7A31E2C0, 0x55D1, 0x4C7A, {0x9E, 0x02, 0x6B, 0x4F, 0x13, 0xA8, 0xC5, 0x01}};
const char kTestClsidText[] = "{7A31E2C0-55D1-4C7A-9E02-6B4F13A8C501}";
const char kTestProgID[] = "VennoxTest.RegCtrl.1";
const char kProgID[] = "Vennox.VennoxCtrl.1";
const char kControlsCategory[] = "{40FC6ED4-2438-11CF-A3DB-080036F12502}";
#ifdef _WIN64
const std::string kSysKind = "win64";
#else
const std::string kSysKind = "win32";
#endif

std::string GuidText(REFGUID guid)
{
    char text[39];
    EXPECT_TRUE(afx::GuidToString(guid, text));
    return text;
}

std::string ValueText(DWORD type, const BYTE* data, DWORD size)
{
    if (type == REG_SZ) {
        std::string s(reinterpret_cast<const char*>(data), size);
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        return "\"" + s + "\"";
    }
    std::string text = "type " + std::to_string(type) + ":";
    char hex[4];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", data[i]);
        text += hex;
    }
    return text;
}

// Every key under `key` as "path" and every value as "path | name = value"
// ("@" for the default value).
void Walk(HKEY key, const std::string& path, Entries& out)
{
    out.push_back(path);
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[1024];
        DWORD nameLen = sizeof name, dataLen = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
            break;
        out.push_back(path + " | " + (nameLen ? name : "@") + " = " + ValueText(type, data, dataLen));
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        afx::unique_hkey child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, child.put()) == ERROR_SUCCESS)
            Walk(child.get(), path + "\\" + name, out);
    }
}

// The subtrees of HKEY_CLASSES_ROOT at `roots`, sorted; absent roots add nothing.
Entries Snapshot(const std::vector<std::string>& roots)
{
    Entries out;
    for (const std::string& root : roots) {
        afx::unique_hkey key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, root.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
            Walk(key.get(), root, out);
    }
    std::sort(out.begin(), out.end());
    return out;
}

Entries Sorted(Entries e)
{
    std::sort(e.begin(), e.end());
    return e;
}

// Default value line of a key.
std::string Default(const std::string& path, const std::string& value)
{
    return path + " | @ = \"" + value + "\"";
}

// The built module, mapped as an image (its DllMain does not run): its file
// name, string table and type library resource.
class ModuleImage {
public:
    ModuleImage() : m_h(MapModule(DONT_RESOLVE_DLL_REFERENCES)) {}
    HINSTANCE get() const { return m_h.get(); }
    std::string Path() const
    {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(m_h.get(), path, MAX_PATH);
        return std::string(path, n);
    }
    std::string Folder() const
    {
        std::string p = Path();
        return p.substr(0, p.find_last_of("\\/"));
    }

private:
    afx::unique_hmodule m_h;
};

// ---- Type library -----------------------------------------------------------

class TypeLibRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(module.get(), nullptr) << "cannot load " << Narrow(ModulePath());
        ASSERT_EQ(Snapshot(roots), Entries{}) << "left over from elsewhere";
    }
    void TearDown() override { AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0); }

    // What registering the library writes, as the system's registration does
    // it: the library's version key, and each dispatch interface's key bound
    // to the automation marshaller and to the library.
    Entries Expected() const
    {
        const std::string lib = "TypeLib\\" + libid;
        const std::string psoa = "{00020420-0000-0000-C000-000000000046}";
        Entries e = {
            lib,
            lib + "\\1.0",
            Default(lib + "\\1.0", "Vennox ActiveX Control module"),
            lib + "\\1.0\\409",
            lib + "\\1.0\\409\\" + kSysKind,
            Default(lib + "\\1.0\\409\\" + kSysKind, module.Path()),
            lib + "\\1.0\\FLAGS",
            Default(lib + "\\1.0\\FLAGS", "control"),
            lib + "\\1.0\\HELPDIR",
            Default(lib + "\\1.0\\HELPDIR", module.Folder()),
        };
        const std::pair<const IID*, const char*> interfaces[] = {
            {&DIID__DVennox, "_DVennox"}, {&DIID__DVennoxEvents, "_DVennoxEvents"}};
        for (const auto& [iid, name] : interfaces) {
            const std::string key = "Interface\\" + GuidText(*iid);
            Entries more = {
                key,
                Default(key, name),
                key + "\\ProxyStubClsid",
                Default(key + "\\ProxyStubClsid", psoa),
                key + "\\ProxyStubClsid32",
                Default(key + "\\ProxyStubClsid32", psoa),
                key + "\\TypeLib",
                Default(key + "\\TypeLib", libid),
                key + "\\TypeLib | Version = \"1.0\"",
            };
            e.insert(e.end(), more.begin(), more.end());
        }
        return Sorted(e);
    }

    // The library's entries, with its FLAGS value reduced to whether it marks
    // a control library: the platform writes the flags in its own way
    // (Wine adds the disk-image flag).
    Entries Registered() const
    {
        Entries e = Snapshot(roots);
        const std::string flags = "TypeLib\\" + libid + "\\1.0\\FLAGS | @ = \"";
        for (std::string& line : e)
            if (line.compare(0, flags.size(), flags) == 0 &&
                (std::strtoul(line.c_str() + flags.size(), nullptr, 10) & LIBFLAG_FCONTROL))
                line = flags + "control\"";
        return Sorted(e);
    }

    ModuleImage module;
    const std::string libid = GuidText(LIBID_VennoxLib);
    const std::vector<std::string> roots = {"TypeLib\\" + libid,
                                            "Interface\\" + GuidText(DIID__DVennox),
                                            "Interface\\" + GuidText(DIID__DVennoxEvents)};
};

TEST_F(TypeLibRegistry, RegisterTwiceThenUnregisterLeavesNothing)
{
    ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib));
    EXPECT_EQ(Registered(), Expected());
    ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib));
    EXPECT_EQ(Registered(), Expected());
    EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0));
    EXPECT_EQ(Snapshot(roots), Entries{});
}

TEST_F(TypeLibRegistry, UnregisterVersions)
{
    struct Case {
        const char* what;
        WORD major, minor;
        LCID lcid;
        BOOL result;
        bool removed;
    };
    // The library is built for locale 0x409; locale 0 stands for any.
    const Case cases[] = {
        {"registered version, any locale", 1, 0, 0, TRUE, true},
        {"registered version and locale", 1, 0, 0x409, TRUE, true},
        {"version looked up", 0, 0, 0, TRUE, true},
        {"other version: nothing to remove", 2, 0, 0, TRUE, false},
        {"other locale: nothing to remove", 1, 0, 0x407, TRUE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib));
        EXPECT_EQ(AfxOleUnregisterTypeLib(LIBID_VennoxLib, c.major, c.minor, c.lcid), c.result);
        EXPECT_EQ(Registered(), c.removed ? Entries{} : Expected());
        AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0);
        ASSERT_EQ(Snapshot(roots), Entries{});
    }
}

// Unregistering cannot read the interfaces from a file that has gone; their
// keys must go all the same.
TEST_F(TypeLibRegistry, UnregisterAfterFileRemoved)
{
    const std::wstring copy = BesideTests(L"RegistryCopy.OCX");
    ASSERT_TRUE(CopyFileW(ModulePath().c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib, "RegistryCopy.OCX"));
    EXPECT_NE(Snapshot(roots), Entries{});
    ASSERT_TRUE(DeleteFileW(copy.c_str()));
    EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0));
    EXPECT_EQ(Snapshot(roots), Entries{});
}

// Beside the other platform's registration, only this platform's entry goes:
// the version key and the interface keys, which that registration writes too,
// stay.
TEST_F(TypeLibRegistry, UnregisterThisPlatformOnly)
{
    const std::string version = "TypeLib\\" + libid + "\\1.0";
    const std::string theirs = version + "\\409\\" + (kSysKind == "win64" ? "win32" : "win64");
    Entries shared;  // Expected() without this platform's entry
    for (const std::string& e : Expected())
        if (e.find("\\409") == std::string::npos)
            shared.push_back(e);
    const struct {
        const char* what;
        bool theirs;  // the other platform's entry registered
    } cases[] = {{"the other platform registered", true}, {"this platform alone", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib));
        Entries expected = shared;
        if (c.theirs) {
            ASSERT_TRUE(afx::SetKey(HKEY_CLASSES_ROOT, theirs, "C:\\other\\Vennox.OCX"));
            expected.insert(expected.end(), {version + "\\409", theirs, Default(theirs, "C:\\other\\Vennox.OCX")});
        }
        EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0, 0, TRUE));
        EXPECT_EQ(Registered(), Sorted(expected));
        afx::DeleteKeyTree(HKEY_CLASSES_ROOT, theirs.c_str());
        ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib));
        EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0));
        ASSERT_EQ(Snapshot(roots), Entries{});
    }
}

TEST_F(TypeLibRegistry, UnregisterWhenAbsentSucceeds)
{
    EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0));
    EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib));
    EXPECT_EQ(Snapshot(roots), Entries{});
}

TEST_F(TypeLibRegistry, RefusedRegistrationWritesNothing)
{
    struct Case {
        const char* what;
        const GUID* libid;
        const char* file;
    };
    const Case cases[] = {
        {"library ID differs", &kTestClsid, nullptr},
        {"file absent", &LIBID_VennoxLib, "NoSuchFile.OCX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(AfxOleRegisterTypeLib(module.get(), *c.libid, c.file));
        EXPECT_EQ(Snapshot(roots), Entries{});
    }
}

// ---- Control class ----------------------------------------------------------

// The class and ProgID keys a control registration writes.
Entries ClassEntries(const std::string& clsid, const std::string& progid, const std::string& module,
                     const std::string& libid, int flags)
{
    const std::string key = "CLSID\\" + clsid;
    const std::string name = "Vennox Control";
    Entries e = {
        key,
        Default(key, name),
        key + "\\InprocServer32",
        Default(key + "\\InprocServer32", module),
        key + "\\ProgID",
        Default(key + "\\ProgID", progid),
        key + "\\Control",
        key + "\\ToolboxBitmap32",
        Default(key + "\\ToolboxBitmap32", module + ", 1"),
        key + "\\MiscStatus",
        Default(key + "\\MiscStatus", "0"),
        key + "\\MiscStatus\\1",
        Default(key + "\\MiscStatus\\1", "131473"),
        key + "\\TypeLib",
        Default(key + "\\TypeLib", libid),
        key + "\\Version",
        Default(key + "\\Version", "1.0"),
        key + "\\Implemented Categories",
        key + "\\Implemented Categories\\" + kControlsCategory,
        progid,
        Default(progid, name),
        progid + "\\CLSID",
        Default(progid + "\\CLSID", clsid),
    };
    if (flags & afxRegApartmentThreading)
        e.push_back(key + "\\InprocServer32 | ThreadingModel = \"Apartment\"");
    if (flags & afxRegInsertable) {
        e.push_back(key + "\\Insertable");
        e.push_back(progid + "\\Insertable");
    }
    return Sorted(e);
}

class ClassRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(module.get(), nullptr) << "cannot load " << Narrow(ModulePath());
        ASSERT_EQ(Snapshot(roots), Entries{}) << "left over from elsewhere";
    }
    void TearDown() override { AfxOleUnregisterClass(kTestClsid, kTestProgID); }

    BOOL Register(int flags, UINT idTypeName = 1)
    {
        return AfxOleRegisterControlClass(module.get(), {&kTestClsid, kTestProgID, idTypeName, 1, flags, 0x20191, nullptr}, {&LIBID_VennoxLib, 1, 0});
    }

    ModuleImage module;
    const std::vector<std::string> roots = {std::string("CLSID\\") + kTestClsidText, kTestProgID};
};

TEST_F(ClassRegistry, RegisterTwiceThenUnregisterLeavesNothing)
{
    struct Case {
        const char* what;
        int flags;
    };
    const Case cases[] = {
        {"apartment, not insertable", afxRegApartmentThreading},
        {"no threading model", 0},
        {"insertable", afxRegInsertable | afxRegApartmentThreading},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Entries expected =
            ClassEntries(kTestClsidText, kTestProgID, module.Path(), GuidText(LIBID_VennoxLib), c.flags);
        ASSERT_TRUE(Register(c.flags));
        EXPECT_EQ(Snapshot(roots), expected);
        ASSERT_TRUE(Register(c.flags));
        EXPECT_EQ(Snapshot(roots), expected);
        EXPECT_TRUE(AfxOleUnregisterClass(kTestClsid, kTestProgID));
        EXPECT_EQ(Snapshot(roots), Entries{});
    }
}

TEST_F(ClassRegistry, UnregisterWhenAbsentSucceeds)
{
    EXPECT_TRUE(AfxOleUnregisterClass(kTestClsid, kTestProgID));
    EXPECT_EQ(Snapshot(roots), Entries{});
}

TEST_F(ClassRegistry, MissingTypeNameWritesNothing)
{
    EXPECT_FALSE(Register(afxRegApartmentThreading, 9999));
    EXPECT_EQ(Snapshot(roots), Entries{});
}

// ---- Registry views -----------------------------------------------------------

// A class key is written, seen and deleted in the view asked for, and only
// there: 64-bit Windows keeps class keys apart per width.
TEST(RegistryViews, ClassKeysStayInTheirView)
{
    const REGSAM other = afx::OtherRegistryView();
    if (!other)
        GTEST_SKIP() << "one registry view";
    const std::string key = std::string("CLSID\\") + kTestClsidText;
    const struct {
        const char* what;
        REGSAM view, opposite;
    } cases[] = {{"this module's view", 0, other}, {"the other width's view", other, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(afx::SetKey(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "C:\\x.ocx", nullptr, c.view));
        EXPECT_TRUE(afx::KeyExists(HKEY_CLASSES_ROOT, key + "\\InprocServer32", c.view));
        EXPECT_FALSE(afx::KeyExists(HKEY_CLASSES_ROOT, key, c.opposite));
        EXPECT_TRUE(afx::DeleteKeyTree(HKEY_CLASSES_ROOT, key.c_str(), c.view));
        EXPECT_FALSE(afx::KeyExists(HKEY_CLASSES_ROOT, key, c.view));
    }
}

// ---- Plug-in key --------------------------------------------------------------

class PluginKeyRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Snapshot(roots), Entries{}) << "left over from elsewhere";
        SetPluginProgramID(kNodeProgramID);  // as the factory does at every update
    }
    void TearDown() override { afx::DeleteKeyTree(HKEY_CLASSES_ROOT, roots[0].c_str()); }

    const std::string key = std::string("CLSID\\") + kTestClsidText;
    const std::vector<std::string> roots = {key};
    const Entries written = Sorted({
        key,
        key + "\\Node",
        key + "\\Node\\ProgramID",
        Default(key + "\\Node\\ProgramID", "94 56 4E 58 5F 30 31 41"),
        key + "\\Node\\TestID",
        Default(key + "\\Node\\TestID", "%1"),
    });
};

TEST_F(PluginKeyRegistry, WriteTwiceThenRemove)
{
    ASSERT_TRUE(WritePluginKey(kTestClsid));
    EXPECT_EQ(Snapshot(roots), written);
    ASSERT_TRUE(WritePluginKey(kTestClsid));
    EXPECT_EQ(Snapshot(roots), written);
    EXPECT_TRUE(RemovePluginKey(kTestClsid));
    // The class key it created stays for the class registration to remove.
    EXPECT_EQ(Snapshot(roots), Entries{key});
}

TEST_F(PluginKeyRegistry, WriteReplacesStaleValues)
{
    afx::unique_hkey node;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, (key + "\\Node").c_str(), node.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(node.get(), "ProgramID", REG_SZ, "Generic Node", 12), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(node.get(), "TestID", REG_SZ, "", 0), ERROR_SUCCESS);
    node.reset();
    ASSERT_TRUE(WritePluginKey(kTestClsid));
    EXPECT_EQ(Snapshot(roots), written);
}

TEST_F(PluginKeyRegistry, RemoveAbsentSucceedsAndCreatesNothing)
{
    EXPECT_TRUE(RemovePluginKey(kTestClsid));
    EXPECT_EQ(Snapshot(roots), Entries{});
}

TEST_F(PluginKeyRegistry, RemoveKeepsTheRestOfTheClassKey)
{
    ModuleImage module;
    ASSERT_TRUE(AfxOleRegisterControlClass(module.get(), {&kTestClsid, nullptr, 1, 1, afxRegApartmentThreading, 0x20191, nullptr}, {&LIBID_VennoxLib, 1, 0}));
    const Entries classOnly = Snapshot(roots);
    ASSERT_TRUE(WritePluginKey(kTestClsid));
    EXPECT_TRUE(RemovePluginKey(kTestClsid));
    EXPECT_EQ(Snapshot(roots), classOnly);
}

TEST_F(PluginKeyRegistry, TableWriterOverwriteFlag)
{
    struct Case {
        const char* what;
        const char* before;  // ProgramID's value first, null for none
        BOOL overwrite;
        const char* after;
    };
    const Case cases[] = {
        {"absent, overwriting", nullptr, TRUE, "A"},
        {"absent, keeping", nullptr, FALSE, "A"},
        {"present, overwriting", "old", TRUE, "A"},
        {"present, keeping", "old", FALSE, "old"},
        {"present but empty, keeping", "", FALSE, ""},
    };
    const CPluginKeyRow rows[] = {{"ProgramID", "A"}, {"TestID", "B"}, {nullptr, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        afx::DeleteKeyTree(HKEY_CLASSES_ROOT, key.c_str());
        afx::unique_hkey k;
        ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), k.put()), ERROR_SUCCESS);
        if (c.before) {
            ASSERT_EQ(RegSetValueA(k.get(), "ProgramID", REG_SZ, c.before, 0), ERROR_SUCCESS);
        }
        EXPECT_TRUE(WriteKeyTable(k.get(), rows, c.overwrite));
        EXPECT_EQ(Snapshot(roots), Sorted({key, key + "\\ProgramID", Default(key + "\\ProgramID", c.after),
                                           key + "\\TestID", Default(key + "\\TestID", "B")}));
    }
}

// ---- The module's whole registration ---------------------------------------------

// In the order the module registers and unregisters, with its own IDs.
TEST(ModuleRegistry, RegisterTwiceThenUnregisterRestoresTheRegistry)
{
    ModuleImage module;
    ASSERT_NE(module.get(), nullptr);
    const std::string clsid = GuidText(CLSID_Vennox), libid = GuidText(LIBID_VennoxLib);
    const std::vector<std::string> roots = {"CLSID\\" + clsid, kProgID, "TypeLib\\" + libid,
                                            "Interface\\" + GuidText(DIID__DVennox),
                                            "Interface\\" + GuidText(DIID__DVennoxEvents)};
    const Entries before = Snapshot(roots);
    ASSERT_EQ(before, Entries{});

    auto registerAll = [&] {
        ASSERT_TRUE(AfxOleRegisterTypeLib(module.get(), LIBID_VennoxLib));
        WritePluginKey(CLSID_Vennox);
        ASSERT_TRUE(AfxOleRegisterControlClass(module.get(), {&CLSID_Vennox, kProgID, 1, 1, afxRegApartmentThreading, 0x20191, nullptr},
                                               {&LIBID_VennoxLib, 1, 0}));
    };
    registerAll();
    const Entries once = Snapshot(roots);
    registerAll();
    EXPECT_EQ(Snapshot(roots), once);

    // The class and plug-in entries exactly; the library's are checked above.
    Entries classAndPlugin;
    for (const std::string& e : once)
        if (e.compare(0, 6, "CLSID\\") == 0 || e.compare(0, sizeof kProgID - 1, kProgID) == 0)
            classAndPlugin.push_back(e);
    Entries expected = ClassEntries(clsid, kProgID, module.Path(), libid, afxRegApartmentThreading);
    const std::string node = "CLSID\\" + clsid + "\\Node";
    for (const std::string& e : {node, node + "\\ProgramID", Default(node + "\\ProgramID", kNodeProgramID),
                                 node + "\\TestID", Default(node + "\\TestID", "%1")})
        expected.push_back(e);
    EXPECT_EQ(classAndPlugin, Sorted(expected));
    EXPECT_EQ(std::count(once.begin(), once.end(), "TypeLib\\" + libid + "\\1.0\\409\\" + kSysKind), 1);

    EXPECT_TRUE(AfxOleUnregisterTypeLib(LIBID_VennoxLib, 1, 0));
    EXPECT_TRUE(RemovePluginKey(CLSID_Vennox));
    EXPECT_TRUE(AfxOleUnregisterClass(CLSID_Vennox, kProgID));
    EXPECT_EQ(Snapshot(roots), before);
}

}  // namespace
