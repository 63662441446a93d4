// COleControl's window and picture: verbs, in-place activation in a child
// window of the container, IOleInPlaceObject and IViewObject2.
#include "framework/AfxCtlImpl.h"

#include <utility>

namespace {

const wchar_t kControlWindowClass[] = L"AfxOleControl";

void PaintControl(COleControl* ctl, HWND w, HDC dc, const RECT& invalid)
{
    RECT client;
    GetClientRect(w, &client);
    ctl->OnDraw(dc, client, invalid);
}

LRESULT CALLBACK ControlWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* ctl = reinterpret_cast<COleControl*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (msg == WM_PRINTCLIENT && ctl) {
        RECT client;
        GetClientRect(w, &client);
        PaintControl(ctl, w, reinterpret_cast<HDC>(wp), client);
        return 0;
    } else if (msg == WM_PAINT && ctl) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        PaintControl(ctl, w, dc, ps.rcPaint);
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
    // The system's arrow; IDC_ARROW is spelt for the ANSI call.
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kControlWindowClass;
    return RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The in-place site of `site` when it lets the control activate, with its
// window and the control's position in it.
HRESULT ActivationSite(IOleClientSite* site, afx::com_ptr<IOleInPlaceSite>& ips, HWND* parent,
                       RECT* pos)
{
    ips = afx::query<IOleInPlaceSite>(site, IID_IOleInPlaceSite);
    if (!ips)
        return E_NOINTERFACE;
    if (ips->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    if (FAILED(ips->GetWindow(parent)) || !*parent)
        return E_FAIL;
    afx::com_ptr<IOleInPlaceFrame> frame;
    afx::com_ptr<IOleInPlaceUIWindow> doc;
    RECT clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    if (FAILED(ips->GetWindowContext(frame.put(), doc.put(), pos, &clip, &info)))
        return E_FAIL;
    return S_OK;
}

}  // namespace

// ---- Verbs and in-place activation ----------------------------------------

HRESULT COleControl::Impl::InPlaceActivate(IOleClientSite* site)
{
    if (m_owner->m_hWnd)
        return S_OK;
    if (!site)
        site = m_owner->m_pClientSite.get();
    if (!site)
        return E_UNEXPECTED;
    afx::com_ptr<IOleInPlaceSite> ips;
    HWND parent = nullptr;
    RECT pos = {};
    HRESULT hr = ActivationSite(site, ips, &parent, &pos);
    if (FAILED(hr))
        return hr;
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

// The control's own verbs are numbered from 1 in the order of their entries;
// the standard properties verb is the entry named with the standard name.
const AFX_MSGMAP_ENTRY* COleControl::FindVerbEntry(LONG verb) const
{
    if (verb == OLEIVERB_PROPERTIES)
        return FindMessageEntry(AfxSigOleVerb, AFX_IDS_VERB_PROPERTIES);
    LONG number = 0;
    return FindMessageEntry([verb, &number](const AFX_MSGMAP_ENTRY& e) {
        return e.kind == AfxSigOleVerb && ++number == verb;
    });
}

STDMETHODIMP COleControl::Impl::DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG,
                                      HWND parent, LPCRECT rect)
{
    // The control's own verbs first, then the standard ones.
    if (const AFX_MSGMAP_ENTRY* e = m_owner->FindVerbEntry(verb)) {
        // The verb may run a modal loop in which the container lets go.
        afx::com_ptr<IUnknown> hold(m_owner->GetControllingUnknown());
        return (m_owner->*(e->verbHandler))(msg, parent, rect) ? S_OK : E_FAIL;
    }
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(site);
    case OLEIVERB_HIDE:
        if (m_owner->m_hWnd)
            ShowWindow(m_owner->m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_DISCARDUNDOSTATE:
        return E_NOTIMPL;
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

BOOL COleControl::OnProperties(LPMSG, HWND, LPCRECT) { return TRUE; }

// ---- IOleWindow, IOleInPlaceObject ----------------------------------------

STDMETHODIMP COleControl::Impl::GetWindow(HWND* w)
{
    if (!w)
        return E_POINTER;
    *w = m_owner->m_hWnd;
    return *w ? S_OK : E_FAIL;
}

STDMETHODIMP COleControl::Impl::SetObjectRects(LPCRECT pos, LPCRECT)
{
    if (!pos)
        return E_POINTER;
    if (m_owner->m_hWnd)
        MoveWindow(m_owner->m_hWnd, pos->left, pos->top, pos->right - pos->left,
                   pos->bottom - pos->top, TRUE);
    return S_OK;
}

// ---- IViewObject2 and drawing ---------------------------------------------

void COleControl::OnDraw(HDC, const RECT&, const RECT&) {}


STDMETHODIMP COleControl::Impl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc,
                                     LPCRECTL bounds, LPCRECTL,
                                     BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
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

STDMETHODIMP COleControl::Impl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                            LOGPALETTE** p)
{
    if (p)
        *p = nullptr;
    return S_FALSE;
}

STDMETHODIMP COleControl::Impl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink)
{
    m_viewAspects = aspects;
    m_viewAdvf = advf;
    m_viewSink = afx::com_ptr<IAdviseSink>(sink);
    return S_OK;
}

STDMETHODIMP COleControl::Impl::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink)
{
    if (aspects)
        *aspects = m_viewAspects;
    if (advf)
        *advf = m_viewAdvf;
    if (sink)
        m_viewSink.copy_to(sink);
    return S_OK;
}
