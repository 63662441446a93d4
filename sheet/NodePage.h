// CNodePropPage: what every page of the sheet shares, its way to the node.
// A page reaches the node only through the sheet that owns its window, and
// takes the sheet's interface at the moment of each call; an interface the
// sheet does not hold makes the call fail.
#pragma once

#include <array>
#include <cstddef>

#include "framework/AfxWin.h"
#include "nodeaccess/NodeAccess.h"

using PointBuffer = unsigned char[kPointCapacity];
using NameBuffer = unsigned char[kNodeNameCapacity];

// A status the node never returns: the sheet holds no interface for the call.
constexpr long kNoInterface = -1;

// For a family of pages with one message map in the control IDs of its
// first page: the ID that stands in `first` where `mine` holds `nID`; `nID`
// itself when `mine` does not hold it.
template <size_t N>
UINT MapOntoFirst(UINT nID, const std::array<UINT, N>& mine, const std::array<UINT, N>& first)
{
    for (size_t i = 0; i < N; ++i)
        if (mine[i] == nID)
            return first[i];
    return nID;
}

class CNodePropPage : public CPropertyPage {
    DECLARE_DYNAMIC(CNodePropPage)
public:
    explicit CNodePropPage(UINT nIDTemplate) : CPropertyPage(nIDTemplate, nIDTemplate) {}

protected:
    // kNodeOk when `buffer` holds the point's bytes. The buffer is cleared
    // first: a host that fills fewer bytes than asked leaves zeros, never
    // the bytes of a point read before into the same buffer.
    long ReadPoint(long point, PointBuffer& buffer) const;
    // The node's answer to a write is not examined: the read that follows
    // shows what the node holds.
    void WritePoint(long point, const PointBuffer& buffer, long length) const;
    long GetNodeName(NameBuffer& buffer) const;

    INT_PTR OnDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// One page class of a zone page family: `family` over zone `zone` (1 to 4),
// with dynamic creation.
#define VENNOX_ZONE_PAGE(name, family, zone) \
    class name : public family {             \
        DECLARE_DYNCREATE(name)              \
    public:                                  \
        name() : family(zone) {}             \
    };
