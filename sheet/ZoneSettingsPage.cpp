// CZoneSettingsPage: a zone's set points, PID block, occupancy timeout and
// input mode.
#include "sheet/ZoneSettingsPage.h"

#include <array>
#include <utility>

#include "nodeaccess/Convert.h"
#include "nodeaccess/ValueText.h"

IMPLEMENT_DYNAMIC(CZoneSettingsPage, CNodePropPage)
IMPLEMENT_DYNCREATE(CPage3PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage5PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage7PropPage, CZoneSettingsPage)
IMPLEMENT_DYNCREATE(CPage9PropPage, CZoneSettingsPage)

BEGIN_MESSAGE_MAP(CZoneSettingsPage, CNodePropPage)
    ON_BN_CLICKED(IDC_READ, &CZoneSettingsPage::OnRead)
    ON_BN_CLICKED(IDC_WRITE, &CZoneSettingsPage::OnWrite)
    ON_BN_CLICKED(IDC_RELEASE_COOL_1, &CZoneSettingsPage::OnReleaseCool)
    ON_BN_CLICKED(IDC_CHOOSE_INPUT_1, &CZoneSettingsPage::OnChooseInput)
    ON_BN_CLICKED(IDC_CHOOSE_OCCUPANCY, &CZoneSettingsPage::OnChooseOccupancy)
END_MESSAGE_MAP()

// ---- The node's data points, and the zone table -------------------------------

namespace {

// What one read or write of a data point covers.
enum Group : unsigned {
    kSetPoints = 1,  // bytes 0-11: six pairs, cooling then heating, unoccupied, standby, occupied
    kPid = 2,        // ten bytes from the zone's first PID byte
    kTimeout = 4,    // the zone's occupancy timeout pair
    kInputMode = 8,  // the zone's input mode byte of data point 58
    kChoice = 16,    // data point 58, byte 0: the occupancy choice (zone 4)
};

struct Access {
    long point;  // 0: none
    unsigned groups;
};

constexpr int kChoiceAt = 0;
// A set point data point goes out as its six pairs; any other as read.
constexpr long kSetPointLength = 12;

// The input mode byte.
enum InputMode { kChosenInput = 0, kPlusMinus3 = 1, kWindowSwitch = 2, kBothFunctions = 3, kReleaseCool = 4 };

}  // namespace

struct ZoneSettingsRow {
    UINT page;  // dialog template and tab caption
    // The zone's controls.
    UINT p, i, d, heatI, coolI, timeout, releaseCool, chooseInput, windowSwitch, plusMinus3;
    bool occupancyChoice;  // "Choose Occup =>" and its three boxes
    // Where the zone's values sit in their points.
    int pidAt, timeoutAt, inputModeAt;
    // The zone's reads and writes, in its order.
    Access reads[4], writes[4];
};

namespace {

#define SETTINGS_CONTROLS(n)                                                                   \
    IDC_P_##n, IDC_I_##n, IDC_D_##n, IDC_HEAT_I_##n, IDC_COOL_I_##n, IDC_OCC_TIMEOUT_##n,      \
        IDC_RELEASE_COOL_##n, IDC_CHOOSE_INPUT_##n, IDC_WINDOW_SWITCH_##n, IDC_PLUS_MINUS_3_##n

// PID blocks of zones 1 to 3 in data point 57, their occupancy timeouts in
// 56; zone 4 keeps both in 58, read and written together.
const ZoneSettingsRow kZones[] = {
    {IDD_ZONE1_SETTINGS, SETTINGS_CONTROLS(1), false, 1, 25, 11,
     {{15, kSetPoints}, {57, kPid}, {56, kTimeout}, {58, kInputMode}},
     {{58, kInputMode}, {56, kTimeout}, {57, kPid}, {15, kSetPoints}}},
    {IDD_ZONE2_SETTINGS, SETTINGS_CONTROLS(2), false, 11, 27, 12,
     {{58, kInputMode}, {21, kSetPoints}, {57, kPid}, {56, kTimeout}},
     {{58, kInputMode}, {56, kTimeout}, {57, kPid}, {21, kSetPoints}}},
    {IDD_ZONE3_SETTINGS, SETTINGS_CONTROLS(3), false, 21, 29, 13,
     {{58, kInputMode}, {19, kSetPoints}, {57, kPid}, {56, kTimeout}},
     {{56, kTimeout}, {58, kInputMode}, {57, kPid}, {19, kSetPoints}}},
    {IDD_ZONE4_SETTINGS, SETTINGS_CONTROLS(4), true, 1, 29, 14,
     {{58, kInputMode | kChoice}, {11, kSetPoints}, {58, kPid | kTimeout}},
     {{58, kInputMode | kChoice}, {58, kPid | kTimeout}, {11, kSetPoints}}},
};

#undef SETTINGS_CONTROLS

// Every control ID that differs between the zones, in one order.
std::array<UINT, 10> ZoneControls(const ZoneSettingsRow& z)
{
    return {z.p, z.i, z.d, z.heatI, z.coolI, z.timeout, z.releaseCool, z.chooseInput, z.windowSwitch, z.plusMinus3};
}

// What each input mode byte shows; any other value shows nothing chosen.
struct InputModeView {
    int mode;
    bool releaseCool, chooseInput, windowSwitch, plusMinus3;
};
constexpr InputModeView kInputModes[] = {
    {kChosenInput, false, true, false, false},  {kPlusMinus3, false, true, false, true},
    {kWindowSwitch, false, true, true, false},  {kBothFunctions, false, true, true, true},
    {kReleaseCool, true, false, false, false},
};

int CheckOf(bool set) { return set ? BST_CHECKED : BST_UNCHECKED; }
bool IsChecked(const CButton& b) { return b.GetCheck() == BST_CHECKED; }

}  // namespace

