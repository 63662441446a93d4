// CPage10PropPage: "Common settings", what the four zones share: the valve
// signal ranges, the automatic valve motion and the closed valve time.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CPage10PropPage : public CNodePropPage {
    DECLARE_DYNCREATE(CPage10PropPage)

public:
    CPage10PropPage() : CNodePropPage(IDD_COMMON) {}
    ~CPage10PropPage() override = default;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnRead();
    void OnWrite();
    // The read-modify-write of each point, from the entries as they were
    // when Write was pressed.
    void WriteEntries();
    void OnHeat010();
    void OnHeat210();
    void OnCool010();
    void OnCool210();
    DECLARE_MESSAGE_MAP()

    CButton m_heat010;
    CEdit m_closedValveTime;
    CButton m_heatAutomatic;
    CButton m_coolAutomatic;
    CButton m_heat210;
    CButton m_cool210;
    CButton m_cool010;

private:
    // One radio pair: the "0 - 10V" button and the "2 - 10V" button.
    void SelectPair(CButton& chosen, CButton& other);
};
