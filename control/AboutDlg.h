// The About dialog, template 1: a plain modal dialog closed by its OK button.
#pragma once

#include <windows.h>

class CAboutDlg {
public:
    // Runs the dialog modally, owned by the active window of the thread.
    INT_PTR DoModal();
};
