// CNodePropPage: a page's calls to the node, through its sheet.
#include "sheet/NodePage.h"

#include "sheet/Sheet.h"

#include <algorithm>
#include <iterator>

IMPLEMENT_DYNAMIC(CNodePropPage, CPropertyPage)

long CNodePropPage::ReadPoint(long point, PointBuffer& buffer) const
{
    std::fill(std::begin(buffer), std::end(buffer), 0);
    CSheet* sheet = CSheet::FromPage(*this);
    IReadNode* node = sheet ? sheet->m_pReadNode : nullptr;
    return node ? node->ReadPoint(point, buffer, kPointCapacity) : kNoInterface;
}

void CNodePropPage::WritePoint(long point, const PointBuffer& buffer, long length) const
{
    CSheet* sheet = CSheet::FromPage(*this);
    if (IWriteNode* node = sheet ? sheet->m_pWriteNode : nullptr)
        node->WritePoint(point, buffer, length);
}

long CNodePropPage::GetNodeName(NameBuffer& buffer) const
{
    CSheet* sheet = CSheet::FromPage(*this);
    IReadNode* node = sheet ? sheet->m_pReadNode : nullptr;
    return node ? node->GetNodeName(buffer, kNodeNameCapacity) : kNoInterface;
}
