// COleControl's persistence: the control's state through a stream
// (IPersistStreamInit) or a property bag (IPersistPropertyBag).
#include "framework/AfxCtlImpl.h"

// ---- Persistence ----------------------------------------------------------
// The stream form: version, then the extent's width and height (HIMETRIC).
// The property bag form: "_Version", "_ExtentX", "_ExtentY".

namespace {

class CStreamExchange : public CPropExchange {
public:
    CStreamExchange(IStream* s, BOOL loading) : m_stream(s) { m_bLoading = loading; }
    BOOL ExchangeLong(const wchar_t*, LONG* value) override
    {
        if (!m_bOk)
            return FALSE;
        ULONG n = 0;
        HRESULT hr = m_bLoading ? m_stream->Read(value, sizeof *value, &n)
                                : m_stream->Write(value, sizeof *value, &n);
        m_bOk = SUCCEEDED(hr) && n == sizeof *value;
        return m_bOk;
    }

private:
    IStream* m_stream;
};

class CBagExchange : public CPropExchange {
public:
    CBagExchange(IPropertyBag* bag, IErrorLog* log, BOOL loading) : m_bag(bag), m_log(log)
    {
        m_bLoading = loading;
    }
    BOOL ExchangeLong(const wchar_t* name, LONG* value) override
    {
        VARIANT v;
        VariantInit(&v);
        if (!m_bLoading) {
            V_VT(&v) = VT_I4;
            V_I4(&v) = *value;
            m_bOk = m_bOk && SUCCEEDED(m_bag->Write(name, &v));
            return m_bOk;
        }
        V_VT(&v) = VT_I4;
        // A missing entry keeps the default: older saves lack some.
        if (FAILED(m_bag->Read(name, &v, m_log)))
            return FALSE;
        VARIANT i4;
        VariantInit(&i4);
        BOOL ok = SUCCEEDED(VariantChangeType(&i4, &v, 0, VT_I4));
        if (ok)
            *value = V_I4(&i4);
        VariantClear(&v);
        return ok;
    }

private:
    IPropertyBag* m_bag;
    IErrorLog* m_log;
};

}  // namespace

HRESULT COleControl::Impl::Exchange(CPropExchange& px)
{
    m_owner->DoPropExchange(&px);
    if (!px.IsOk())
        return px.IsLoading() ? E_FAIL : STG_E_CANTSAVE;
    m_initialized = true;
    return S_OK;
}

STDMETHODIMP COleControl::Impl::Load(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    CStreamExchange px(stream, TRUE);
    return Exchange(px);
}

STDMETHODIMP COleControl::Impl::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream)
        return E_POINTER;
    CStreamExchange px(stream, FALSE);
    HRESULT hr = Exchange(px);
    if (SUCCEEDED(hr) && clearDirty)
        m_dirty = false;
    return hr;
}

STDMETHODIMP COleControl::Impl::Load(IPropertyBag* bag, IErrorLog* log)
{
    if (!bag)
        return E_POINTER;
    CBagExchange px(bag, log, TRUE);
    return Exchange(px);
}

STDMETHODIMP COleControl::Impl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL)
{
    if (!bag)
        return E_POINTER;
    CBagExchange px(bag, nullptr, FALSE);
    HRESULT hr = Exchange(px);
    if (SUCCEEDED(hr) && clearDirty)
        m_dirty = false;
    return hr;
}

STDMETHODIMP COleControl::Impl::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    return m_owner->GetClassID(clsid);
}

STDMETHODIMP COleControl::Impl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    size->QuadPart = 3 * sizeof(LONG);
    return S_OK;
}

STDMETHODIMP COleControl::Impl::InitNew()
{
    if (m_initialized)
        return E_UNEXPECTED;
    m_initialized = true;
    m_owner->OnResetState();
    return S_OK;
}

BOOL COleControl::ExchangeVersion(CPropExchange* pPX, DWORD dwVersionDefault, BOOL bConvert)
{
    // Saves the current version; on load an older or missing version is
    // accepted when conversion is allowed.
    LONG version = static_cast<LONG>(dwVersionDefault);
    if (pPX->IsLoading()) {
        if (!pPX->ExchangeLong(L"_Version", &version))
            version = static_cast<LONG>(dwVersionDefault);
        pPX->m_dwVersion = static_cast<DWORD>(version);
        return bConvert || pPX->m_dwVersion == dwVersionDefault;
    }
    pPX->m_dwVersion = dwVersionDefault;
    return pPX->ExchangeLong(L"_Version", &version);
}

void COleControl::DoPropExchange(CPropExchange* pPX)
{
    SIZEL& e = m_pImpl->m_extent;
    LONG cx = e.cx, cy = e.cy;
    pPX->ExchangeLong(L"_ExtentX", &cx);
    pPX->ExchangeLong(L"_ExtentY", &cy);
    if (pPX->IsLoading() && pPX->IsOk())
        e = {cx, cy};
}
