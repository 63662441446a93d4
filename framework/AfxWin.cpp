// Window classes: the handle map, message-map dispatch, modal dialogs, and
// property pages and sheets over the system's property sheet.
#include "framework/AfxWin.h"

#include <cstring>
#include <memory>
#include <utility>
#include <mutex>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

// Permanent objects: one per attached window, visible from every thread.
std::mutex g_mapLock;
std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

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
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd, TempDelete>> t_tempMap;

// The sheet whose PropertySheetA call is in progress on this thread, until
// its window has been created and attached.
thread_local CPropertySheet* t_pSheetInit = nullptr;
thread_local HHOOK t_sheetHook = nullptr;

// Modal loops of this thread in progress. When the outermost one ends, the
// temporary wrappers made during it go, as an idle loop would free them:
// their windows are gone, and nothing outlives the loop holding them.
thread_local int t_modalDepth = 0;

class CModalScope {
public:
    CModalScope() { ++t_modalDepth; }
    ~CModalScope()
    {
        if (--t_modalDepth == 0)
            CWnd::DeleteTempMap();
    }
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;
};

void InitCommonControlsOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&icc);
    });
}

}  // namespace

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
    std::lock_guard<std::mutex> lock(g_mapLock);
    auto it = PermanentMap().find(hWnd);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    auto& temp = t_tempMap[hWnd];
    if (!temp) {
        temp.reset(new CWnd);
        temp->m_hWnd = hWnd;  // not in the permanent map
    }
    return temp.get();
}

void CWnd::DeleteTempMap()
{
    t_tempMap.clear();
}

size_t CWnd::TemporaryCount() { return t_tempMap.size(); }

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(g_mapLock);
        if (!PermanentMap().emplace(hWnd, this).second)
            return FALSE;
    }
    m_hWnd = hWnd;
    // FromHandle now answers this object: drop any temporary wrapper.
    auto it = t_tempMap.find(hWnd);
    if (it != t_tempMap.end())
        t_tempMap.erase(it);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        std::lock_guard<std::mutex> lock(g_mapLock);
        auto it = PermanentMap().find(hWnd);
        if (it != PermanentMap().end() && it->second == this)
            PermanentMap().erase(it);
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
        e = FindMessageEntry(AfxSigClicked, MapControlID(LOWORD(wParam)));
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

int CButton::GetCheck() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0));
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND hCtl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hCtl && rControl.Attach(hCtl))
        pDX->m_pDlgWnd->m_boundControls.push_back(&rControl);
}

// ---- CDialog --------------------------------------------------------------

INT_PTR CDialog::DoModal()
{
    InitCommonControlsOnce();
    CModalScope modal;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

// Dialogs and pages share one procedure: the object is attached to its
// window at WM_INITDIALOG and detached, with its bound controls, at
// WM_NCDESTROY.
INT_PTR CDialog::RunDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, CDialog* pInit)
{
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pInit));
        pInit->Attach(hWnd);
        return pInit->OnInitDialog();
    }
    auto* dlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!dlg)
        return FALSE;
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        dlg->DetachAll();
        return FALSE;
    }
    return dlg->OnDialogMessage(msg, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* init = msg == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
    return RunDialogProc(hWnd, msg, wParam, lParam, init);
}

INT_PTR CDialog::OnDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_COMMAND && msg != WM_TIMER)
        return FALSE;
    if (OnMapMessage(msg, wParam, lParam))
        return TRUE;
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        OnOK();
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

// ---- CPropertyPage --------------------------------------------------------

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
    : CDialog(nIDTemplate), m_psp(), m_nIDCaption(nIDCaption)
{
}

const PROPSHEETPAGEA& CPropertyPage::GetPSP()
{
    m_psp = PROPSHEETPAGEA();
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    m_psp.pfnDlgProc = &CPropertyPage::PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (m_nIDCaption) {
        char buf[256] = {};
        if (::LoadStringA(AfxGetResourceHandle(), m_nIDCaption, buf, sizeof(buf)) > 0) {
            m_strCaption = buf;
            m_psp.dwFlags |= PSP_USETITLE;
            m_psp.pszTitle = m_strCaption.c_str();
        }
    }
    return m_psp;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // lParam of WM_INITDIALOG is the system's copy of the page description.
    CDialog* init = nullptr;
    if (msg == WM_INITDIALOG)
        init = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    return RunDialogProc(hWnd, msg, wParam, lParam, init);
}