// ---- The page -------------------------------------------------------------------

CZoneSettingsPage::CZoneSettingsPage(int zone)
    : CNodePropPage(kZones[zone - 1].page), m_zone(kZones[zone - 1])
{
}

bool CZoneSettingsPage::HasOccupancyChoice() const { return m_zone.occupancyChoice; }

void CZoneSettingsPage::DoDataExchange(CDataExchange* pDX)
{
    if (HasOccupancyChoice()) {
        DDX_Control(pDX, IDC_UNOCCUPANCY, m_unoccupancy);
        DDX_Control(pDX, IDC_STANDBY, m_standby);
        DDX_Control(pDX, IDC_OCCUPANCY, m_occupancy);
        DDX_Control(pDX, IDC_CHOOSE_OCCUPANCY, m_chooseOccupancy);
    }
    DDX_Control(pDX, m_zone.windowSwitch, m_windowSwitch);
    DDX_Control(pDX, m_zone.plusMinus3, m_plusMinus3);
    DDX_Control(pDX, m_zone.releaseCool, m_releaseCool);
    DDX_Control(pDX, m_zone.chooseInput, m_chooseInput);
    const int setPointIds[6] = {IDC_SP_COOL_UNOCC, IDC_SP_COOL_STANDBY, IDC_SP_COOL_OCC,
                                IDC_SP_HEAT_UNOCC, IDC_SP_HEAT_STANDBY, IDC_SP_HEAT_OCC};
    for (int i = 5; i >= 0; --i)  // heating occupied first
        DDX_Control(pDX, setPointIds[i], m_setPoints[i]);
    DDX_Control(pDX, m_zone.coolI, m_coolI);
    DDX_Control(pDX, m_zone.heatI, m_heatI);
    DDX_Control(pDX, m_zone.d, m_d);
    DDX_Control(pDX, m_zone.i, m_i);
    DDX_Control(pDX, m_zone.p, m_p);
    DDX_Control(pDX, m_zone.timeout, m_timeout);
}

UINT CZoneSettingsPage::MapControlID(UINT nID) const
{
    return MapOntoFirst(nID, ZoneControls(m_zone), ZoneControls(kZones[0]));
}

BOOL CZoneSettingsPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    OnRead();
    return FALSE;
}

// The PID block: P in thousandths, I and D in tenths of seconds, the heating
// and cooling I in seconds; one pair each, from the block's first byte on.
std::array<CZoneSettingsPage::PidField, 5> CZoneSettingsPage::PidFields()
{
    return {{{&m_p, FieldKind::Thousandths},
             {&m_i, FieldKind::Tenths},
             {&m_d, FieldKind::Tenths},
             {&m_heatI, FieldKind::Whole},
             {&m_coolI, FieldKind::Whole}}};
}

