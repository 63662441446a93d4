// CZoneActualPage: a zone's live values, refreshed every 2 s, its manual
// overrides, output limits and temperature offset.
#include "sheet/ZoneActualPage.h"

#include <array>

#include "nodeaccess/Convert.h"
#include "nodeaccess/ValueText.h"

IMPLEMENT_DYNAMIC(CZoneActualPage, CNodePropPage)
IMPLEMENT_DYNCREATE(CPage2PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage4PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage6PropPage, CZoneActualPage)
IMPLEMENT_DYNCREATE(CPage8PropPage, CZoneActualPage)

BEGIN_MESSAGE_MAP(CZoneActualPage, CNodePropPage)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_READ, &CZoneActualPage::OnRead)
    ON_BN_CLICKED(IDC_WRITE, &CZoneActualPage::OnWrite)
    ON_BN_CLICKED(IDC_COOL_AUTO_1, &CZoneActualPage::OnCoolAuto)
    ON_BN_CLICKED(IDC_COOL_OFF_1, &CZoneActualPage::OnCoolManualOff)
    ON_BN_CLICKED(IDC_COOL_ON_1, &CZoneActualPage::OnCoolManualOn)
    ON_BN_CLICKED(IDC_HEAT_AUTO_1, &CZoneActualPage::OnHeatAuto)
    ON_BN_CLICKED(IDC_HEAT_OFF_1, &CZoneActualPage::OnHeatManualOff)
    ON_BN_CLICKED(IDC_HEAT_ON_1, &CZoneActualPage::OnHeatManualOn)
END_MESSAGE_MAP()

// ---- The node's data points, and the zone table -------------------------------

namespace {

constexpr long kStatesPoint = 31;     // occupancy states, calculated setpoints (read only)
constexpr long kOverridesPoint = 55;  // manual overrides, four bytes per zone
constexpr long kLevelsPoint = 56;     // output levels, six bytes per zone
constexpr long kOffsetsPoint = 58;    // temperature offsets among others

// A zone's block in data point 55.
constexpr int kCoolLevelAt = 0;  // % in halves
constexpr int kCoolModeAt = 1;   // Mode
constexpr int kHeatLevelAt = 2;
constexpr int kHeatModeAt = 3;

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 2000;

}  // namespace

struct OverrideIds {
    UINT autoMode, manualOff, manualOn, level;
};

struct ZoneActualRow {
    UINT page;  // dialog template and tab caption
    // The zone's controls.
    UINT offset, calcHeat, calcCool, occupancy;
    UINT levels[6];  // byte order of data point 56: cooling minimum occupied,
                     // unoccupied, standby, cooling maximum, heating minimum, maximum
    OverrideIds cool, heat;
    // The zone's own points: valve positions, room temperature, setpoint.
    long heatValve, coolValve, roomTemp, setpoint;
    // Where the zone's values sit in the shared points.
    int occupancyAt, calcCoolAt, calcHeatAt;  // data point 31, pairs
    int offsetAt;                             // data point 58, pair
    int levelsAt;                             // data point 56, six bytes
    int overridesAt;                          // data point 55, four bytes
};

