// CPage10PropPage, "Common settings": the valve settings in data point 58.
#include "sheet/CommonPage.h"

#include "nodeaccess/Convert.h"
#include "nodeaccess/ValueText.h"

IMPLEMENT_DYNCREATE(CPage10PropPage, CNodePropPage)

BEGIN_MESSAGE_MAP(CPage10PropPage, CNodePropPage)
    ON_BN_CLICKED(IDC_READ, &CPage10PropPage::OnRead)
    ON_BN_CLICKED(IDC_WRITE, &CPage10PropPage::OnWrite)
    ON_BN_CLICKED(IDC_HEAT_0_10V, &CPage10PropPage::OnHeat010)
    ON_BN_CLICKED(IDC_HEAT_2_10V, &CPage10PropPage::OnHeat210)
    ON_BN_CLICKED(IDC_COOL_0_10V, &CPage10PropPage::OnCool010)
    ON_BN_CLICKED(IDC_COOL_2_10V, &CPage10PropPage::OnCool210)
END_MESSAGE_MAP()

namespace {

// Data point 58, bytes 15 to 20: the valve settings. The zone pages own the
// other bytes of the point; they go back to the node as read.
constexpr long kValvePoint = 58;
constexpr int kCoolTypeByte = 15;    // 0: 0 - 10V, otherwise 2 - 10V
constexpr int kHeatTypeByte = 16;
constexpr int kCoolMotionByte = 17;  // automatic motion: 1 on, 0 off
constexpr int kHeatMotionByte = 18;
constexpr int kClosedTimeByte = 19;  // hours, 19-20, unsigned, high byte first

}  // namespace

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
    CPropertyPage::OnInitDialog();
    OnRead();
    return TRUE;
}

void CPage10PropPage::OnRead()
{
    PointBuffer buf = {};
    if (ReadPoint(kValvePoint, buf) != kNodeOk)
        return;
    CConvert convert;
    m_closedValveTime.SetWindowText(ShowField(FieldKind::Whole, buf + kClosedTimeByte));
    // A motion byte other than 0 or 1 is passed on, taken as signed.
    m_coolAutomatic.SetCheck(convert.SignedByte(buf[kCoolMotionByte]));
    m_heatAutomatic.SetCheck(convert.SignedByte(buf[kHeatMotionByte]));
    if (convert.SignedByte(buf[kCoolTypeByte]) == 0)
        SelectPair(m_cool010, m_cool210);
    else
        SelectPair(m_cool210, m_cool010);
    if (convert.SignedByte(buf[kHeatTypeByte]) == 0)
        SelectPair(m_heat010, m_heat210);
    else
        SelectPair(m_heat210, m_heat010);
}

void CPage10PropPage::OnWrite()
{
    WriteEntries();
    OnRead();
}

void CPage10PropPage::WriteEntries()
{
    const CControlSnapshot entries(*this);
    PointBuffer buf = {};
    if (ReadPoint(kValvePoint, buf) == kNodeOk) {
        StoreField(FieldKind::Whole, m_closedValveTime.GetWindowText(), buf + kClosedTimeByte);
        buf[kCoolMotionByte] = m_coolAutomatic.GetCheck() == BST_CHECKED ? 1 : 0;
        buf[kHeatMotionByte] = m_heatAutomatic.GetCheck() == BST_CHECKED ? 1 : 0;
        // Only the "0 - 10V" buttons count: neither button set means 2 - 10V.
        buf[kCoolTypeByte] = m_cool010.GetCheck() == BST_CHECKED ? 0 : 1;
        buf[kHeatTypeByte] = m_heat010.GetCheck() == BST_CHECKED ? 0 : 1;
        WritePoint(kValvePoint, buf, kPointLength);
    }
}

// Every radio button starts a group of its own, so the system never clears
// the partner; the page does.
void CPage10PropPage::SelectPair(CButton& chosen, CButton& other)
{
    chosen.SetCheck(BST_CHECKED);
    other.SetCheck(BST_UNCHECKED);
}

void CPage10PropPage::OnHeat010() { SelectPair(m_heat010, m_heat210); }
void CPage10PropPage::OnHeat210() { SelectPair(m_heat210, m_heat010); }
void CPage10PropPage::OnCool010() { SelectPair(m_cool010, m_cool210); }
void CPage10PropPage::OnCool210() { SelectPair(m_cool210, m_cool010); }
