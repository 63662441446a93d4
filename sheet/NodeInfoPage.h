// CVennoxPropPage: the first page, "Node Information": the node's name as the
// host knows it, the maker's contact details and the plug-in's version line.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CVennoxPropPage : public CNodePropPage {
    DECLARE_DYNCREATE(CVennoxPropPage)

public:
    CVennoxPropPage() : CNodePropPage(IDD_NODEINFO) {}

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    CEdit m_nodeName;
};
