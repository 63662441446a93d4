// CZoneSettingsPage: a zone's set points, PID block, occupancy timeout and
// input mode, and zone 4's occupancy choice.
#include "sheet/ZoneSettingsPage.h"

#include <iterator>

IMPLEMENT_DYNAMIC(CZoneSettingsPage, CNodePropPage)
IMPLEMENT_DYNCREATE(CPage3PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage5PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage7PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage9PropPage, CZoneSettingsPage)

// Clicks on the input's buttons are the base's.
BEGIN_MESSAGE_MAP(CZoneSettingsPage, CNodePropPage)
END_MESSAGE_MAP()

struct ZoneSettingsTable {
    using P = CZoneSettingsPage;

    // The steps of the page's procedures: what one read (and write) of a point covers.
    enum Step : unsigned {
        kSetPoints = 1,  // the zone's set point data point
        kPid = 2,        // the PID block
        kTimeout = 4,    // the occupancy timeout
        kInputMode = 8,  // the input mode byte of point 58
        kChoice = 16,    // the occupancy choice byte of point 58 (zone 4)
    };

    static constexpr StepRow kSteps[] = {
        {kSetPoints, PointsOf(node::SetPoint(node::kCoolingUnoccupied))},
        {kPid, PointsOf(node::Pid(node::kP))},
        {kTimeout, PointsOf(node::OccupancyTimeout())},
        {kInputMode, PointsOf(node::InputModeByte())},
        {kChoice, PointsOf(node::Settings(node::kOccupancyChoiceAt))},
    };

    // In the order a Write checks the entries; `bound` gives the order the
    // controls are bound in (zone 4's occupancy choice first). P in
    // thousandths, I and D in tenths of seconds, the heating and cooling I in
    // seconds, the timeout in tenths of seconds.
    static constexpr ControlRow<P> kControls[] = {
        EditRow(VENNOX_SHARED_ID(IDC_SP_COOL_UNOCC), &P::m_coolUnoccupied, 14, kSetPoints,
                node::SetPoint(node::kCoolingUnoccupied), FieldKind::SignedHundredths,
                "Temperature setpoints Cool UnOccup"),
        EditRow(VENNOX_SHARED_ID(IDC_SP_COOL_STANDBY), &P::m_coolStandby, 13, kSetPoints,
                node::SetPoint(node::kCoolingStandby), FieldKind::SignedHundredths,
                "Temperature setpoints Cool Standby"),
        EditRow(VENNOX_SHARED_ID(IDC_SP_COOL_OCC), &P::m_coolOccupied, 12, kSetPoints,
                node::SetPoint(node::kCoolingOccupied), FieldKind::SignedHundredths,
                "Temperature setpoints Cool Occup"),
        EditRow(VENNOX_SHARED_ID(IDC_SP_HEAT_UNOCC), &P::m_heatUnoccupied, 11, kSetPoints,
                node::SetPoint(node::kHeatingUnoccupied), FieldKind::SignedHundredths,
                "Temperature setpoints Heat UnOccup"),
        EditRow(VENNOX_SHARED_ID(IDC_SP_HEAT_STANDBY), &P::m_heatStandby, 10, kSetPoints,
                node::SetPoint(node::kHeatingStandby), FieldKind::SignedHundredths,
                "Temperature setpoints Heat Standby"),
        EditRow(VENNOX_SHARED_ID(IDC_SP_HEAT_OCC), &P::m_heatOccupied, 9, kSetPoints,
                node::SetPoint(node::kHeatingOccupied), FieldKind::SignedHundredths,
                "Temperature setpoints Heat Occup"),
        EditRow(VENNOX_ZONE_IDS(IDC_P), &P::m_p, 19, kPid, node::Pid(node::kP), FieldKind::Thousandths, "PID P"),
        EditRow(VENNOX_ZONE_IDS(IDC_I), &P::m_i, 18, kPid, node::Pid(node::kI), FieldKind::Tenths, "PID I"),
        EditRow(VENNOX_ZONE_IDS(IDC_D), &P::m_d, 17, kPid, node::Pid(node::kD), FieldKind::Tenths, "PID D"),
        EditRow(VENNOX_ZONE_IDS(IDC_HEAT_I), &P::m_heatI, 16, kPid, node::Pid(node::kHeatingI), FieldKind::Whole,
                "PID Heat I"),
        EditRow(VENNOX_ZONE_IDS(IDC_COOL_I), &P::m_coolI, 15, kPid, node::Pid(node::kCoolingI), FieldKind::Whole,
                "PID Cool I"),
        EditRow(VENNOX_ZONE_IDS(IDC_OCC_TIMEOUT), &P::m_timeout, 20, kTimeout, node::OccupancyTimeout(),
                FieldKind::Tenths, "Occup timeout"),
        ButtonRow(VENNOX_ZONE_IDS(IDC_RELEASE_COOL), &P::m_releaseCool, 7, kInputMode, node::InputModeByte(),
                  FieldKind::InputMode, 0),
        ButtonRow(VENNOX_ZONE_IDS(IDC_CHOOSE_INPUT), &P::m_chooseInput, 8, kInputMode, node::InputModeByte(),
                  FieldKind::InputMode, 1),
        ButtonRow(VENNOX_ZONE_IDS(IDC_WINDOW_SWITCH), &P::m_windowSwitch, 5, kInputMode, node::InputModeByte(),
                  FieldKind::InputMode, 2),
        ButtonRow(VENNOX_ZONE_IDS(IDC_PLUS_MINUS_3), &P::m_plusMinus3, 6, kInputMode, node::InputModeByte(),
                  FieldKind::InputMode, 3),
        ButtonRow(VENNOX_ZONE4_ID(IDC_OCCUPANCY), &P::m_occupancy, 3, kChoice,
                  node::Settings(node::kOccupancyChoiceAt), FieldKind::OccupancyChoice, 0),
        ButtonRow(VENNOX_ZONE4_ID(IDC_STANDBY), &P::m_standby, 2, kChoice, node::Settings(node::kOccupancyChoiceAt),
                  FieldKind::OccupancyChoice, 1),
        ButtonRow(VENNOX_ZONE4_ID(IDC_UNOCCUPANCY), &P::m_unoccupancy, 1, kChoice,
                  node::Settings(node::kOccupancyChoiceAt), FieldKind::OccupancyChoice, 2),
        ButtonRow(VENNOX_ZONE4_ID(IDC_CHOOSE_OCCUPANCY), &P::m_chooseOccupancy, 4, kChoice,
                  node::Settings(node::kOccupancyChoiceAt), FieldKind::OccupancyChoice, 3),
    };

