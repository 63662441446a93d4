// The host's container side: creating the control from the module or by
// ProgID and activating it in the host's window.
#include "host/app/ControlHost.h"

#include "host/app/HostText.h"
#include "resources/resource.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdio>

namespace {

constexpr wchar_t kControlClassName[] = L"Vennox";
constexpr DISPID kDispidAboutBox = -552;

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

// An export of the module, as the function type it has.
template <typename Fn>
Fn Export(HMODULE module, const char* name)
{
    // Through the generic function type: FARPROC's own type says nothing.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The class ID of the coclass named kControlClassName, else of the first coclass.
bool FindControlClass(ITypeLib* lib, CLSID& clsid)
{
    bool found = false;
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(lib->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS)
            continue;
        afx::com_ptr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(lib->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr)))
            continue;
        BSTR name = nullptr;
        const bool named = SUCCEEDED(lib->GetDocumentation(i, &name, nullptr, nullptr, nullptr)) && name &&
                           lstrcmpW(name, kControlClassName) == 0;
        SysFreeString(name);
        if (named || !found)
            clsid = attr->guid;
        found = true;
        info->ReleaseTypeAttr(attr);
        if (named)
            break;
    }
    return found;
}

std::wstring WideProgID()
{
    const std::string progID = CControlHost::kProgID;
    return {progID.begin(), progID.end()};
}

// The module file of the control registered as kProgID, where COM finds it:
// the in-process server of the class the ProgID names.
std::wstring RegisteredModule()
{
    CLSID id;
    wchar_t clsid[40];
    if (FAILED(CLSIDFromProgID(WideProgID().c_str(), &id)) || !StringFromGUID2(id, clsid, 40))
        return {};
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    const std::wstring server = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
    // A REG_EXPAND_SZ path comes expanded, as REG_SZ.
    if (RegGetValueW(HKEY_CLASSES_ROOT, server.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) !=
        ERROR_SUCCESS)
        return {};
    return path;
}

}  // namespace

std::string DescribeHResult(HRESULT hr)
{
    char text[256] = {};
    char head[16];
    std::snprintf(head, sizeof head, "0x%08lX", static_cast<unsigned long>(hr));
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   static_cast<DWORD>(hr), 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? head : std::string(head) + " (" + message + ")";
}

bool CControlHost::Create(const std::string& module, std::string& error)
{
    if (!module.empty())
        return CreateFromModule(module, error);
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(WideProgID().c_str(), &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, m_object.put_void());
    if (FAILED(hr))
        error = std::string("cannot create ") + kProgID + ": " + DescribeHResult(hr);
    return SUCCEEDED(hr);
}

bool CControlHost::CreateFromModule(const std::string& path, std::string& error)
{
    m_module.reset(LoadLibraryA(path.c_str()));
    if (!m_module) {
        error = "cannot load " + path + ": " + DescribeHResult(HRESULT_FROM_WIN32(GetLastError()));
        return false;
    }
    auto getClassObject = Export<GetClassObjectFn>(m_module.get(), "DllGetClassObject");
    if (!getClassObject) {
        error = path + " has no DllGetClassObject";
        return false;
    }
    afx::com_ptr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(Widen(path).c_str(), REGKIND_NONE, lib.put());
    CLSID clsid;
    if (FAILED(hr) || !FindControlClass(lib.get(), clsid)) {
        error = path + " has no type library with a control class";
        return false;
    }
    afx::com_ptr<IClassFactory> factory;
    hr = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (SUCCEEDED(hr))
        hr = factory->CreateInstance(nullptr, IID_IOleObject, m_object.put_void());
    if (FAILED(hr))
        error = "cannot create the control of " + path + ": " + DescribeHResult(hr);
    return SUCCEEDED(hr);
}

bool CControlHost::Activate(IOleClientSite* site, HWND parent, const RECT& pos, std::string& error)
{
    HRESULT hr = m_object->SetClientSite(site);
    if (FAILED(hr)) {
        error = "SetClientSite: " + DescribeHResult(hr);
        return false;
    }
    m_site = site;
    m_pos = pos;
    if (auto init = m_object.query<IPersistStreamInit>(IID_IPersistStreamInit)) {
        hr = init->InitNew();
        if (FAILED(hr)) {
            error = "InitNew: " + DescribeHResult(hr);
            return false;
        }
    }
    hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, parent, &m_pos);
    if (FAILED(hr))
        error = "in-place activation: " + DescribeHResult(hr);
    return SUCCEEDED(hr);
}

HRESULT CControlHost::Properties(HWND parent)
{
    if (!m_object)
        return E_UNEXPECTED;
    // The sheet's modal loop may run anything; hold the control meanwhile.
    afx::com_ptr<IOleObject> object = m_object;
    return object->DoVerb(OLEIVERB_PROPERTIES, nullptr, m_site, 0, parent, &m_pos);
}

HRESULT CControlHost::About()
{
    auto dispatch = m_object.query<IDispatch>(IID_IDispatch);
    if (!dispatch)
        return E_NOINTERFACE;
    DISPPARAMS none = {};
    return dispatch->Invoke(kDispidAboutBox, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                            nullptr, nullptr);
}

void CControlHost::Close()
{
    if (m_object) {
        if (auto inPlace = m_object.query<IOleInPlaceObject>(IID_IOleInPlaceObject))
            inPlace->InPlaceDeactivate();
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        m_site = nullptr;
        m_object.reset();
    }
    CoFreeUnusedLibraries();
    if (!m_module)
        return;
    // A module that still has objects alive stays loaded: their code is in it.
    auto canUnloadNow = Export<CanUnloadNowFn>(m_module.get(), "DllCanUnloadNow");
    if (canUnloadNow && canUnloadNow() == S_OK)
        m_module.reset();
    else
        m_module.release();
}

std::vector<std::string> SheetCaptions(const std::string& module)
{
    const std::wstring path = module.empty() ? RegisteredModule() : Widen(module);
    afx::unique_hmodule file;
    if (!path.empty())
        file.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    std::vector<std::string> captions;
    // Each page's template ID is its caption's string ID; the sheet has them
    // in the order of their IDs.
    for (UINT id = IDD_NODEINFO; file && id <= IDD_COMMON; ++id) {
        char text[128] = {};
        if (!LoadStringA(file.get(), id, text, sizeof text))
            return {};
        captions.push_back(text);
    }
    return captions;
}