INT_PTR CPropertyPage::OnDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND || msg == WM_TIMER)
        return OnMapMessage(msg, wParam, lParam) ? TRUE : FALSE;
    if (msg != WM_NOTIFY)
        return FALSE;
    LONG_PTR result = 0;
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE: result = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: result = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; break;
    case PSN_RESET: OnReset(); break;
    default: return FALSE;
    }
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// ---- CPropertySheet -------------------------------------------------------
// The sheet window is attached and subclassed as it is created (a CBT hook on
// the thread, for the first window PropertySheetA creates), so that the
// sheet's OnInitDialog wraps the system's WM_INITDIALOG, which creates the
// first page.

CPropertySheet::CPropertySheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_psh(), m_strCaption(pszCaption ? pszCaption : ""), m_pParentWnd(pParentWnd)
{
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet()
{
    if (m_hWnd && m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
}

INT_PTR CPropertySheet::DoModal()
{
    InitCommonControlsOnce();
    std::vector<PROPSHEETPAGEA> pages;
    pages.reserve(m_pages.size());
    for (CPropertyPage* page : m_pages)
        pages.push_back(page->GetPSP());
    if (pages.empty() || t_pSheetInit)
        return -1;
    CModalScope modal;

    m_psh.dwFlags |= PSH_PROPSHEETPAGE;
    m_psh.hwndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption.c_str();
    m_psh.nPages = static_cast<UINT>(pages.size());
    if (m_psh.nStartPage >= m_psh.nPages)
        m_psh.nStartPage = 0;
    m_psh.ppsp = pages.data();

    t_sheetHook = ::SetWindowsHookExA(WH_CBT, &CPropertySheet::CreationHook, nullptr, ::GetCurrentThreadId());
    if (!t_sheetHook)
        return -1;
    t_pSheetInit = this;
    INT_PTR result = ::PropertySheetA(&m_psh);
    EndCreationHook();
    m_psh.ppsp = nullptr;
    if (m_hWnd)  // the window is gone; its WM_NCDESTROY was not seen
        Detach();
    return result;
}

void CPropertySheet::EndCreationHook()
{
    t_pSheetInit = nullptr;
    if (HHOOK hook = std::exchange(t_sheetHook, nullptr))
        ::UnhookWindowsHookEx(hook);
}

LRESULT CALLBACK CPropertySheet::CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = t_sheetHook;
    CPropertySheet* sheet = t_pSheetInit;
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    char cls[16] = {};
    // The sheet is the first dialog PropertySheetA creates (the system may
    // create an IME window of its own before it).
    if (code == HCBT_CREATEWND && sheet && ::GetClassNameA(hWnd, cls, sizeof cls) &&
        std::strcmp(cls, "#32770") == 0) {
        EndCreationHook();
        if (sheet->Attach(hWnd))
            sheet->m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPropertySheet::SheetWndProc)));
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

BOOL CPropertySheet::OnInitDialog()
{
    if (!m_pfnSuper || !m_initPending)
        return FALSE;
    m_initPending = false;
    return static_cast<BOOL>(::CallWindowProcA(m_pfnSuper, m_hWnd, WM_INITDIALOG, m_initWParam, m_initLParam));
}

LRESULT CALLBACK CPropertySheet::SheetWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* sheet = static_cast<CPropertySheet*>(FromHandlePermanent(hWnd));
    if (!sheet)
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    WNDPROC super = sheet->m_pfnSuper;
    switch (msg) {
    case WM_INITDIALOG:
        sheet->m_initPending = true;
        sheet->m_initWParam = wParam;
        sheet->m_initLParam = lParam;
        return sheet->OnInitDialog();
    case WM_COMMAND:
    case WM_TIMER:
        if (sheet->OnMapMessage(msg, wParam, lParam))
            return 0;
        break;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        sheet->m_pfnSuper = nullptr;
        sheet->DetachAll();
        break;
    default:
        break;
    }
    return ::CallWindowProcA(super, hWnd, msg, wParam, lParam);
}
