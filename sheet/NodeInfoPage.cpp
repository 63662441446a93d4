// CVennoxPropPage, "Node Information": the node's name.
#include "sheet/NodeInfoPage.h"

#include <string>

IMPLEMENT_DYNCREATE(CVennoxPropPage, CNodePropPage)

void CVennoxPropPage::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_NODENAME, m_nodeName); }

// The name is read once, when the page is created; a failed call leaves the
// field empty.
BOOL CVennoxPropPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    NameBuffer name = {};
    if (GetNodeName(name) != kNodeOk)
        return TRUE;
    // All 50 bytes as they come: the window text ends at the first NUL, and a
    // name that fills the buffer has none.
    std::string text;
    for (unsigned char c : name)
        text += static_cast<char>(c);
    m_nodeName.SetWindowText(text);
    return TRUE;
}
