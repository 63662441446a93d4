// CZoneActualPage: a zone's live values, refreshed every 2 s, its manual
// overrides, output limits and temperature offset.
#include "sheet/ZoneActualPage.h"

#include <iterator>

IMPLEMENT_DYNAMIC(CZoneActualPage, CNodePropPage)
IMPLEMENT_DYNCREATE(CPage2PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage4PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage6PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage8PropPage, CZoneActualPage)

// The override buttons' clicks are the base's: each selects its mode.
BEGIN_MESSAGE_MAP(CZoneActualPage, CNodePropPage)
    ON_WM_TIMER()
END_MESSAGE_MAP()

struct ZoneActualTable {
    using P = CZoneActualPage;

    // The steps of the page's procedures, one read of a point each: the live
    // values on every tick, the settings on Read and Write.
    enum Step : unsigned {
        kHeatValve = 1, kCoolValve = 2, kStates = 4, kRoom = 8, kSetpoint = 16,
        kOffset = 32, kLevels = 64, kOverrides = 128,
    };

    static constexpr StepRow kSteps[] = {
        {kHeatValve, PointsOf(node::HeatingValve())},
        {kCoolValve, PointsOf(node::CoolingValve())},
        {kStates, PointsOf(node::Occupancy())},
        {kRoom, PointsOf(node::RoomTemperature())},
        {kSetpoint, PointsOf(node::ActiveSetpoint())},
        {kOffset, PointsOf(node::Offset())},
        {kLevels, PointsOf(node::Level(node::kCoolingMinOccupied))},
        {kOverrides, PointsOf(node::Override(node::kCoolingLevel))},
    };

