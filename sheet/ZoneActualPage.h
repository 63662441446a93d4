// The four "Zone N Actual" pages: the zone's live values, read again every
// two seconds, and the zone's temperature offset, output levels and manual
// overrides. One class per zone over one implementation; what differs per
// zone is its row of control IDs and its place in the node's layout.
#pragma once

#include <vector>

#include "resources/resource.h"
#include "sheet/NodePage.h"

struct ZoneActualIds;

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

    // One output's manual override: three radio buttons and the level.
    struct COverride {
        CButton autoMode;
        CButton manualOff;
        CButton manualOn;
        CEdit level;
    };

    CEdit m_roomTemp;
    CEdit m_setpoint;
    CEdit m_calcHeat;
    CEdit m_calcCool;
    CEdit m_heatValve;
    CEdit m_coolValve;
    CEdit m_occupancy;
    CEdit m_offset;
    CEdit m_levels[6];  // the zone's output levels, in the byte order of data point 56
    COverride m_cool;
    COverride m_heat;

private:
    const ZoneActualIds& m_ids;
    // The live values' steps, every tick.
    std::vector<unsigned> m_liveSteps;
};

VENNOX_ZONE_PAGE(CPage2PropPage, CZoneActualPage, 1)
VENNOX_ZONE_PAGE(CPage4PropPage, CZoneActualPage, 2)
VENNOX_ZONE_PAGE(CPage6PropPage, CZoneActualPage, 3)
VENNOX_ZONE_PAGE(CPage8PropPage, CZoneActualPage, 4)
