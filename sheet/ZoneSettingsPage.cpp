// CZoneSettingsPage: a zone's set points, PID block, occupancy timeout and
// input mode.
#include "sheet/ZoneSettingsPage.h"

#include "nodeaccess/NodeLayout.h"

IMPLEMENT_DYNAMIC(CZoneSettingsPage, CNodePropPage)
IMPLEMENT_DYNCREATE(CPage3PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage5PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage7PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage9PropPage, CZoneSettingsPage)

// Each page has only its own zone's buttons.
BEGIN_MESSAGE_MAP(CZoneSettingsPage, CNodePropPage)
    ON_BN_CLICKED(IDC_RELEASE_COOL_1, &CZoneSettingsPage::OnReleaseCool)
    ON_BN_CLICKED(IDC_RELEASE_COOL_2, &CZoneSettingsPage::OnReleaseCool)
    ON_BN_CLICKED(IDC_RELEASE_COOL_3, &CZoneSettingsPage::OnReleaseCool)
    ON_BN_CLICKED(IDC_RELEASE_COOL_4, &CZoneSettingsPage::OnReleaseCool)
    ON_BN_CLICKED(IDC_CHOOSE_INPUT_1, &CZoneSettingsPage::OnChooseInput)
    ON_BN_CLICKED(IDC_CHOOSE_INPUT_2, &CZoneSettingsPage::OnChooseInput)
    ON_BN_CLICKED(IDC_CHOOSE_INPUT_3, &CZoneSettingsPage::OnChooseInput)
    ON_BN_CLICKED(IDC_CHOOSE_INPUT_4, &CZoneSettingsPage::OnChooseInput)
    ON_BN_CLICKED(IDC_CHOOSE_OCCUPANCY, &CZoneSettingsPage::OnChooseOccupancy)
END_MESSAGE_MAP()

namespace {

// The steps of the page's procedures: what one read (and write) of a point covers.
enum Step : unsigned {
    kSetPoints = 1,  // the zone's set point data point
    kPid = 2,        // the PID block
    kTimeout = 4,    // the occupancy timeout
    kInputMode = 8,  // the input mode byte of point 58
    kChoice = 16,    // the occupancy choice byte of point 58 (zone 4)
};

}  // namespace

// Each zone's control IDs, and the orders in which its page reads and
// writes its points, as the node's documentation gives them for each zone.
// Zone 4 keeps its PID block and timeout in point 58 and reads and writes
// them together.
struct ZoneSettingsRow {
    UINT page;  // dialog template and tab caption
    UINT p, i, d, heatI, coolI, timeout, releaseCool, chooseInput, windowSwitch, plusMinus3;
    bool occupancyChoice;  // "Choose Occup =>" and its three boxes
    std::vector<unsigned> reads, writes;
};

namespace {

#define SETTINGS_CONTROLS(n)                                                                                     \
    IDD_ZONE##n##_SETTINGS, IDC_P_##n, IDC_I_##n, IDC_D_##n, IDC_HEAT_I_##n, IDC_COOL_I_##n, IDC_OCC_TIMEOUT_##n, \
        IDC_RELEASE_COOL_##n, IDC_CHOOSE_INPUT_##n, IDC_WINDOW_SWITCH_##n, IDC_PLUS_MINUS_3_##n

const ZoneSettingsRow kRows[node::kZones] = {
    {SETTINGS_CONTROLS(1), false,
     {kSetPoints, kPid, kTimeout, kInputMode},
     {kInputMode, kTimeout, kPid, kSetPoints}},
    {SETTINGS_CONTROLS(2), false,
     {kInputMode, kSetPoints, kPid, kTimeout},
     {kInputMode, kTimeout, kPid, kSetPoints}},
    {SETTINGS_CONTROLS(3), false,
     {kInputMode, kSetPoints, kPid, kTimeout},
     {kTimeout, kInputMode, kPid, kSetPoints}},
    {SETTINGS_CONTROLS(4), true,
     {kInputMode | kChoice, kSetPoints, kPid | kTimeout},
     {kInputMode | kChoice, kPid | kTimeout, kSetPoints}},
};

#undef SETTINGS_CONTROLS

// The set point edits, the same on every page, in the byte order of the
// set point data point.
constexpr UINT kSetPointIds[node::kSetPointPairs] = {IDC_SP_COOL_UNOCC, IDC_SP_COOL_STANDBY, IDC_SP_COOL_OCC,
                                                     IDC_SP_HEAT_UNOCC, IDC_SP_HEAT_STANDBY, IDC_SP_HEAT_OCC};
const char* const kSetPointLabels[node::kSetPointPairs] = {
    "Temperature setpoints Cool UnOccup", "Temperature setpoints Cool Standby", "Temperature setpoints Cool Occup",
    "Temperature setpoints Heat UnOccup", "Temperature setpoints Heat Standby", "Temperature setpoints Heat Occup",
};

}  // namespace

