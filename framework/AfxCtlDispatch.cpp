// COleControl's automation: IDispatch over the control's dispatch map, type
// information from the module's type library, IProvideClassInfo2 and
// IOleControl.
#include "framework/AfxCtlImpl.h"

// ---- Type library cache ---------------------------------------------------

namespace {

HRESULT LoadModuleTypeLib(ITypeLib** lib)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(AfxGetInstanceHandle(), path, MAX_PATH);
    if (n == 0 || n == MAX_PATH)
        return TYPE_E_CANTLOADLIBRARY;
    return LoadTypeLibEx(path, REGKIND_NONE, lib);
}

}  // namespace

HRESULT CTypeLibCache::Lookup(LCID lcid, HRESULT (*load)(void*, LCID, ITypeLib**), void* ctx,
                              ITypeLib** ppTypeLib)
{
    *ppTypeLib = nullptr;
    if (!m_lib) {
        HRESULT hr = load(ctx, lcid, m_lib.put());
        // A control created from its file, unregistered, still has its own copy.
        if (FAILED(hr) || !m_lib)
            hr = LoadModuleTypeLib(m_lib.put());
        if (FAILED(hr))
            return hr;
    }
    return m_lib.copy_to(ppTypeLib);
}

HRESULT COleControl::Impl::TypeInfoOf(REFGUID guid, LCID lcid, ITypeInfo** info)
{
    CTypeLibCache* cache = m_owner->GetTypeLibCache();
    if (!cache)
        return TYPE_E_ELEMENTNOTFOUND;
    afx::com_ptr<ITypeLib> lib;
    auto load = [](void* ctx, LCID l, ITypeLib** out) {
        return static_cast<COleControl*>(ctx)->GetTypeLib(l, out);
    };
    HRESULT hr = cache->Lookup(lcid, load, m_owner, lib.put());
    if (FAILED(hr))
        return hr;
    return lib->GetTypeInfoOfGuid(guid, info);
}

// ---- IDispatch ------------------------------------------------------------

namespace {

// The dispatch map entry `match` accepts, or null.
template <typename Match>
const AFX_DISPMAP_ENTRY* FindMethod(const AFX_DISPMAP* map, Match match)
{
    for (const AFX_DISPMAP_ENTRY* e = map ? map->pEntries : nullptr; e && e->name; ++e)
        if (match(*e))
            return e;
    return nullptr;
}

}  // namespace

STDMETHODIMP COleControl::Impl::GetTypeInfoCount(UINT* n)
{
    if (!n)
        return E_POINTER;
    *n = m_owner->GetTypeInfoCount();
    return S_OK;
}

STDMETHODIMP COleControl::Impl::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    return TypeInfoOf(m_owner->m_piidPrimary, lcid, info);
}

STDMETHODIMP COleControl::Impl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                              DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const AFX_DISPMAP_ENTRY* e = FindMethod(m_owner->GetDispatchMap(), [&](const AFX_DISPMAP_ENTRY& m) {
            return lstrcmpiW(m.name, names[i]) == 0;
        });
        // Methods take no parameters: only the first name can be known.
        ids[i] = (e && i == 0) ? e->dispid : DISPID_UNKNOWN;
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

STDMETHODIMP COleControl::Impl::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                       DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    const AFX_DISPMAP_ENTRY* e = FindMethod(m_owner->GetDispatchMap(),
                                            [id](const AFX_DISPMAP_ENTRY& m) { return m.dispid == id; });
    if (!e || !(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    if (result)
        VariantInit(result);
    (m_owner->*(e->pfnMethod))();
    return S_OK;
}

// ---- IProvideClassInfo2 ---------------------------------------------------

STDMETHODIMP COleControl::Impl::GetClassInfo(ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    return TypeInfoOf(ClassID(), LOCALE_USER_DEFAULT, info);
}

STDMETHODIMP COleControl::Impl::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = m_owner->m_piidEvents;
    return S_OK;
}

// ---- IOleControl ----------------------------------------------------------

STDMETHODIMP COleControl::Impl::GetControlInfo(CONTROLINFO* info)
{
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}
