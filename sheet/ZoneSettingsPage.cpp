#include "sheet/ZoneSettingsPage.h"

IMPLEMENT_DYNCREATE(CPage3PropPage, CPropertyPage)
IMPLEMENT_DYNCREATE(CPage5PropPage, CPropertyPage)
IMPLEMENT_DYNCREATE(CPage7PropPage, CPropertyPage)
IMPLEMENT_DYNCREATE(CPage9PropPage, CPropertyPage)
