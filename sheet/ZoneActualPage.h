// The four "Zone N Actual" pages: the zone's live values, read again every
// two seconds, and the zone's temperature offset, output levels and manual
// overrides. One class per zone over one implementation; what differs per
// zone is one row of the zone table.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

struct ZoneActualRow;

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
    // The map below is written in zone 1's control IDs.
    UINT MapControlID(UINT nID) const override;

    void OnTimer(UINT_PTR nIDEvent);
    void OnRead();
    void OnWrite();
    // The read-modify-write of each point, from the entries as they were
    // when Write was pressed.
    void WriteEntries();
    void OnCoolAuto();
    void OnCoolManualOff();
    void OnCoolManualOn();
    void OnHeatAuto();
    void OnHeatManualOff();
    void OnHeatManualOn();
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
    // The override mode byte of data point 55.
    enum Mode { kManualOff = 0, kManualOn = 1, kAutomatic = 2 };

    void ShowLiveValues();
    // Checks the mode's button and clears the other two; the level can be
    // entered only for "Manual on".
    static void Select(COverride& output, Mode mode);
    // The mode the buttons choose: "Auto" is never asked, so none checked
    // means automatic.
    static Mode Chosen(const COverride& output);

    const ZoneActualRow& m_zone;
};

VENNOX_ZONE_PAGE(CPage2PropPage, CZoneActualPage, 1)
VENNOX_ZONE_PAGE(CPage4PropPage, CZoneActualPage, 2)
VENNOX_ZONE_PAGE(CPage6PropPage, CZoneActualPage, 3)
VENNOX_ZONE_PAGE(CPage8PropPage, CZoneActualPage, 4)
