// The four "Zone N Actual" pages: the zone's live values, read again every
// two seconds, and the zone's temperature offset, output levels and manual
// overrides. One class per zone over one table of controls; what differs per
// zone is in its rows: control IDs and places in the node's layout.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CZoneActualPage : public CNodePropPage {
    DECLARE_DYNAMIC(CZoneActualPage)
public:
    // `zone`: 1 to 4.
    explicit CZoneActualPage(int zone);

    // Shows the live values and the settings, then starts the refresh timer;
    // FALSE: the system sets no default focus.
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

    CEdit m_roomTemp;
    CEdit m_setpoint;
    CEdit m_calcHeat;
    CEdit m_calcCool;
    CEdit m_heatValve;
    CEdit m_coolValve;
    CEdit m_occupancy;
    CEdit m_offset;
    // The output levels.
    CEdit m_coolMinOccupied;
    CEdit m_coolMinUnoccupied;
    CEdit m_coolMinStandby;
    CEdit m_coolMax;
    CEdit m_heatMin;
    CEdit m_heatMax;
    // The manual overrides: an output's mode and its level.
    CButton m_coolAuto;
    CButton m_coolOff;
    CButton m_coolOn;
    CEdit m_coolLevel;
    CButton m_heatAuto;
    CButton m_heatOff;
    CButton m_heatOn;
    CEdit m_heatLevel;

private:
    friend struct ZoneActualTable;
    // The live values' steps, every tick.
    std::vector<unsigned> m_liveSteps;
};

VENNOX_ZONE_PAGE(CPage2PropPage, CZoneActualPage, 1)
VENNOX_ZONE_PAGE(CPage4PropPage, CZoneActualPage, 2)
VENNOX_ZONE_PAGE(CPage6PropPage, CZoneActualPage, 3)
VENNOX_ZONE_PAGE(CPage8PropPage, CZoneActualPage, 4)
