// Modal dialogs and property pages: one dialog procedure that attaches the
// object, dispatches through its message map and detaches it.
#include "framework/AfxWinImpl.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

// ---- CDialog --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_BN_CLICKED(IDOK, &CDialog::OnOK)
    ON_BN_CLICKED(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal()
{
    RegisterCommonControls();
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
    if (msg != WM_COMMAND && msg != WM_TIMER)
        return FALSE;
    return dlg->OnMapMessage(msg, wParam, lParam) ? TRUE : FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* init = msg == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
    return RunDialogProc(hWnd, msg, wParam, lParam, init);
}

// ---- CPropertyPage --------------------------------------------------------

BEGIN_MESSAGE_MAP(CPropertyPage, CWnd)
END_MESSAGE_MAP()

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
