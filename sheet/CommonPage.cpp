// CPage10PropPage, "Common settings": the valve settings in data point 58.
// A valve type button's click is the base's: it selects its type.
#include "sheet/CommonPage.h"

#include "nodeaccess/NodeLayout.h"

IMPLEMENT_DYNCREATE(CPage10PropPage, CNodePropPage)

namespace {

constexpr unsigned kValves = 1;  // the one step: bytes 15 to 20 of point 58

}  // namespace

CPage10PropPage::CPage10PropPage() : CNodePropPage(IDD_COMMON)
{
    const long point = node::kSettings;
    m_fields = {
        ValueField(kValves, point, node::kClosedValveTimeAt, FieldType::Whole, m_closedValveTime,
                   "Closed valve time before auto motion"),
        ChoiceField(kValves, point, node::kCoolingValveMotionAt, FieldType::ValveMotion, {&m_coolAutomatic}),
        ChoiceField(kValves, point, node::kHeatingValveMotionAt, FieldType::ValveMotion, {&m_heatAutomatic}),
        ChoiceField(kValves, point, node::kCoolingValveTypeAt, FieldType::ValveType, {&m_cool010, &m_cool210}),
        ChoiceField(kValves, point, node::kHeatingValveTypeAt, FieldType::ValveType, {&m_heat010, &m_heat210}),
    };
    m_readSteps = {kValves};
    m_writeSteps = {kValves};
}

void CPage10PropPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_HEAT_0_10V, m_heat010);
    DDX_Control(pDX, IDC_CLOSED_VALVE_TIME, m_closedValveTime);
    DDX_Control(pDX, IDC_HEAT_AUTOMATIC, m_heatAutomatic);
    DDX_Control(pDX, IDC_COOL_AUTOMATIC, m_coolAutomatic);
    DDX_Control(pDX, IDC_HEAT_2_10V, m_heat210);
    DDX_Control(pDX, IDC_COOL_2_10V, m_cool210);
    DDX_Control(pDX, IDC_COOL_0_10V, m_cool010);
}

BOOL CPage10PropPage::OnInitDialog()
{
    CNodePropPage::OnInitDialog();
    OnRead();
    return TRUE;
}
