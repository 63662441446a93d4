// The four "Zone N Settings" pages: one class per zone over one implementation.
// For now they show their templates' frames; the zone's set points, PID values and occupancy follow.
#pragma once

#include "resources/resource.h"
#include "sheet/NodePage.h"

class CZoneSettingsPage : public CNodePropPage {
public:
    explicit CZoneSettingsPage(UINT nIDTemplate) : CNodePropPage(nIDTemplate) {}
};

#define VENNOX_ZONE_SETTINGS_PAGE(name, templateId)              \
    class name : public CZoneSettingsPage {                      \
        DECLARE_DYNCREATE(name)                                \
    public:                                                    \
        name() : CZoneSettingsPage(templateId) {}                \
    };

VENNOX_ZONE_SETTINGS_PAGE(CPage3PropPage, IDD_ZONE1_SETTINGS)
VENNOX_ZONE_SETTINGS_PAGE(CPage5PropPage, IDD_ZONE2_SETTINGS)
VENNOX_ZONE_SETTINGS_PAGE(CPage7PropPage, IDD_ZONE3_SETTINGS)
VENNOX_ZONE_SETTINGS_PAGE(CPage9PropPage, IDD_ZONE4_SETTINGS)