namespace {

#define ZONE_CONTROLS(n)                                                                         \
    IDC_OFFSET_##n, IDC_CALC_HEAT_##n, IDC_CALC_COOL_##n, IDC_ROOM_IS_##n,                       \
        {IDC_COOL_MIN_OCC_##n, IDC_COOL_MIN_UNOCC_##n, IDC_COOL_MIN_STANDBY_##n, IDC_COOL_MAX_##n, \
         IDC_HEAT_MIN_##n, IDC_HEAT_MAX_##n},                                                    \
        {IDC_COOL_AUTO_##n, IDC_COOL_OFF_##n, IDC_COOL_ON_##n, IDC_COOL_LEVEL_##n},              \
        {IDC_HEAT_AUTO_##n, IDC_HEAT_OFF_##n, IDC_HEAT_ON_##n, IDC_HEAT_LEVEL_##n}

// Zone 4's valves are read from data points 39 and 38, as zone 1's: that is
// how the node's documentation numbers them. The calculated setpoints follow
// the node's documented layout of data point 31, cooling before heating;
// zone 2's heating pair and zone 3's cooling pair share bytes 17-18.
const ZoneActualRow kZones[] = {
    {IDD_ZONE1_ACTUAL, ZONE_CONTROLS(1), 39, 38, 36, 22, 1, 11, 13, 21, 1, 1},
    {IDD_ZONE2_ACTUAL, ZONE_CONTROLS(2), 41, 40, 33, 26, 3, 15, 17, 23, 7, 5},
    {IDD_ZONE3_ACTUAL, ZONE_CONTROLS(3), 42, 43, 35, 24, 5, 17, 19, 25, 13, 9},
    {IDD_ZONE4_ACTUAL, ZONE_CONTROLS(4), 39, 38, 29, 17, 7, 21, 23, 27, 19, 13},
};

#undef ZONE_CONTROLS

// Every control ID that differs between the zones, in one order.
std::array<UINT, 18> ZoneControls(const ZoneActualRow& z)
{
    return {z.offset,       z.calcHeat,       z.calcCool,       z.occupancy,     z.levels[0], z.levels[1],
            z.levels[2],    z.levels[3],      z.levels[4],      z.levels[5],     z.cool.autoMode,
            z.cool.manualOff, z.cool.manualOn, z.cool.level,    z.heat.autoMode, z.heat.manualOff,
            z.heat.manualOn, z.heat.level};
}

const char* OccupancyText(int state)
{
    switch (state) {
    case 0: return "Occupied";
    case 1: return "Unoccupied";
    case 3: return "Standby";
    // The node documents no other state; an earlier state must not stay shown.
    default: return "Unknown";
    }
}

}  // namespace

// ---- The page -------------------------------------------------------------------

CZoneActualPage::CZoneActualPage(int zone)
    : CNodePropPage(kZones[zone - 1].page), m_zone(kZones[zone - 1])
{
}

void CZoneActualPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, m_zone.heat.manualOn, m_heat.manualOn);
    DDX_Control(pDX, m_zone.heat.manualOff, m_heat.manualOff);
    DDX_Control(pDX, m_zone.heat.autoMode, m_heat.autoMode);
    DDX_Control(pDX, m_zone.cool.manualOn, m_cool.manualOn);
    DDX_Control(pDX, m_zone.cool.manualOff, m_cool.manualOff);
    DDX_Control(pDX, m_zone.cool.autoMode, m_cool.autoMode);
    DDX_Control(pDX, m_zone.calcHeat, m_calcHeat);
    DDX_Control(pDX, m_zone.calcCool, m_calcCool);
    DDX_Control(pDX, m_zone.occupancy, m_occupancy);
    DDX_Control(pDX, IDC_ROOM_TEMP, m_roomTemp);
    DDX_Control(pDX, IDC_HEAT_VALVE, m_heatValve);
    DDX_Control(pDX, IDC_COOL_VALVE, m_coolValve);
    DDX_Control(pDX, m_zone.offset, m_offset);
    for (int i = 5; i >= 0; --i)  // heating maximum first
        DDX_Control(pDX, m_zone.levels[i], m_levels[i]);
    DDX_Control(pDX, m_zone.heat.level, m_heat.level);
    DDX_Control(pDX, m_zone.cool.level, m_cool.level);
    DDX_Control(pDX, IDC_SETPOINT, m_setpoint);
}

UINT CZoneActualPage::MapControlID(UINT nID) const
{
    return MapOntoFirst(nID, ZoneControls(m_zone), ZoneControls(kZones[0]));
}

BOOL CZoneActualPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    ShowLiveValues();
    OnRead();
    // The page never stops it: it ends with the page's window, when the sheet closes.
    SetTimer(kRefreshTimer, kRefreshMs);
    return FALSE;
}

void CZoneActualPage::OnTimer(UINT_PTR nIDEvent)
{
    ShowLiveValues();
    CNodePropPage::OnTimer(nIDEvent);
}

// Only the read-only fields: what the operator types stays. Each read stands
// alone; a failed one leaves its fields as they are.
void CZoneActualPage::ShowLiveValues()
{
    CConvert convert;
    PointBuffer buf;
    if (ReadPoint(m_zone.heatValve, buf) == kNodeOk)
        m_heatValve.SetWindowText(ShowField(FieldKind::Halves, buf));
    if (ReadPoint(m_zone.coolValve, buf) == kNodeOk)
        m_coolValve.SetWindowText(ShowField(FieldKind::Halves, buf));
    if (ReadPoint(kStatesPoint, buf) == kNodeOk) {
        m_calcCool.SetWindowText(ShowField(FieldKind::SignedHundredths, buf + m_zone.calcCoolAt));
        m_calcHeat.SetWindowText(ShowField(FieldKind::SignedHundredths, buf + m_zone.calcHeatAt));
        const int at = m_zone.occupancyAt;
        m_occupancy.SetWindowText(OccupancyText(convert.Word(buf[at], buf[at + 1])));
    }
    if (ReadPoint(m_zone.roomTemp, buf) == kNodeOk)
        m_roomTemp.SetWindowText(ShowField(FieldKind::SignedHundredths, buf));
    if (ReadPoint(m_zone.setpoint, buf) == kNodeOk)
        m_setpoint.SetWindowText(ShowField(FieldKind::SignedHundredths, buf));
}