    // In the order a Write checks the entries; `bound` gives the order the
    // controls are bound in. An output's level goes out also while its edit
    // is disabled.
    static constexpr ControlRow<P> kControls[] = {
        EditRow(VENNOX_SHARED_ID(IDC_HEAT_VALVE), &P::m_heatValve, 11, kHeatValve, node::HeatingValve(),
                FieldKind::Halves),
        EditRow(VENNOX_SHARED_ID(IDC_COOL_VALVE), &P::m_coolValve, 12, kCoolValve, node::CoolingValve(),
                FieldKind::Halves),
        EditRow(VENNOX_ZONE_IDS(IDC_CALC_COOL), &P::m_calcCool, 8, kStates, node::CalculatedCooling(),
                FieldKind::SignedHundredths),
        EditRow(VENNOX_ZONE_IDS(IDC_CALC_HEAT), &P::m_calcHeat, 7, kStates, node::CalculatedHeating(),
                FieldKind::SignedHundredths),
        EditRow(VENNOX_ZONE_IDS(IDC_ROOM_IS), &P::m_occupancy, 9, kStates, node::Occupancy(),
                FieldKind::OccupancyState),
        EditRow(VENNOX_SHARED_ID(IDC_ROOM_TEMP), &P::m_roomTemp, 10, kRoom, node::RoomTemperature(),
                FieldKind::SignedHundredths),
        EditRow(VENNOX_SHARED_ID(IDC_SETPOINT), &P::m_setpoint, 22, kSetpoint, node::ActiveSetpoint(),
                FieldKind::SignedHundredths),
        EditRow(VENNOX_ZONE_IDS(IDC_OFFSET), &P::m_offset, 13, kOffset, node::Offset(), FieldKind::SignedHundredths,
                "Offset"),
        EditRow(VENNOX_ZONE_IDS(IDC_COOL_MIN_OCC), &P::m_coolMinOccupied, 19, kLevels,
                node::Level(node::kCoolingMinOccupied), FieldKind::Halves, "Cool level Min Occup"),
        EditRow(VENNOX_ZONE_IDS(IDC_COOL_MIN_UNOCC), &P::m_coolMinUnoccupied, 18, kLevels,
                node::Level(node::kCoolingMinUnoccupied), FieldKind::Halves, "Cool level Min UnOccup"),
        EditRow(VENNOX_ZONE_IDS(IDC_COOL_MIN_STANDBY), &P::m_coolMinStandby, 17, kLevels,
                node::Level(node::kCoolingMinStandby), FieldKind::Halves, "Cool level Min Standby"),
        EditRow(VENNOX_ZONE_IDS(IDC_COOL_MAX), &P::m_coolMax, 16, kLevels, node::Level(node::kCoolingMax),
                FieldKind::Halves, "Cool level Max"),
        EditRow(VENNOX_ZONE_IDS(IDC_HEAT_MIN), &P::m_heatMin, 15, kLevels, node::Level(node::kHeatingMin),
                FieldKind::Halves, "Heat level Min"),
        EditRow(VENNOX_ZONE_IDS(IDC_HEAT_MAX), &P::m_heatMax, 14, kLevels, node::Level(node::kHeatingMax),
                FieldKind::Halves, "Heat level Max"),
        EditRow(VENNOX_ZONE_IDS(IDC_COOL_LEVEL), &P::m_coolLevel, 21, kOverrides, node::Override(node::kCoolingLevel),
                FieldKind::Halves, "Auto/Manuel Cool Level"),
        ButtonRow(VENNOX_ZONE_IDS(IDC_COOL_AUTO), &P::m_coolAuto, 6, kOverrides, node::Override(node::kCoolingMode),
                  FieldKind::OverrideMode, 0),
        ButtonRow(VENNOX_ZONE_IDS(IDC_COOL_OFF), &P::m_coolOff, 5, kOverrides, node::Override(node::kCoolingMode),
                  FieldKind::OverrideMode, 1),
        ButtonRow(VENNOX_ZONE_IDS(IDC_COOL_ON), &P::m_coolOn, 4, kOverrides, node::Override(node::kCoolingMode),
                  FieldKind::OverrideMode, 2),
        EditRow(VENNOX_ZONE_IDS(IDC_HEAT_LEVEL), &P::m_heatLevel, 20, kOverrides, node::Override(node::kHeatingLevel),
                FieldKind::Halves, "Auto/Manuel Heat Level"),
        ButtonRow(VENNOX_ZONE_IDS(IDC_HEAT_AUTO), &P::m_heatAuto, 3, kOverrides, node::Override(node::kHeatingMode),
                  FieldKind::OverrideMode, 0),
        ButtonRow(VENNOX_ZONE_IDS(IDC_HEAT_OFF), &P::m_heatOff, 2, kOverrides, node::Override(node::kHeatingMode),
                  FieldKind::OverrideMode, 1),
        ButtonRow(VENNOX_ZONE_IDS(IDC_HEAT_ON), &P::m_heatOn, 1, kOverrides, node::Override(node::kHeatingMode),
                  FieldKind::OverrideMode, 2),
    };
};

static_assert(BoundOnceEach(ZoneActualTable::kControls), "each control bound once, in one order");
static_assert(ChoicesWhole(ZoneActualTable::kControls), "a choice's buttons make one whole field");
static_assert(InTheirSteps(ZoneActualTable::kControls, ZoneActualTable::kSteps), "a control's bytes lie in its step's point");

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 2000;

// Each zone's dialog template and tab caption.
constexpr UINT kTemplates[] = {IDD_ZONE1_ACTUAL, IDD_ZONE2_ACTUAL, IDD_ZONE3_ACTUAL, IDD_ZONE4_ACTUAL};
static_assert(std::size(kTemplates) == node::kZones, "a template per zone");

}  // namespace

CZoneActualPage::CZoneActualPage(int zone) : CNodePropPage(kTemplates[zone - 1])
{
    using T = ZoneActualTable;
    UseTable(*this, T::kControls, T::kSteps, zone);
    m_liveSteps = {T::kHeatValve, T::kCoolValve, T::kStates, T::kRoom, T::kSetpoint};
    m_readSteps = {T::kOffset, T::kLevels, T::kOverrides};
    m_writeSteps = m_readSteps;
}

void CZoneActualPage::DoDataExchange(CDataExchange* pDX) { BindControls(pDX); }

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
