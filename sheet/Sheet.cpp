// CSheet: the modal sheet "VNX", its ten pages and the host's two node
// interfaces.
#include "sheet/Sheet.h"

#include <initializer_list>
#include <utility>

#include "control/VennoxCtrl.h"

IMPLEMENT_DYNAMIC(CSheet, CPropertySheet)

namespace {

constexpr int kIdApply = 0x3021;  // the system sheet's Apply button

}  // namespace

CSheet::CSheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage)
{
    m_pWriteNode = nullptr;
    m_pReadNode = nullptr;
    m_pWriteNodeHeld = nullptr;
    m_pReadNodeHeld = nullptr;
    m_pClientSite = nullptr;
    ObtainInterfaces();
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{
             &m_page1, &m_page2, &m_page3, &m_page4, &m_page5, &m_page6, &m_page7, &m_page8, &m_page9,
             &m_page10})
        AddPage(page);
}

CSheet::~CSheet() { ReleaseInterfaces(); }

// Each interface the host offers is held twice: the reference QueryInterface
// returned and one more of the sheet's own. None is taken on the client site.
void CSheet::ObtainInterfaces()
{
    if (!g_pCurrentCtrl)
        return;
    m_pClientSite = g_pCurrentCtrl->GetClientSite();
    if (!m_pClientSite)
        return;
    // Read side first. Any failure means the host does not offer it.
    if (m_pClientSite->QueryInterface(IID_IReadNode, reinterpret_cast<void**>(&m_pReadNodeHeld)) == S_OK &&
        m_pReadNodeHeld) {
        m_pReadNodeHeld->AddRef();
        m_pReadNode = m_pReadNodeHeld;
    } else {
        m_pReadNodeHeld = nullptr;
    }
    if (m_pClientSite->QueryInterface(IID_IWriteNode, reinterpret_cast<void**>(&m_pWriteNodeHeld)) == S_OK &&
        m_pWriteNodeHeld) {
        m_pWriteNodeHeld->AddRef();
        m_pWriteNode = m_pWriteNodeHeld;
    } else {
        m_pWriteNodeHeld = nullptr;
    }
}

// Returns exactly the references taken, both through the interface that
// carries them, write side first. Releasing one of them through the client
// site instead would be right only for a host that serves both interfaces
// from its site object; a host with separate node objects would lose a
// reference on its site with every opening.
void CSheet::ReleaseInterfaces()
{
    if (IWriteNode* write = std::exchange(m_pWriteNodeHeld, nullptr)) {
        write->Release();
        write->Release();
    }
    if (IReadNode* read = std::exchange(m_pReadNodeHeld, nullptr)) {
        read->Release();
        read->Release();
    }
    m_pClientSite = nullptr;
    m_pWriteNode = nullptr;
    m_pReadNode = nullptr;
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
