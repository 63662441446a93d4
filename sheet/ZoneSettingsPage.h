// The four "Zone N Settings" pages: the zone's six set points, PID block,
// occupancy timeout and input mode; on zone 4 also the occupancy choice.
// One class per zone over one table of controls; what differs per zone is in
// its rows: control IDs, places in the node's layout, the orders of steps.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CZoneSettingsPage : public CNodePropPage {
    DECLARE_DYNAMIC(CZoneSettingsPage)
public:
    // `zone`: 1 to 4.
    explicit CZoneSettingsPage(int zone);

    // Shows the node's values; FALSE: the system sets no default focus.
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()

    // The set points, cooling and heating, each for the states unoccupied,
    // standby and occupied.
    CEdit m_coolUnoccupied;
    CEdit m_coolStandby;
    CEdit m_coolOccupied;
    CEdit m_heatUnoccupied;
    CEdit m_heatStandby;
    CEdit m_heatOccupied;
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
    friend struct ZoneSettingsTable;
};

VENNOX_ZONE_PAGE(CPage3PropPage, CZoneSettingsPage, 1)
VENNOX_ZONE_PAGE(CPage5PropPage, CZoneSettingsPage, 2)
VENNOX_ZONE_PAGE(CPage7PropPage, CZoneSettingsPage, 3)
VENNOX_ZONE_PAGE(CPage9PropPage, CZoneSettingsPage, 4)
