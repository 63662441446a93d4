// COleControl: the OLE interfaces a container needs from a control, over the
// control's overridables. One object implements every interface; one
// reference count, one QueryInterface.
#include "framework/AfxCtl.h"

#include <new>
#include <utility>

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

// ---- Type library cache ---------------------------------------------------

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
    *ppTypeLib = m_lib.get();
    m_lib->AddRef();
    return S_OK;
}

// ---- The OLE object -------------------------------------------------------

struct COleControl::Impl final : IOleObject,
                           IOleInPlaceObject,
                           IOleInPlaceActiveObject,
                           IViewObject2,
                           IDispatch,
                           IOleControl,
                           IProvideClassInfo2,
                           IPersistStreamInit,
                           IPersistPropertyBag,
                           IConnectionPointContainer {
    explicit Impl(COleControl* owner) : m_owner(owner) {}

    COleControl* m_owner;
    LONG m_refs = 1;
    SIZEL m_extent = {};  // HIMETRIC
    afx::com_ptr<IOleAdviseHolder> m_adviseHolder;
    afx::com_ptr<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewAdvf = 0;
    afx::com_ptr<IOleInPlaceSite> m_inPlaceSite;
    bool m_dirty = false;
    bool m_initialized = false;

    // ---- IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleObject)
            *ppv = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (iid == IID_IOleInPlaceActiveObject)
            *ppv = static_cast<IOleInPlaceActiveObject*>(this);
        else if (iid == IID_IViewObject || iid == IID_IViewObject2)
            *ppv = static_cast<IViewObject2*>(this);
        else if (iid == IID_IDispatch || iid == m_owner->m_piidPrimary)
            *ppv = static_cast<IDispatch*>(this);
        else if (iid == IID_IOleControl)
            *ppv = static_cast<IOleControl*>(this);
        else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
            *ppv = static_cast<IProvideClassInfo2*>(this);
        else if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
            *ppv = static_cast<IPersistStreamInit*>(this);
        else if (iid == IID_IPersistPropertyBag)
            *ppv = static_cast<IPersistPropertyBag*>(this);
        else if (iid == IID_IConnectionPointContainer)
            *ppv = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete m_owner;
        return n;
    }

    // ---- IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        // Cleared before the release: the site's release may re-enter.
        m_owner->m_pClientSite.reset();
        m_owner->m_pClientSite = afx::com_ptr<IOleClientSite>(site);
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override
    {
        if (!site)
            return E_POINTER;
        *site = m_owner->m_pClientSite.get();
        if (*site)
            (*site)->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override
    {
        InPlaceDeactivate();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override
    {
        if (mk)
            *mk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** obj) override
    {
        if (obj)
            *obj = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** e) override
    {
        if (e)
            *e = nullptr;
        return OleRegEnumVerbs(ClassID(), e);
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override
    {
        if (!clsid)
            return E_POINTER;
        return m_owner->GetClassID(clsid);
    }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override
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
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override
    {
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!size)
            return E_POINTER;
        m_extent = *size;
        m_dirty = true;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override
    {
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!size)
            return E_POINTER;
        *size = m_extent;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override
    {
        if (!m_adviseHolder) {
            HRESULT hr = CreateOleAdviseHolder(m_adviseHolder.put());
            if (FAILED(hr))
                return hr;
        }
        return m_adviseHolder->Advise(sink, cookie);
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        return m_adviseHolder ? m_adviseHolder->Unadvise(cookie) : OLE_E_NOCONNECTION;
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override
    {
        if (e)
            *e = nullptr;
        return m_adviseHolder ? m_adviseHolder->EnumAdvise(e) : E_FAIL;
    }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override
    {
        if (!status)
            return E_POINTER;
        *status = aspect == DVASPECT_CONTENT ? m_owner->GetMiscStatus() : 0;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow / IOleInPlaceObject / IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* w) override
    {
        if (!w)
            return E_POINTER;
        *w = m_owner->m_hWnd;
        return *w ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override
    {
        if (!pos)
            return E_POINTER;
        if (m_owner->m_hWnd)
            MoveWindow(m_owner->m_hWnd, pos->left, pos->top, pos->right - pos->left,
                       pos->bottom - pos->top, TRUE);
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // ---- IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds,
                      LPCRECTL, BOOL (STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override
    {
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!hdc)
            return E_INVALIDARG;
        RECT r = {};
        if (bounds)
            r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        else if (m_owner->m_hWnd)
            GetClientRect(m_owner->m_hWnd, &r);
        else
            return E_INVALIDARG;
        m_owner->OnDraw(hdc, r, r);
        return S_OK;
    }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** p) override
    {
        if (p)
            *p = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override
    {
        m_viewAspects = aspects;
        m_viewAdvf = advf;
        m_viewSink = afx::com_ptr<IAdviseSink>(sink);
        return S_OK;
    }
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override
    {
        if (aspects)
            *aspects = m_viewAspects;
        if (advf)
            *advf = m_viewAdvf;
        if (sink) {
            *sink = m_viewSink.get();
            if (*sink)
                (*sink)->AddRef();
        }
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override
    {
        return GetExtent(aspect, size);
    }

    // ---- IDispatch: names and types from the type library, calls from the dispatch map
    STDMETHODIMP GetTypeInfoCount(UINT* n) override
    {
        if (!n)
            return E_POINTER;
        *n = m_owner->GetTypeInfoCount();
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return TypeInfoOf(m_owner->m_piidPrimary, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                               DISPID* ids) override
    {
        if (!names || !ids)
            return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const AFX_DISPMAP_ENTRY* e = FindMethod(names[i]);
            // Methods take no parameters: only the first name can be known.
            ids[i] = (e && i == 0) ? e->dispid : DISPID_UNKNOWN;
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        const AFX_DISPMAP_ENTRY* e = FindMethod(id);
        if (!e)
            return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs != 0)
            return DISP_E_BADPARAMCOUNT;
        if (result)
            VariantInit(result);
        (m_owner->*(e->pfnMethod))();
        return S_OK;
    }

    // ---- IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override
    {
        if (!info)
            return E_POINTER;
        info->hAccel = nullptr;
        info->cAccel = 0;
        info->dwFlags = 0;
        return S_OK;
    }
    STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // ---- IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        return TypeInfoOf(ClassID(), LOCALE_USER_DEFAULT, info);
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override
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

    // ---- IPersist*
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        if (!clsid)
            return E_POINTER;
        return m_owner->GetClassID(clsid);
    }
    STDMETHODIMP IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override
    {
        if (!size)
            return E_POINTER;
        size->QuadPart = 3 * sizeof(LONG);
        return S_OK;
    }
    STDMETHODIMP InitNew() override
    {
        if (m_initialized)
            return E_UNEXPECTED;
        m_initialized = true;
        m_owner->OnResetState();
        return S_OK;
    }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // ---- IConnectionPointContainer: the event source, which never fires
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override
    {
        if (e)
            *e = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** cp) override;

    // ---- helpers
    CLSID ClassID()
    {
        CLSID clsid = CLSID_NULL;
        m_owner->GetClassID(&clsid);
        return clsid;
    }
    HRESULT TypeInfoOf(REFGUID guid, LCID lcid, ITypeInfo** info)
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
    const AFX_DISPMAP_ENTRY* FindMethod(const wchar_t* name) const
    {
        const AFX_DISPMAP* map = m_owner->GetDispatchMap();
        for (const AFX_DISPMAP_ENTRY* e = map ? map->pEntries : nullptr; e && e->name; ++e)
            if (lstrcmpiW(e->name, name) == 0)
                return e;
        return nullptr;
    }
    const AFX_DISPMAP_ENTRY* FindMethod(DISPID id) const
    {
        const AFX_DISPMAP* map = m_owner->GetDispatchMap();
        for (const AFX_DISPMAP_ENTRY* e = map ? map->pEntries : nullptr; e && e->name; ++e)
            if (e->dispid == id)
                return e;
        return nullptr;
    }
    HRESULT InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect);
    HRESULT Exchange(CPropExchange& px);
};

// ---- Verbs and in-place activation ----------------------------------------

namespace {

const wchar_t kControlWindowClass[] = L"AfxOleControl";

LRESULT CALLBACK ControlWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* ctl = reinterpret_cast<COleControl*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (msg == WM_PRINTCLIENT && ctl) {
        RECT client;
        GetClientRect(w, &client);
        ctl->OnDraw(reinterpret_cast<HDC>(wp), client, client);
        return 0;
    } else if (msg == WM_PAINT && ctl) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT client;
        GetClientRect(w, &client);
        ctl->OnDraw(dc, client, ps.rcPaint);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

bool RegisterControlWindowClass()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ControlWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kControlWindowClass;
    return RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HRESULT COleControl::Impl::InPlaceActivate(IOleClientSite* site, HWND, LPCRECT)
{
    if (m_owner->m_hWnd)
        return S_OK;
    if (!site)
        site = m_owner->m_pClientSite.get();
    if (!site)
        return E_UNEXPECTED;
    afx::com_ptr<IOleInPlaceSite> ips;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, ips.put_void())))
        return E_NOINTERFACE;
    if (ips->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    HWND parent = nullptr;
    if (FAILED(ips->GetWindow(&parent)) || !parent)
        return E_FAIL;
    afx::com_ptr<IOleInPlaceFrame> frame;
    afx::com_ptr<IOleInPlaceUIWindow> doc;
    RECT pos = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    if (FAILED(ips->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info)))
        return E_FAIL;
    ips->OnInPlaceActivate();
    if (!RegisterControlWindowClass())
        return E_FAIL;
    m_owner->m_hWnd = CreateWindowExW(0, kControlWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                      pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                                      parent, nullptr, AfxGetInstanceHandle(), m_owner);
    if (!m_owner->m_hWnd) {
        ips->OnInPlaceDeactivate();
        return E_FAIL;
    }
    m_inPlaceSite = ips;
    return S_OK;
}

STDMETHODIMP COleControl::Impl::InPlaceDeactivate()
{
    if (!m_owner->m_hWnd)
        return S_OK;
    DestroyWindow(std::exchange(m_owner->m_hWnd, nullptr));
    afx::com_ptr<IOleInPlaceSite> ips = std::move(m_inPlaceSite);
    if (ips)
        ips->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP COleControl::Impl::DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG,
                                      HWND parent, LPCRECT rect)
{
    // The control's own verbs first, then the standard properties verb.
    const AFX_VERBMAP* map = m_owner->GetMessageMap();
    for (const AFX_VERBMAP_ENTRY* e = map ? map->pVerbs : nullptr; e && e->pfnVerb; ++e) {
        if (e->nVerb == verb || (verb == OLEIVERB_PROPERTIES && e->nMenuNameID == AFX_IDS_VERB_PROPERTIES)) {
            AddRef();  // the verb may run a modal loop in which the container lets go
            BOOL ok = (m_owner->*(e->pfnVerb))(msg, parent, rect);
            Release();
            return ok ? S_OK : E_FAIL;
        }
    }
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(site, parent, rect);
    case OLEIVERB_HIDE:
        if (m_owner->m_hWnd)
            ShowWindow(m_owner->m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES:
        return m_owner->OnProperties(msg, parent, rect) ? S_OK : E_FAIL;
    case OLEIVERB_OPEN:
    case OLEIVERB_DISCARDUNDOSTATE:
        return E_NOTIMPL;
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

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

// ---- Events: one connection point that accepts advises and never fires ----

namespace {

class CEventPoint final : public IConnectionPoint {
public:
    CEventPoint(IConnectionPointContainer* owner, REFIID iid) : m_owner(owner), m_iid(iid)
    {
        AfxOleLockApp();
    }
    ~CEventPoint() { AfxOleUnlockApp(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (iid != IID_IUnknown && iid != IID_IConnectionPoint)
            return E_NOINTERFACE;
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        if (!iid)
            return E_POINTER;
        *iid = m_iid;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** c) override
    {
        if (!c)
            return E_POINTER;
        *c = m_owner.get();
        (*c)->AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        afx::com_ptr<IUnknown> s;
        if (FAILED(sink->QueryInterface(m_iid, s.put_void())) &&
            FAILED(sink->QueryInterface(IID_IDispatch, s.put_void())))
            return CONNECT_E_CANNOTCONNECT;
        for (size_t i = 0; i < kSinks; ++i) {
            if (!m_sinks[i]) {
                m_sinks[i] = std::move(s);
                *cookie = static_cast<DWORD>(i + 1);
                return S_OK;
            }
        }
        return CONNECT_E_ADVISELIMIT;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        if (cookie == 0 || cookie > kSinks || !m_sinks[cookie - 1])
            return CONNECT_E_NOCONNECTION;
        m_sinks[cookie - 1].reset();
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections** e) override
    {
        if (e)
            *e = nullptr;
        return E_NOTIMPL;
    }

private:
    static constexpr size_t kSinks = 8;
    LONG m_refs = 1;
    afx::com_ptr<IConnectionPointContainer> m_owner;
    IID m_iid;
    afx::com_ptr<IUnknown> m_sinks[kSinks];
};

}  // namespace

STDMETHODIMP COleControl::Impl::FindConnectionPoint(REFIID iid, IConnectionPoint** cp)
{
    if (!cp)
        return E_POINTER;
    *cp = nullptr;
    if (iid != m_owner->m_piidEvents)
        return CONNECT_E_NOCONNECTION;
    // A point per request, holding the control: sinks advised on it are kept
    // while its client holds it, and nothing is ever fired to them.
    *cp = new (std::nothrow) CEventPoint(this, iid);
    return *cp ? S_OK : E_OUTOFMEMORY;
}

// ---- COleControl ----------------------------------------------------------

IMPLEMENT_DYNAMIC(COleControl, CObject)

COleControl::COleControl() : m_pImpl(new Impl(this))
{
    // Default extent: 100 by 50 pixels at 96 dpi, in HIMETRIC.
    m_pImpl->m_extent = {2646, 1323};
    AfxOleLockApp();
}

COleControl::~COleControl()
{
    if (m_hWnd)
        DestroyWindow(std::exchange(m_hWnd, nullptr));
    m_pClientSite.reset();
    delete m_pImpl;
    AfxOleUnlockApp();
}

IUnknown* COleControl::GetControllingUnknown() { return static_cast<IOleObject*>(m_pImpl); }

void COleControl::InitializeIIDs(const IID* piidPrimary, const IID* piidEvents)
{
    m_piidPrimary = *piidPrimary;
    m_piidEvents = *piidEvents;
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

void COleControl::OnResetState() {}

void COleControl::OnDraw(HDC, const RECT&, const RECT&) {}

BOOL COleControl::OnProperties(LPMSG, HWND, LPCRECT) { return TRUE; }

HRESULT COleControl::GetTypeLib(LCID, ITypeLib**) { return TYPE_E_CANTLOADLIBRARY; }

const AFX_VERBMAP* COleControl::GetMessageMap() const { return nullptr; }

const AFX_DISPMAP* COleControl::GetDispatchMap() const { return nullptr; }

const AFX_EVENTMAP* COleControl::GetEventMap() const { return nullptr; }

void COleControl::InvalidateControl()
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
    if (m_pImpl->m_viewSink)
        m_pImpl->m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
}