CZoneSettingsPage::CZoneSettingsPage(int zone) : CNodePropPage(kRows[zone - 1].page), m_row(kRows[zone - 1])
{
    const node::Zone& z = node::ZoneAt(zone);
    for (int i = 0; i < node::kSetPointPairs; ++i)
        m_fields.push_back(ValueField(kSetPoints, z.setPoints, 2 * i, FieldType::SignedHundredths, m_setPoints[i],
                                      kSetPointLabels[i]));
    // P in thousandths, I and D in tenths of seconds, the heating and cooling
    // I in seconds.
    const struct {
        CEdit& edit;
        int pair;
        FieldType type;
        const char* label;
    } pid[] = {
        {m_p, node::kP, FieldType::Thousandths, "PID P"},
        {m_i, node::kI, FieldType::Tenths, "PID I"},
        {m_d, node::kD, FieldType::Tenths, "PID D"},
        {m_heatI, node::kHeatingI, FieldType::Whole, "PID Heat I"},
        {m_coolI, node::kCoolingI, FieldType::Whole, "PID Cool I"},
    };
    for (const auto& f : pid)
        m_fields.push_back(ValueField(kPid, z.pidPoint, z.pidAt + 2 * f.pair, f.type, f.edit, f.label));
    m_fields.push_back(ValueField(kTimeout, z.timeoutPoint, z.timeoutAt, FieldType::Tenths, m_timeout,
                                  "Occup timeout"));
    m_fields.push_back(ChoiceField(kInputMode, node::kSettings, node::InputModeAt(zone), FieldType::InputMode,
                                   {&m_releaseCool, &m_chooseInput, &m_windowSwitch, &m_plusMinus3}));
    if (HasOccupancyChoice())
        m_fields.push_back(ChoiceField(kChoice, node::kSettings, node::kOccupancyChoiceAt, FieldType::OccupancyChoice,
                                       {&m_occupancy, &m_standby, &m_unoccupancy}));
    m_readSteps = m_row.reads;
    m_writeSteps = m_row.writes;
}

bool CZoneSettingsPage::HasOccupancyChoice() const { return m_row.occupancyChoice; }

void CZoneSettingsPage::DoDataExchange(CDataExchange* pDX)
{
    if (HasOccupancyChoice()) {
        DDX_Control(pDX, IDC_UNOCCUPANCY, m_unoccupancy);
        DDX_Control(pDX, IDC_STANDBY, m_standby);
        DDX_Control(pDX, IDC_OCCUPANCY, m_occupancy);
        DDX_Control(pDX, IDC_CHOOSE_OCCUPANCY, m_chooseOccupancy);
    }
    DDX_Control(pDX, m_row.windowSwitch, m_windowSwitch);
    DDX_Control(pDX, m_row.plusMinus3, m_plusMinus3);
    DDX_Control(pDX, m_row.releaseCool, m_releaseCool);
    DDX_Control(pDX, m_row.chooseInput, m_chooseInput);
    for (int i = 5; i >= 0; --i)  // heating occupied first
        DDX_Control(pDX, kSetPointIds[i], m_setPoints[i]);
    DDX_Control(pDX, m_row.coolI, m_coolI);
    DDX_Control(pDX, m_row.heatI, m_heatI);
    DDX_Control(pDX, m_row.d, m_d);
    DDX_Control(pDX, m_row.i, m_i);
    DDX_Control(pDX, m_row.p, m_p);
    DDX_Control(pDX, m_row.timeout, m_timeout);
}

BOOL CZoneSettingsPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    OnRead();
    return FALSE;
}

void CZoneSettingsPage::DisableFunctions()
{
    for (CButton* box : {&m_windowSwitch, &m_plusMinus3}) {
        box->EnableWindow(FALSE);
        box->SetCheck(BST_UNCHECKED);
    }
}

// The boxes keep their states.
void CZoneSettingsPage::EnableOccupancyBoxes(bool enable)
{
    if (!HasOccupancyChoice())
        return;
    for (CButton* box : {&m_occupancy, &m_standby, &m_unoccupancy})
        box->EnableWindow(enable);
}

// Every radio button starts a group of its own, so the system clears no
// partner: the page keeps the input's buttons exclusive.
void CZoneSettingsPage::OnReleaseCool()
{
    m_releaseCool.SetCheck(BST_CHECKED);
    m_chooseInput.SetCheck(BST_UNCHECKED);
    if (HasOccupancyChoice())
        m_chooseOccupancy.SetCheck(BST_UNCHECKED);
    DisableFunctions();
    EnableOccupancyBoxes(false);
}

void CZoneSettingsPage::OnChooseInput()
{
    m_releaseCool.SetCheck(BST_UNCHECKED);
    m_chooseInput.SetCheck(BST_CHECKED);
    if (HasOccupancyChoice())
        m_chooseOccupancy.SetCheck(BST_UNCHECKED);
    m_windowSwitch.EnableWindow(TRUE);
    m_plusMinus3.EnableWindow(TRUE);
    EnableOccupancyBoxes(false);
}

void CZoneSettingsPage::OnChooseOccupancy()
{
    if (!HasOccupancyChoice())
        return;
    m_chooseOccupancy.SetCheck(BST_CHECKED);
    m_chooseInput.SetCheck(BST_UNCHECKED);
    m_releaseCool.SetCheck(BST_UNCHECKED);
    DisableFunctions();
    EnableOccupancyBoxes(true);
}
