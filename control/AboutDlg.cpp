// The About dialog.
#include "control/AboutDlg.h"

#include "framework/AfxCore.h"
#include "resources/resource.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CAboutDlg::DoModal()
{
    return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDD_ABOUTBOX_VENNOX),
                           GetActiveWindow(), AboutProc, 0);
}
