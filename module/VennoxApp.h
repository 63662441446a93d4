// CVennoxApp: the module object of Vennox.OCX.
#pragma once

#include "framework/AfxCtl.h"

class CVennoxApp : public COleControlModule {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;
};
