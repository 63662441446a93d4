// CSheet: the modal sheet "VNX", its ten pages and the host's two node
// interfaces.
#include "sheet/Sheet.h"

#include <initializer_list>

#include "control/VennoxCtrl.h"

IMPLEMENT_DYNAMIC(CSheet, CPropertySheet)

namespace {

constexpr int kIdApply = 0x3021;  // the system sheet's Apply button

// The reference QueryInterface returns into `held`, and one more in
// `shown`; any failure means the host does not offer the interface.
template <typename Interface>
void Obtain(IOleClientSite* site, REFIID iid, afx::com_ptr<Interface>& held, afx::com_ptr<Interface>& shown)
{
    held = afx::query<Interface>(site, iid);
    shown = held;
}

}  // namespace

CSheet::CSheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage)
{
    ObtainInterfaces();
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{
             &m_page1, &m_page2, &m_page3, &m_page4, &m_page5, &m_page6, &m_page7, &m_page8, &m_page9,
             &m_page10})
        AddPage(page);
}

CSheet::~CSheet() { ReleaseInterfaces(); }

// Each interface the host offers is held twice; none is taken on the
// client site. Read side first.
void CSheet::ObtainInterfaces()
{
    if (!g_pCurrentCtrl)
        return;
    m_pClientSite = g_pCurrentCtrl->GetClientSite();
    if (!m_pClientSite)
        return;
    Obtain(m_pClientSite, IID_IReadNode, m_pReadNodeHeld, m_pReadNode);
    Obtain(m_pClientSite, IID_IWriteNode, m_pWriteNodeHeld, m_pWriteNode);
}

// Returns exactly the references taken, both through the interface that
// carries them, write side first. Releasing one of them through the client
// site instead would be right only for a host that serves both interfaces
// from its site object; a host with separate node objects would lose a
// reference on its site with every opening.
void CSheet::ReleaseInterfaces()
{
    m_pWriteNodeHeld.reset();
    m_pWriteNode.reset();
    m_pReadNodeHeld.reset();
    m_pReadNode.reset();
    m_pClientSite = nullptr;
}

BOOL CSheet::OnInitDialog()
{
    CPropertySheet::OnInitDialog();
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->SetWindowText("Exit");
    for (int id : {kIdApply, IDCANCEL})
        if (CWnd* button = GetDlgItem(id))
            button->ShowWindow(SW_HIDE);
    if (!m_pWriteNode && !m_pReadNode)
        MessageBox("Node not available!", "Plugin", MB_OK | MB_ICONEXCLAMATION);
    return TRUE;
}

CSheet* CSheet::FromPage(const CWnd& page)
{
    CWnd* parent = page.GetParent();
    if (!parent || !parent->IsKindOf(RUNTIME_CLASS(CSheet)))
        return nullptr;
    return static_cast<CSheet*>(parent);
}
