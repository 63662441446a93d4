// CNodePropPage: a page's calls to the node, through its sheet.
#include "sheet/NodePage.h"

#include "sheet/Sheet.h"

#include <algorithm>
#include <iterator>

IMPLEMENT_DYNAMIC(CNodePropPage, CPropertyPage)

namespace {

// Counts the sheet's node calls in flight for their duration.
class CNodeCallScope {
public:
    explicit CNodeCallScope(CSheet& sheet) : m_sheet(sheet) { ++m_sheet.m_nNodeCallsInFlight; }
    ~CNodeCallScope() { --m_sheet.m_nNodeCallsInFlight; }
    CNodeCallScope(const CNodeCallScope&) = delete;
    CNodeCallScope& operator=(const CNodeCallScope&) = delete;

private:
    CSheet& m_sheet;
};

}  // namespace

long CNodePropPage::ReadPoint(long point, PointBuffer& buffer) const
{
    std::fill(std::begin(buffer), std::end(buffer), 0);
    CSheet* sheet = CSheet::FromPage(*this);
    IReadNode* node = sheet ? sheet->m_pReadNode : nullptr;
    if (!node)
        return kNoInterface;
    CNodeCallScope call(*sheet);
    return node->ReadPoint(point, buffer, kPointCapacity);
}

void CNodePropPage::WritePoint(long point, const PointBuffer& buffer, long length) const
{
    CSheet* sheet = CSheet::FromPage(*this);
    IWriteNode* node = sheet ? sheet->m_pWriteNode : nullptr;
    if (!node)
        return;
    CNodeCallScope call(*sheet);
    node->WritePoint(point, buffer, length);
}

long CNodePropPage::GetNodeName(NameBuffer& buffer) const
{
    CSheet* sheet = CSheet::FromPage(*this);
    IReadNode* node = sheet ? sheet->m_pReadNode : nullptr;
    if (!node)
        return kNoInterface;
    CNodeCallScope call(*sheet);
    return node->GetNodeName(buffer, kNodeNameCapacity);
}

// A host may dispatch messages while a node call waits, as a call to another
// apartment does. A click or a timer tick then would start a second
// procedure inside the first, with node calls between its read and write of
// a point: the page drops them. The procedure in progress ends with a read
// that shows what the node holds.
INT_PTR CNodePropPage::OnDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND || msg == WM_TIMER) {
        CSheet* sheet = CSheet::FromPage(*this);
        if (sheet && sheet->m_nNodeCallsInFlight > 0)
            return TRUE;
    }
    return CPropertyPage::OnDialogMessage(msg, wParam, lParam);
}
