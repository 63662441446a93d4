// CWnd and its controls: the handle map (permanent objects per window,
// temporary wrappers per thread), message-map dispatch of clicks and timers,
// and control binding; the modal scope dialogs and sheets share.
#include "framework/AfxWinImpl.h"

#include "framework/AfxThread.h"

#include <memory>
#include <unordered_map>
#include <utility>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)

namespace {

// Permanent objects: one per attached window, visible from every thread.
afx::srw_lock g_mapLock;
std::unordered_map<HWND, CWnd*> g_permanentMap;

// Temporary wrappers for windows the framework did not attach, per thread.
// They were never in the permanent map: clear the handle so that the
// destructor does not look there (also at thread exit).
struct TempDelete {
    void operator()(CWnd* p) const
    {
        p->m_hWnd = nullptr;
        delete p;
    }
};

struct ThreadWindows {
    std::unordered_map<HWND, std::unique_ptr<CWnd, TempDelete>> temporaries;
    int modalDepth = 0;  // modal loops in progress (CModalScope)
};
afx::thread_local_object<ThreadWindows> t_windows;

}  // namespace

CModalScope::CModalScope() { ++t_windows->modalDepth; }

CModalScope::~CModalScope()
{
    if (--t_windows->modalDepth == 0)
        CWnd::DeleteTempMap();
}

// The classes are registered once; later calls find them and return.
void RegisterCommonControls()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
}

// ---- CWnd -----------------------------------------------------------------

CWnd::~CWnd()
{
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    afx::exclusive lock(g_mapLock);
    auto it = g_permanentMap.find(hWnd);
    return it == g_permanentMap.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    auto& temp = t_windows->temporaries[hWnd];
    if (!temp) {
        temp.reset(new CWnd);
        temp->m_hWnd = hWnd;  // not in the permanent map
    }
    return temp.get();
}

void CWnd::DeleteTempMap()
{
    t_windows->temporaries.clear();
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    {
        afx::exclusive lock(g_mapLock);
        if (!g_permanentMap.emplace(hWnd, this).second)
            return FALSE;
    }
    m_hWnd = hWnd;
    // FromHandle now answers this object: drop any temporary wrapper.
    auto it = t_windows->temporaries.find(hWnd);
    if (it != t_windows->temporaries.end())
        t_windows->temporaries.erase(it);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        afx::exclusive lock(g_mapLock);
        auto it = g_permanentMap.find(hWnd);
        if (it != g_permanentMap.end() && it->second == this)
            g_permanentMap.erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

std::string CWnd::GetWindowText() const
{
    int len = ::GetWindowTextLengthA(m_hWnd);
    if (len <= 0)
        return {};
    std::string text(static_cast<size_t>(len) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, &text[0], len + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

bool CWnd::OnMapMessage(UINT msg, WPARAM wParam, LPARAM)
{
    const AFX_MSGMAP_ENTRY* e = nullptr;
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        e = FindMessageEntry(AfxSigClicked, LOWORD(wParam));
    else if (msg == WM_TIMER)
        e = FindMessageEntry(AfxSigTimer, 0);
    if (!e)
        return false;
    // A handler may dispatch other messages before it returns.
    const bool outer = std::exchange(m_bDefault, false);
    if (e->kind == AfxSigTimer)
        (this->*(e->timerHandler))(wParam);
    else if (e->rangeHandler)
        (this->*(e->rangeHandler))(LOWORD(wParam));
    else
        (this->*(e->handler))();
    return !std::exchange(m_bDefault, outer);
}

void CWnd::DetachAll()
{
    for (CWnd* control : m_boundControls)
        control->Detach();
    m_boundControls.clear();
    Detach();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND hCtl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hCtl && rControl.Attach(hCtl))
        pDX->m_pDlgWnd->m_boundControls.push_back(&rControl);
}
