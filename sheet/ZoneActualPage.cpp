#include "sheet/ZoneActualPage.h"

IMPLEMENT_DYNCREATE(CPage2PropPage, CPropertyPage)
IMPLEMENT_DYNCREATE(CPage4PropPage, CPropertyPage)
IMPLEMENT_DYNCREATE(CPage6PropPage, CPropertyPage)
IMPLEMENT_DYNCREATE(CPage8PropPage, CPropertyPage)
