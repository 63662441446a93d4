// What the Windows tests and the bench share: the files beside them, ANSI
// text, this thread's windows, the module loaded as a container loads it, the
// control's class factory on an OLE apartment, and the step that closes the
// About dialog from inside its modal loop.
//
//   BesideTests, ModulePath, MapModule   the module and the host by path
//   Narrow, TextOf, ThreadWindow         text and windows
//   ControlModule                        the module's exports and class factory
//   OleTest, ModuleTest                  fixtures
//   AboutSeen, CloseAbout                a CSheetDriver step
#pragma once

#include "VennoxLib.h"
#include "framework/Handles.h"
#include "host/app/SheetDriver.h"
#include "tests/TempDir.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <string>
#include <vector>

// ---- Files beside the tests -------------------------------------------------------

// A file in the test programs' folder, where the build puts the module and
// the host program.
inline std::wstring BesideTests(const wchar_t* name)
{
    wchar_t self[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

inline std::wstring ModulePath() { return BesideTests(L"Vennox.OCX"); }

// The built module mapped without running its DllMain: as an image with
// DONT_RESOLVE_DLL_REFERENCES, for its resources with LOAD_LIBRARY_AS_DATAFILE.
inline afx::unique_hmodule MapModule(DWORD flags)
{
    return afx::unique_hmodule(::LoadLibraryExW(ModulePath().c_str(), nullptr, flags));
}

// ---- Text and windows ---------------------------------------------------------------

// Wide text in the ANSI code page, as the host's calls take it.
inline std::string Narrow(const std::wstring& w)
{
    const int n = ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

inline std::wstring TextOf(HWND window)
{
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return text;
}

namespace test_detail {

struct CaptionSearch {
    const char* caption;
    HWND found;
};

inline BOOL CALLBACK MatchCaption(HWND w, LPARAM search)
{
    auto* s = reinterpret_cast<CaptionSearch*>(search);
    char text[128] = {};
    ::GetWindowTextA(w, text, sizeof text);
    if (::lstrcmpA(text, s->caption) != 0)
        return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace test_detail

// This thread's window with this caption: tests in parallel show their own.
inline HWND ThreadWindow(const char* caption)
{
    test_detail::CaptionSearch search = {caption, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &test_detail::MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ---- The module as a container loads it ----------------------------------------------

// The module loaded from its file: its two exports a container calls and its
// class factory of the control. The factory goes before the module.
struct ControlModule {
    // False, with `why`, at the first step that fails.
    bool Load(const std::wstring& path, std::string& why)
    {
        m_module.reset(::LoadLibraryW(path.c_str()));
        if (!m_module) {
            why = "cannot load " + Narrow(path) + ": system error " + std::to_string(::GetLastError());
            return false;
        }
        m_getClassObject = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
        m_canUnloadNow = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
        if (!m_getClassObject || !m_canUnloadNow) {
            why = "no DllGetClassObject or DllCanUnloadNow";
            return false;
        }
        const bool made = m_getClassObject(CLSID_Vennox, IID_IClassFactory, m_factory.put_void()) == S_OK;
        if (!made)
            why = "no class factory of the control";
        return made;
    }
    void Unload()
    {
        m_factory.reset();
        m_module.reset();
    }

    afx::unique_hmodule m_module;
    HRESULT(STDAPICALLTYPE* m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* m_canUnloadNow)() = nullptr;
    afx::com_ptr<IClassFactory> m_factory;

private:
    template <typename F>
    F Export(const char* name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(m_module.get(), name)));
    }
};

// ---- Fixtures -----------------------------------------------------------------------

// A test inside this thread's OLE apartment.
class OleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

// The module beside the tests loaded as a container loads it: its exports,
// and its class factory of the control.
class ModuleTest : public OleTest, protected ControlModule {
protected:
    void SetUp() override
    {
        OleTest::SetUp();
        if (HasFatalFailure())
            return;
        std::string why;
        ASSERT_TRUE(Load(ModulePath(), why)) << why;
    }
    // The factory goes before the apartment; the module is freed last, by
    // the fixture's destructor.
    void TearDown() override
    {
        m_factory.reset();
        OleTest::TearDown();
    }

    // A new control, asked for by `iid`.
    template <typename T>
    void Create(REFIID iid, afx::com_ptr<T>& out)
    {
        ASSERT_EQ(m_factory->CreateInstance(nullptr, iid, out.put_void()), S_OK);
    }
};

// ---- Steps inside modal loops -------------------------------------------------------

// What the About dialog showed when CloseAbout closed it.
struct AboutSeen {
    bool closed = false;
    std::wstring caption;
    std::vector<std::wstring> texts;  // its controls', in template order
};

// Waits for this thread's About dialog, notes what it shows and closes it as
// its OK button does.
inline CSheetDriver::Step CloseAbout(AboutSeen& seen)
{
    return [&seen] {
        HWND about = ThreadWindow("About Vennox Control");
        if (!about)
            return false;
        seen.caption = TextOf(about);
        for (HWND c = ::GetWindow(about, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            seen.texts.push_back(TextOf(c));
        seen.closed = ::PostMessageW(about, WM_COMMAND, IDOK, 0) != 0;
        return true;
    };
}