    // Each zone's dialog template (and tab caption), and the orders in which
    // its page reads and writes its points, as the node's documentation
    // gives them for each zone. Zone 4 keeps its PID block and timeout in
    // point 58 and reads and writes them together.
    struct Orders {
        UINT page;
        unsigned reads[4], writes[4];  // to the first 0
    };
    static constexpr Orders kOrders[] = {
        {IDD_ZONE1_SETTINGS, {kSetPoints, kPid, kTimeout, kInputMode}, {kInputMode, kTimeout, kPid, kSetPoints}},
        {IDD_ZONE2_SETTINGS, {kInputMode, kSetPoints, kPid, kTimeout}, {kInputMode, kTimeout, kPid, kSetPoints}},
        {IDD_ZONE3_SETTINGS, {kInputMode, kSetPoints, kPid, kTimeout}, {kTimeout, kInputMode, kPid, kSetPoints}},
        {IDD_ZONE4_SETTINGS, {kInputMode | kChoice, kSetPoints, kPid | kTimeout},
         {kInputMode | kChoice, kPid | kTimeout, kSetPoints}},
    };

    static constexpr bool OrdersReadOnePointEach()
    {
        for (int zone = 1; zone <= node::kZones; ++zone) {
            const Orders& o = kOrders[zone - 1];
            if (!OnePointEach(kSteps, o.reads, Count(o.reads), zone) ||
                !OnePointEach(kSteps, o.writes, Count(o.writes), zone))
                return false;
        }
        return true;
    }
    static constexpr size_t Count(const unsigned (&order)[4])
    {
        size_t n = 0;
        while (n < 4 && order[n])
            ++n;
        return n;
    }
    static std::vector<unsigned> Steps(const unsigned (&order)[4]) { return {order, order + Count(order)}; }
};

static_assert(std::size(ZoneSettingsTable::kOrders) == node::kZones, "a row per zone");
static_assert(BoundOnceEach(ZoneSettingsTable::kControls), "each control bound once, in one order");
static_assert(ChoicesWhole(ZoneSettingsTable::kControls), "a choice's buttons make one whole field");
static_assert(InTheirSteps(ZoneSettingsTable::kControls, ZoneSettingsTable::kSteps), "a control's bytes lie in its step's point");
static_assert(ZoneSettingsTable::OrdersReadOnePointEach(), "the steps an order joins share their point");

CZoneSettingsPage::CZoneSettingsPage(int zone)
    : CNodePropPage(ZoneSettingsTable::kOrders[zone - 1].page)
{
    const ZoneSettingsTable::Orders& orders = ZoneSettingsTable::kOrders[zone - 1];
    UseTable(*this, ZoneSettingsTable::kControls, ZoneSettingsTable::kSteps, zone);
    m_readSteps = ZoneSettingsTable::Steps(orders.reads);
    m_writeSteps = ZoneSettingsTable::Steps(orders.writes);
}

void CZoneSettingsPage::DoDataExchange(CDataExchange* pDX)
{
    BindControls(pDX);
}

BOOL CZoneSettingsPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    OnRead();
    return FALSE;
}
