// The four "Zone N Settings" pages: the zone's six set points, PID block,
// occupancy timeout and input mode; on zone 4 also the occupancy choice.
// One class per zone over one implementation; what differs per zone is its
// row of control IDs and orders, and its place in the node's layout.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

struct ZoneSettingsRow;

class CZoneSettingsPage : public CNodePropPage {
    DECLARE_DYNAMIC(CZoneSettingsPage)
public:
    // `zone`: 1 to 4.
    explicit CZoneSettingsPage(int zone);

    // Shows the node's values; FALSE: the system sets no default focus.
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnReleaseCool();
    void OnChooseInput();
    void OnChooseOccupancy();
    DECLARE_MESSAGE_MAP()

    CEdit m_setPoints[6];  // in the byte order of the set point data point
    CEdit m_p;
    CEdit m_i;
    CEdit m_d;
    CEdit m_heatI;
    CEdit m_coolI;
    CEdit m_timeout;
    CButton m_releaseCool;
    CButton m_chooseInput;
    CButton m_windowSwitch;
    CButton m_plusMinus3;
    // Zone 4 alone: the occupancy choice.
    CButton m_chooseOccupancy;
    CButton m_occupancy;
    CButton m_standby;
    CButton m_unoccupancy;

private:
    bool HasOccupancyChoice() const;
    // The input's two function boxes: cleared and disabled.
    void DisableFunctions();
    void EnableOccupancyBoxes(bool enable);

    const ZoneSettingsRow& m_row;
};

VENNOX_ZONE_PAGE(CPage3PropPage, CZoneSettingsPage, 1)
VENNOX_ZONE_PAGE(CPage5PropPage, CZoneSettingsPage, 2)
VENNOX_ZONE_PAGE(CPage7PropPage, CZoneSettingsPage, 3)
VENNOX_ZONE_PAGE(CPage9PropPage, CZoneSettingsPage, 4)
