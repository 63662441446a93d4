// CPage10PropPage: "Common settings", what the four zones share: the valve
// signal ranges, the automatic valve motion and the closed valve time.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CPage10PropPage : public CNodePropPage {
    DECLARE_DYNCREATE(CPage10PropPage)

public:
    CPage10PropPage();
    ~CPage10PropPage() override = default;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    CButton m_heat010;
    CEdit m_closedValveTime;
    CButton m_heatAutomatic;
    CButton m_coolAutomatic;
    CButton m_heat210;
    CButton m_cool210;
    CButton m_cool010;

private:
    friend struct CommonTable;
};
