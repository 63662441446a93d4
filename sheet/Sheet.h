// CSheet: the modal configuration sheet "VNX". It holds the ten pages, lends
// the host's node-access interfaces to them, and shows a single "Exit" button.
#pragma once

#include <oleidl.h>

#include "framework/AfxWin.h"
#include "framework/Handles.h"
#include "nodeaccess/NodeAccess.h"
#include "sheet/CommonPage.h"
#include "sheet/NodeInfoPage.h"
#include "sheet/ZoneActualPage.h"
#include "sheet/ZoneSettingsPage.h"

class CSheet : public CPropertySheet {
    DECLARE_DYNAMIC(CSheet)

public:
    CSheet(const char* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CSheet() override;

    BOOL OnInitDialog() override;

    // The sheet that owns the page window `page`, or null.
    static CSheet* FromPage(const CWnd& page);

    // What the pages call through; null when the host does not offer it.
    afx::com_ptr<IWriteNode> m_pWriteNode;
    afx::com_ptr<IReadNode> m_pReadNode;
    // Node calls of the pages that have not returned yet.
    int m_nNodeCallsInFlight = 0;

private:
    void ObtainInterfaces();
    void ReleaseInterfaces();

    // The references QueryInterface returned; the page-visible members
    // above hold one more each.
    afx::com_ptr<IWriteNode> m_pWriteNodeHeld;
    afx::com_ptr<IReadNode> m_pReadNodeHeld;
    // The control's client site, borrowed: no reference of the sheet's.
    IOleClientSite* m_pClientSite = nullptr;

    CVennoxPropPage m_page1;
    CPage2PropPage m_page2;
    CPage3PropPage m_page3;
    CPage4PropPage m_page4;
    CPage5PropPage m_page5;
    CPage6PropPage m_page6;
    CPage7PropPage m_page7;
    CPage8PropPage m_page8;
    CPage9PropPage m_page9;
    CPage10PropPage m_page10;
};