// The live values follow with the next tick.
void CZoneActualPage::OnRead()
{
    CConvert convert;
    PointBuffer buf;
    if (ReadPoint(kOffsetsPoint, buf) == kNodeOk)
        m_offset.SetWindowText(ShowField(FieldKind::SignedHundredths, buf + m_zone.offsetAt));
    if (ReadPoint(kLevelsPoint, buf) == kNodeOk) {
        for (int i = 0; i < 6; ++i)
            m_levels[i].SetWindowText(ShowField(FieldKind::Halves, buf + m_zone.levelsAt + i));
    }
    if (ReadPoint(kOverridesPoint, buf) == kNodeOk) {
        const unsigned char* block = buf + m_zone.overridesAt;
        m_cool.level.SetWindowText(ShowField(FieldKind::Halves, block + kCoolLevelAt));
        m_heat.level.SetWindowText(ShowField(FieldKind::Halves, block + kHeatLevelAt));
        // 0 manual off, 1 manual on, anything else automatic.
        auto mode = [&](int at) {
            const int m = convert.SignedByte(block[at]);
            return m == kManualOff || m == kManualOn ? static_cast<Mode>(m) : kAutomatic;
        };
        Select(m_cool, mode(kCoolModeAt));
        Select(m_heat, mode(kHeatModeAt));
    }
}

// Each point is read afresh and written back with only the page's bytes
// changed; a point whose read fails is not written.
void CZoneActualPage::OnWrite()
{
    WriteEntries();
    OnRead();
}

void CZoneActualPage::WriteEntries()
{
    const CControlSnapshot entries(*this);
    PointBuffer buf;
    if (ReadPoint(kOffsetsPoint, buf) == kNodeOk) {
        StoreField(FieldKind::SignedHundredths, m_offset.GetWindowText(), buf + m_zone.offsetAt);
        WritePoint(kOffsetsPoint, buf, kPointLength);
    }
    if (ReadPoint(kLevelsPoint, buf) == kNodeOk) {
        for (int i = 0; i < 6; ++i)
            StoreField(FieldKind::Halves, m_levels[i].GetWindowText(), buf + m_zone.levelsAt + i);
        WritePoint(kLevelsPoint, buf, kPointLength);
    }
    if (ReadPoint(kOverridesPoint, buf) == kNodeOk) {
        unsigned char* block = buf + m_zone.overridesAt;
        // A level goes out also while its edit is disabled.
        StoreField(FieldKind::Halves, m_cool.level.GetWindowText(), block + kCoolLevelAt);
        StoreField(FieldKind::Halves, m_heat.level.GetWindowText(), block + kHeatLevelAt);
        block[kCoolModeAt] = static_cast<unsigned char>(Chosen(m_cool));
        block[kHeatModeAt] = static_cast<unsigned char>(Chosen(m_heat));
        WritePoint(kOverridesPoint, buf, kPointLength);
    }
}

void CZoneActualPage::Select(COverride& output, Mode mode)
{
    output.autoMode.SetCheck(mode == kAutomatic ? BST_CHECKED : BST_UNCHECKED);
    output.manualOff.SetCheck(mode == kManualOff ? BST_CHECKED : BST_UNCHECKED);
    output.manualOn.SetCheck(mode == kManualOn ? BST_CHECKED : BST_UNCHECKED);
    output.level.EnableWindow(mode == kManualOn);
}

CZoneActualPage::Mode CZoneActualPage::Chosen(const COverride& output)
{
    if (output.manualOff.GetCheck() == BST_CHECKED)
        return kManualOff;
    if (output.manualOn.GetCheck() == BST_CHECKED)
        return kManualOn;
    return kAutomatic;
}

// Every radio button starts a group of its own, so the system clears no
// partner: the page keeps each output's three buttons exclusive.
void CZoneActualPage::OnCoolAuto() { Select(m_cool, kAutomatic); }
void CZoneActualPage::OnCoolManualOff() { Select(m_cool, kManualOff); }
void CZoneActualPage::OnCoolManualOn() { Select(m_cool, kManualOn); }
void CZoneActualPage::OnHeatAuto() { Select(m_heat, kAutomatic); }
void CZoneActualPage::OnHeatManualOff() { Select(m_heat, kManualOff); }
void CZoneActualPage::OnHeatManualOn() { Select(m_heat, kManualOn); }