// Each group stands alone: a failed read leaves its controls as they are.
void CZoneSettingsPage::OnRead()
{
    CConvert convert;
    for (const Access& access : m_zone.reads) {
        PointBuffer buf;
        if (!access.point || ReadPoint(access.point, buf) != kNodeOk)
            continue;
        if (access.groups & kSetPoints) {
            for (int i = 0; i < 6; ++i)
                m_setPoints[i].SetWindowText(ShowField(FieldKind::SignedHundredths, buf + 2 * i));
        }
        if (access.groups & kPid) {
            int at = m_zone.pidAt;
            for (const PidField& f : PidFields()) {
                f.edit->SetWindowText(ShowField(f.kind, buf + at));
                at += 2;
            }
        }
        if (access.groups & kTimeout)
            m_timeout.SetWindowText(ShowField(FieldKind::Tenths, buf + m_zone.timeoutAt));
        if (access.groups & kInputMode)
            ShowInputMode(convert.SignedByte(buf[m_zone.inputModeAt]));
        if (access.groups & kChoice)
            ShowOccupancyChoice(convert.SignedByte(buf[kChoiceAt]));
    }
}

// Each point is read afresh and written back with only the page's bytes
// changed; a point whose read fails is not written.
void CZoneSettingsPage::OnWrite()
{
    WriteEntries();
    OnRead();
}

void CZoneSettingsPage::WriteEntries()
{
    const CControlSnapshot entries(*this);
    for (const Access& access : m_zone.writes) {
        PointBuffer buf;
        if (!access.point || ReadPoint(access.point, buf) != kNodeOk)
            continue;
        if (access.groups & kInputMode)
            buf[m_zone.inputModeAt] = static_cast<unsigned char>(InputModeChosen(buf[m_zone.inputModeAt]));
        if (access.groups & kChoice)
            buf[kChoiceAt] = static_cast<unsigned char>(OccupancyChoice());
        if (access.groups & kPid) {
            int at = m_zone.pidAt;
            for (const PidField& f : PidFields()) {
                StoreField(f.kind, f.edit->GetWindowText(), buf + at);
                at += 2;
            }
        }
        if (access.groups & kTimeout)
            StoreField(FieldKind::Tenths, m_timeout.GetWindowText(), buf + m_zone.timeoutAt);
        if (access.groups & kSetPoints) {
            for (int i = 0; i < 6; ++i)
                StoreField(FieldKind::SignedHundredths, m_setPoints[i].GetWindowText(), buf + 2 * i);
        }
        WritePoint(access.point, buf, access.groups & kSetPoints ? kSetPointLength : kPointLength);
    }
}

// Everything cleared and the function boxes enabled, then what the mode
// selects; a mode the node does not document selects nothing.
void CZoneSettingsPage::ShowInputMode(int mode)
{
    InputModeView view = {mode, false, false, false, false};
    for (const InputModeView& v : kInputModes)
        if (v.mode == mode)
            view = v;
    m_releaseCool.SetCheck(CheckOf(view.releaseCool));
    m_chooseInput.SetCheck(CheckOf(view.chooseInput));
    m_windowSwitch.SetCheck(CheckOf(view.windowSwitch));
    m_plusMinus3.SetCheck(CheckOf(view.plusMinus3));
    m_windowSwitch.EnableWindow(!view.releaseCool);
    m_plusMinus3.EnableWindow(!view.releaseCool);
}

// The choice byte is the sum of 1 "Occupancy", 2 "Standby", 4 "UnOccupancy";
// the node knows only the pairs 3, 5 and 6. A read leaves the boxes enabled
// or disabled as they are.
void CZoneSettingsPage::ShowOccupancyChoice(int choice)
{
    const bool known = choice == 3 || choice == 5 || choice == 6;
    m_occupancy.SetCheck(CheckOf(known && (choice & 1)));
    m_standby.SetCheck(CheckOf(known && (choice & 2)));
    m_unoccupancy.SetCheck(CheckOf(known && (choice & 4)));
}

// Each button that is set overrides the one asked before it, disabled ones
// too; none set keeps the byte as read.
int CZoneSettingsPage::InputModeChosen(int read) const
{
    int mode = read;
    if (IsChecked(m_releaseCool))
        mode = kReleaseCool;
    if (IsChecked(m_chooseInput))
        mode = kChosenInput;
    if (IsChecked(m_plusMinus3))
        mode = kPlusMinus3;
    if (IsChecked(m_windowSwitch))
        mode = kWindowSwitch;
    if (IsChecked(m_windowSwitch) && IsChecked(m_plusMinus3))
        mode = kBothFunctions;
    return mode;
}

// Always a pair the node knows: three boxes, one, or none go out as 6.
int CZoneSettingsPage::OccupancyChoice() const
{
    if (IsChecked(m_occupancy) && IsChecked(m_standby))
        return 3;
    if (IsChecked(m_occupancy) && IsChecked(m_unoccupancy))
        return 5;
    return 6;
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
