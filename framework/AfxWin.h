// Window classes of the framework layer: typed wrappers over window handles,
// modal dialogs, property sheets and pages, and per-class message maps.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/AfxCore.h"

class CWnd;
class CDataExchange;

// ---- CWnd -----------------------------------------------------------------

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Removes the object from the handle map; never destroys the window.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    // The permanent object attached to `hWnd` if there is one; otherwise a
    // temporary wrapper owned by the calling thread (see DeleteTempMap).
    // Null only for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The attached object, or null: never creates a temporary.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // Frees the calling thread's temporary wrappers; pointers returned by
    // FromHandle for unattached windows become invalid. Also done at thread
    // exit, and when the thread's outermost modal dialog or sheet ends.
    static void DeleteTempMap();

    // Makes this object the window's permanent object. Fails if this object
    // already has a window or the window already has a permanent object.
    // Frees the calling thread's temporary wrapper for the window, if any.
    BOOL Attach(HWND hWnd);
    HWND Detach();

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const;

    void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetWindowText() const;
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK)
    {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }
    // Of a dialog window (a dialog, a page or a sheet): moves the focus to
    // its control `pWndCtrl`, as the dialog manager does for the Tab key.
    void GotoDlgCtrl(CWnd* pWndCtrl) { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE); }

protected:
    // Handlers call it to leave the message to the system's default handling.
    void Default() { m_bDefault = true; }
    // Default handling of a window timer's message.
    void OnTimer(UINT_PTR /*nIDEvent*/) { Default(); }

    // Dispatches a button click or a timer tick through the message maps of
    // this class and its bases; false when no entry matches or the handler
    // left the message to the default handling.
    bool OnMapMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Controls bound by DDX_Control; detached when this window is destroyed.
    std::vector<CWnd*> m_boundControls;
    bool m_bDefault = false;  // set by Default() during a dispatch
    // At WM_NCDESTROY: detaches the bound controls and this object.
    void DetachAll();

    friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
};

// ---- Controls -------------------------------------------------------------

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    // Selects characters nStartChar up to nEndChar (-1: to the end) and, unless
    // bNoScroll, scrolls the caret into view.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE)
    {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
        if (!bNoScroll)
            SendMessage(EM_SCROLLCARET);
    }
};

// ---- Dialog data exchange -------------------------------------------------

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls -> members
    CWnd* m_pDlgWnd;
};

// Attaches `rControl` to the dialog's control `nIDC` once; transfers no value.
// The control object must outlive the dialog window.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// ---- CDialog --------------------------------------------------------------

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    // Runs the dialog from AfxGetResourceHandle(); owner is the parent given
    // to the constructor, or else the active window. -1 on failure.
    virtual INT_PTR DoModal();
    BOOL EndDialog(INT_PTR nResult) { return ::EndDialog(m_hWnd, nResult); }

    // The base version calls UpdateData(FALSE) and returns TRUE (default focus).
    virtual BOOL OnInitDialog();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // The map's OK and Cancel entries: the modal loop ends with IDOK or IDCANCEL.
    void OnOK() { EndDialog(IDOK); }
    void OnCancel() { EndDialog(IDCANCEL); }
    DECLARE_MESSAGE_MAP()

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    // Dialogs and pages share one procedure: the object is attached to its
    // window at WM_INITDIALOG, clicks and timers go through its message map,
    // and it is detached with its bound controls at WM_NCDESTROY.
    static INT_PTR RunDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, CDialog* pInit);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// ---- Property pages and sheets --------------------------------------------

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    // `nIDCaption`: string table entry for the tab caption; 0 keeps the
    // template's caption.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    // Pages live inside a sheet; they are never run on their own.
    INT_PTR DoModal() override { return -1; }

    // The page description passed to the system; lParam carries `this`.
    const PROPSHEETPAGEA& GetPSP();

    PROPSHEETPAGEA m_psp;

protected:
    // A page ends no dialog: its map leaves out CDialog's OK and Cancel. The
    // sheet's notifications (activation, apply) get the system's defaults:
    // accept, allow leaving, apply without error.
    DECLARE_MESSAGE_MAP()

    UINT m_nIDCaption;
    std::string m_strCaption;

private:
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    explicit CPropertySheet(const char* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    // Detaches a sheet window still open; never destroys it.
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* pPage) { m_pages.push_back(pPage); }

    // Runs the sheet modally; the result of PropertySheetA (IDOK, IDCANCEL,
    // or -1 on failure).
    virtual INT_PTR DoModal();

    // The sheet window's WM_INITDIALOG: the base version runs the system's
    // initialisation, which creates the first page, and returns its result.
    // Derived versions call it first.
    virtual BOOL OnInitDialog();

    // Flags and fields are filled in by DoModal; dwFlags may be extended
    // by derived classes before it runs.
    PROPSHEETHEADERA m_psh;

protected:
    std::string m_strCaption;
    CWnd* m_pParentWnd;
    std::vector<CPropertyPage*> m_pages;

private:
    WNDPROC m_pfnSuper = nullptr;
    bool m_initPending = false;
    WPARAM m_initWParam = 0;
    LPARAM m_initLParam = 0;
    static void EndCreationHook();
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SheetWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
