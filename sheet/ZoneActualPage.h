// The four "Zone N Actual" pages: one class per zone over one implementation.
// For now they show their templates' frames; the zone's live values follow.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CZoneActualPage : public CNodePropPage {
public:
    explicit CZoneActualPage(UINT nIDTemplate) : CNodePropPage(nIDTemplate) {}
};

#define VENNOX_ZONE_ACTUAL_PAGE(name, templateId)              \
    class name : public CZoneActualPage {                      \
        DECLARE_DYNCREATE(name)                                \
    public:                                                    \
        name() : CZoneActualPage(templateId) {}                \
    };

VENNOX_ZONE_ACTUAL_PAGE(CPage2PropPage, IDD_ZONE1_ACTUAL)
VENNOX_ZONE_ACTUAL_PAGE(CPage4PropPage, IDD_ZONE2_ACTUAL)
VENNOX_ZONE_ACTUAL_PAGE(CPage6PropPage, IDD_ZONE3_ACTUAL)
VENNOX_ZONE_ACTUAL_PAGE(CPage8PropPage, IDD_ZONE4_ACTUAL)
