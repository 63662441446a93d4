// CZoneActualPage: a zone's live values, refreshed every 2 s, its manual
// overrides, output limits and temperature offset.
#include "sheet/ZoneActualPage.h"

#include "nodeaccess/NodeLayout.h"

IMPLEMENT_DYNAMIC(CZoneActualPage, CNodePropPage)
IMPLEMENT_DYNCREATE(CPage2PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage4PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage6PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage8PropPage, CZoneActualPage)

// The override buttons' clicks are the base's: each selects its mode.
BEGIN_MESSAGE_MAP(CZoneActualPage, CNodePropPage)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// The control IDs of each zone's page.
struct ZoneActualIds {
    UINT page;  // dialog template and tab caption
    UINT offset, calcHeat, calcCool, occupancy;
    UINT levels[6];  // byte order of a zone's block of data point 56
    UINT cool[4], heat[4];  // Auto, Manual off, Manual on, Level
};

namespace {

#define ZONE_CONTROLS(n)                                                                         \
    IDD_ZONE##n##_ACTUAL, IDC_OFFSET_##n, IDC_CALC_HEAT_##n, IDC_CALC_COOL_##n, IDC_ROOM_IS_##n, \
        {IDC_COOL_MIN_OCC_##n, IDC_COOL_MIN_UNOCC_##n, IDC_COOL_MIN_STANDBY_##n, IDC_COOL_MAX_##n, \
         IDC_HEAT_MIN_##n, IDC_HEAT_MAX_##n},                                                    \
        {IDC_COOL_AUTO_##n, IDC_COOL_OFF_##n, IDC_COOL_ON_##n, IDC_COOL_LEVEL_##n},              \
        {IDC_HEAT_AUTO_##n, IDC_HEAT_OFF_##n, IDC_HEAT_ON_##n, IDC_HEAT_LEVEL_##n}

const ZoneActualIds kIds[node::kZones] = {{ZONE_CONTROLS(1)}, {ZONE_CONTROLS(2)}, {ZONE_CONTROLS(3)},
                                          {ZONE_CONTROLS(4)}};

#undef ZONE_CONTROLS

// The steps of the page's procedures, one read of a point each: the live
// values on every tick, the settings on Read and Write.
enum Step : unsigned {
    kHeatValve = 1, kCoolValve = 2, kStates = 4, kRoom = 8, kSetpoint = 16,
    kOffset = 32, kLevels = 64, kOverrides = 128,
};

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 2000;

// The levels of a zone's block of point 56, as the page labels them.
const char* const kLevelLabels[node::kLevelBytes] = {
    "Cool level Min Occup", "Cool level Min UnOccup", "Cool level Min Standby",
    "Cool level Max",       "Heat level Min",         "Heat level Max",
};

}  // namespace

CZoneActualPage::CZoneActualPage(int zone) : CNodePropPage(kIds[zone - 1].page), m_ids(kIds[zone - 1])
{
    const node::Zone& z = node::ZoneAt(zone);
    const int levels = node::LevelsAt(zone), overrides = node::OverridesAt(zone);
    const long states = node::kOccupancyStates;
    m_fields = {
        ValueField(kHeatValve, z.heatingValve, 0, FieldType::Halves, m_heatValve, ""),
        ValueField(kCoolValve, z.coolingValve, 0, FieldType::Halves, m_coolValve, ""),
        ValueField(kStates, states, z.calcCoolingAt, FieldType::SignedHundredths, m_calcCool, ""),
        ValueField(kStates, states, z.calcHeatingAt, FieldType::SignedHundredths, m_calcHeat, ""),
        ValueField(kStates, states, node::OccupancyStateAt(zone), FieldType::OccupancyState, m_occupancy, ""),
        ValueField(kRoom, z.roomTemperature, 0, FieldType::SignedHundredths, m_roomTemp, ""),
        ValueField(kSetpoint, z.activeSetpoint, 0, FieldType::SignedHundredths, m_setpoint, ""),
        ValueField(kOffset, node::kSettings, node::OffsetAt(zone), FieldType::SignedHundredths, m_offset, "Offset"),
    };
    for (int i = 0; i < node::kLevelBytes; ++i)
        m_fields.push_back(ValueField(kLevels, node::kOutputLevels, levels + i, FieldType::Halves, m_levels[i],
                                      kLevelLabels[i]));
    // An output's level, then its mode; a level goes out also while its
    // edit is disabled.
    auto addOverride = [&](COverride& output, int levelAt, int modeAt, const char* label) {
        const long point = node::kManualOverrides;
        m_fields.push_back(ValueField(kOverrides, point, overrides + levelAt, FieldType::Halves, output.level, label));
        m_fields.push_back(ChoiceField(kOverrides, point, overrides + modeAt, FieldType::OverrideMode,
                                       {&output.autoMode, &output.manualOff, &output.manualOn}, &output.level));
    };
    addOverride(m_cool, node::kCoolingLevel, node::kCoolingMode, "Auto/Manuel Cool Level");
    addOverride(m_heat, node::kHeatingLevel, node::kHeatingMode, "Auto/Manuel Heat Level");
    m_liveSteps = {kHeatValve, kCoolValve, kStates, kRoom, kSetpoint};
    m_readSteps = {kOffset, kLevels, kOverrides};
    m_writeSteps = m_readSteps;
}

void CZoneActualPage::DoDataExchange(CDataExchange* pDX)
{
    const ZoneActualIds& ids = m_ids;
    DDX_Control(pDX, ids.heat[2], m_heat.manualOn);
    DDX_Control(pDX, ids.heat[1], m_heat.manualOff);
    DDX_Control(pDX, ids.heat[0], m_heat.autoMode);
    DDX_Control(pDX, ids.cool[2], m_cool.manualOn);
    DDX_Control(pDX, ids.cool[1], m_cool.manualOff);
    DDX_Control(pDX, ids.cool[0], m_cool.autoMode);
    DDX_Control(pDX, ids.calcHeat, m_calcHeat);
    DDX_Control(pDX, ids.calcCool, m_calcCool);
    DDX_Control(pDX, ids.occupancy, m_occupancy);
    DDX_Control(pDX, IDC_ROOM_TEMP, m_roomTemp);
    DDX_Control(pDX, IDC_HEAT_VALVE, m_heatValve);
    DDX_Control(pDX, IDC_COOL_VALVE, m_coolValve);
    DDX_Control(pDX, ids.offset, m_offset);
    for (int i = 5; i >= 0; --i)  // heating maximum first
        DDX_Control(pDX, ids.levels[i], m_levels[i]);
    DDX_Control(pDX, ids.heat[3], m_heat.level);
    DDX_Control(pDX, ids.cool[3], m_cool.level);
    DDX_Control(pDX, IDC_SETPOINT, m_setpoint);
}

BOOL CZoneActualPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    ShowSteps(m_liveSteps);
    OnRead();
    // The page never stops it: it ends with the page's window, when the sheet closes.
    SetTimer(kRefreshTimer, kRefreshMs);
    return FALSE;
}

// Only the read-only fields: what the operator types stays. The settings
// are read again on Read only.
void CZoneActualPage::OnTimer(UINT_PTR nIDEvent)
{
    ShowSteps(m_liveSteps);
    CNodePropPage::OnTimer(nIDEvent);
}
