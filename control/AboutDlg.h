// The About dialog, template 1: a plain modal dialog closed by its OK button.
#pragma once

#include "framework/AfxWin.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
