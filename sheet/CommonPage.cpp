// CPage10PropPage, "Common settings": the valve settings in data point 58.
// A valve type button's click is the base's: it selects its type.
#include "sheet/CommonPage.h"

IMPLEMENT_DYNCREATE(CPage10PropPage, CNodePropPage)

// One page for all zones: its rows hold the same for each.
struct CommonTable {
    using P = CPage10PropPage;

    static constexpr unsigned kValves = 1;  // the one step: bytes 15 to 20 of point 58
    static constexpr StepRow kSteps[] = {{kValves, PointsOf(node::Settings(node::kClosedValveTimeAt))}};

    static constexpr ControlRow<P> kControls[] = {
        EditRow(VENNOX_SHARED_ID(IDC_CLOSED_VALVE_TIME), &P::m_closedValveTime, 2, kValves,
                node::Settings(node::kClosedValveTimeAt), FieldKind::Whole, "Closed valve time before auto motion"),
        ButtonRow(VENNOX_SHARED_ID(IDC_COOL_AUTOMATIC), &P::m_coolAutomatic, 4, kValves,
                  node::Settings(node::kCoolingValveMotionAt), FieldKind::ValveMotion, 0),
        ButtonRow(VENNOX_SHARED_ID(IDC_HEAT_AUTOMATIC), &P::m_heatAutomatic, 3, kValves,
                  node::Settings(node::kHeatingValveMotionAt), FieldKind::ValveMotion, 0),
        ButtonRow(VENNOX_SHARED_ID(IDC_COOL_0_10V), &P::m_cool010, 7, kValves, node::Settings(node::kCoolingValveTypeAt),
                  FieldKind::ValveType, 0),
        ButtonRow(VENNOX_SHARED_ID(IDC_COOL_2_10V), &P::m_cool210, 6, kValves, node::Settings(node::kCoolingValveTypeAt),
                  FieldKind::ValveType, 1),
        ButtonRow(VENNOX_SHARED_ID(IDC_HEAT_0_10V), &P::m_heat010, 1, kValves, node::Settings(node::kHeatingValveTypeAt),
                  FieldKind::ValveType, 0),
        ButtonRow(VENNOX_SHARED_ID(IDC_HEAT_2_10V), &P::m_heat210, 5, kValves, node::Settings(node::kHeatingValveTypeAt),
                  FieldKind::ValveType, 1),
    };
};

static_assert(BoundOnceEach(CommonTable::kControls), "each control bound once, in one order");
static_assert(ChoicesWhole(CommonTable::kControls), "a choice's buttons make one whole field");
static_assert(InTheirSteps(CommonTable::kControls, CommonTable::kSteps), "a control's bytes lie in its step's point");

CPage10PropPage::CPage10PropPage() : CNodePropPage(IDD_COMMON)
{
    // The page is zone 1's of a family of one.
    UseTable(*this, CommonTable::kControls, CommonTable::kSteps, 1);
    m_readSteps = {CommonTable::kValves};
    m_writeSteps = {CommonTable::kValves};
}

void CPage10PropPage::DoDataExchange(CDataExchange* pDX) { BindControls(pDX); }

BOOL CPage10PropPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    OnRead();
    return TRUE;
}
