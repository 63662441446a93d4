// COleControl's life and identity: construction, its one reference count,
// QueryInterface, and IOleObject's client site, user type, extent, advise
// holder and miscellaneous status.
#include "framework/AfxCtlImpl.h"

#include <cstring>

// ---- COleControl ----------------------------------------------------------

IMPLEMENT_DYNAMIC(COleControl, CCmdTarget)

COleControl::COleControl() : m_pImpl(std::make_unique<Impl>(this)) { AfxOleLockApp(); }

COleControl::~COleControl()
{
    if (m_hWnd)
        DestroyWindow(std::exchange(m_hWnd, nullptr));
    m_pClientSite.reset();
    m_pImpl.reset();  // its references go before the module may unload
    AfxOleUnlockApp();
}

ULONG COleControl::InternalAddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }

ULONG COleControl::InternalRelease()
{
    LONG n = InterlockedDecrement(&m_dwRef);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

IUnknown* COleControl::GetControllingUnknown() { return static_cast<IOleObject*>(m_pImpl.get()); }

void COleControl::InitializeIIDs(const IID* piidPrimary, const IID* piidEvents)
{
    m_piidPrimary = *piidPrimary;
    m_piidEvents = *piidEvents;
}

void COleControl::OnResetState() {}

HRESULT COleControl::GetTypeLib(LCID, ITypeLib**) { return TYPE_E_CANTLOADLIBRARY; }

const AFX_DISPMAP* COleControl::GetDispatchMap() const { return nullptr; }

const AFX_EVENTMAP* COleControl::GetEventMap() const { return nullptr; }

// ---- IUnknown -------------------------------------------------------------

namespace {

using Impl = COleControl::Impl;

template <typename Interface>
IUnknown* As(Impl& o)
{
    return static_cast<Interface*>(&o);
}

const afx::InterfaceEntry<Impl> kInterfaces[] = {
    {&IID_IUnknown, As<IOleObject>},
    {&IID_IOleObject, As<IOleObject>},
    {&IID_IOleWindow, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceObject, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceActiveObject, As<IOleInPlaceActiveObject>},
    {&IID_IViewObject, As<IViewObject2>},
    {&IID_IViewObject2, As<IViewObject2>},
    {&IID_IDispatch, As<IDispatch>},
    {&IID_IOleControl, As<IOleControl>},
    {&IID_IProvideClassInfo, As<IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, As<IProvideClassInfo2>},
    {&IID_IPersist, As<IPersistStreamInit>},
    {&IID_IPersistStreamInit, As<IPersistStreamInit>},
    {&IID_IPersistPropertyBag, As<IPersistPropertyBag>},
    {&IID_IConnectionPointContainer, As<IConnectionPointContainer>},
};

}  // namespace

// The control's primary dispatch interface is its IDispatch.
STDMETHODIMP COleControl::Impl::QueryInterface(REFIID iid, void** ppv)
{
    return afx::QueryInterfaceTable(kInterfaces, *this, iid == m_owner->m_piidPrimary ? IID_IDispatch : iid, ppv);
}

CLSID COleControl::Impl::ClassID()
{
    CLSID clsid = CLSID_NULL;
    m_owner->GetClassID(&clsid);
    return clsid;
}

// ---- IOleObject -----------------------------------------------------------

STDMETHODIMP COleControl::Impl::SetClientSite(IOleClientSite* site)
{
    // Cleared before the release: the site's release may re-enter.
    m_owner->m_pClientSite.reset();
    m_owner->m_pClientSite = afx::com_ptr<IOleClientSite>(site);
    return S_OK;
}

STDMETHODIMP COleControl::Impl::GetClientSite(IOleClientSite** site)
{
    return m_owner->m_pClientSite.copy_to(site);
}

STDMETHODIMP COleControl::Impl::EnumVerbs(IEnumOLEVERB** e)
{
    if (e)
        *e = nullptr;
    return OleRegEnumVerbs(ClassID(), e);
}

STDMETHODIMP COleControl::Impl::GetUserType(DWORD form, LPOLESTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    wchar_t text[256];
    int n = LoadStringW(AfxGetResourceHandle(), m_owner->GetUserTypeNameID(), text, 256);
    if (n <= 0)
        return OleRegGetUserType(ClassID(), form, name);
    *name = static_cast<LPOLESTR>(CoTaskMemAlloc((n + 1) * sizeof(wchar_t)));
    if (!*name)
        return E_OUTOFMEMORY;
    memcpy(*name, text, (n + 1) * sizeof(wchar_t));
    return S_OK;
}

STDMETHODIMP COleControl::Impl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    m_extent = *size;
    m_dirty = true;
    return S_OK;
}

STDMETHODIMP COleControl::Impl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP COleControl::Impl::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (!m_adviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(m_adviseHolder.put());
        if (FAILED(hr))
            return hr;
    }
    return m_adviseHolder->Advise(sink, cookie);
}

STDMETHODIMP COleControl::Impl::Unadvise(DWORD cookie)
{
    return m_adviseHolder ? m_adviseHolder->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP COleControl::Impl::EnumAdvise(IEnumSTATDATA** e)
{
    if (e)
        *e = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(e) : E_FAIL;
}

STDMETHODIMP COleControl::Impl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status)
        return E_POINTER;
    // The control registers its status for the content aspect only.
    *status = aspect == DVASPECT_CONTENT ? m_owner->GetMiscStatus() : 0;
    return S_OK;
}
