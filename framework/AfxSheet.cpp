// CPropertySheet over the system's property sheet. The sheet window is
// attached and subclassed as it is created (a CBT hook on the thread, for the
// first window PropertySheetA creates), so that the sheet's OnInitDialog
// wraps the system's WM_INITDIALOG, which creates the first page.
#include "framework/AfxWinImpl.h"

#include "framework/AfxThread.h"

#include <cstring>
#include <utility>

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

// The sheet whose PropertySheetA call is in progress on a thread, until its
// window has been created and attached, and the hook that watches for it.
struct SheetCreation {
    CPropertySheet* sheet = nullptr;
    HHOOK hook = nullptr;
};
afx::thread_local_object<SheetCreation> t_creation;

// The system's dialog class (WC_DIALOG) by its name, as GetClassName gives it.
constexpr char kDialogClass[] = "#32770";

}  // namespace

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
    RegisterCommonControls();
    std::vector<PROPSHEETPAGEA> pages;
    pages.reserve(m_pages.size());
    for (CPropertyPage* page : m_pages)
        pages.push_back(page->GetPSP());
    if (pages.empty() || t_creation->sheet)
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

    t_creation->hook = ::SetWindowsHookExA(WH_CBT, &CPropertySheet::CreationHook, nullptr, ::GetCurrentThreadId());
    if (!t_creation->hook)
        return -1;
    t_creation->sheet = this;
    INT_PTR result = ::PropertySheetA(&m_psh);
    EndCreationHook();
    m_psh.ppsp = nullptr;
    if (m_hWnd)  // the window is gone; its WM_NCDESTROY was not seen
        Detach();
    return result;
}

void CPropertySheet::EndCreationHook()
{
    t_creation->sheet = nullptr;
    if (HHOOK hook = std::exchange(t_creation->hook, nullptr))
        ::UnhookWindowsHookEx(hook);
}

LRESULT CALLBACK CPropertySheet::CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = t_creation->hook;
    CPropertySheet* sheet = t_creation->sheet;
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    char cls[16] = {};
    // The sheet is the first dialog PropertySheetA creates (the system may
    // create an IME window of its own before it).
    if (code == HCBT_CREATEWND && sheet && ::GetClassNameA(hWnd, cls, sizeof cls) &&
        std::strcmp(cls, kDialogClass) == 0) {
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
