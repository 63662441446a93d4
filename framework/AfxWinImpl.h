// What the window classes' sources share, private to the framework.
#pragma once

#include "framework/AfxWin.h"

// Counts the thread's modal loops (dialogs and sheets) for a scope. When
// the outermost one ends, the temporary wrappers made during it go, as an
// idle loop would free them: their windows are gone, and nothing outlives
// the loop holding them.
class CModalScope {
public:
    CModalScope();
    ~CModalScope();
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;
};

// The common controls a dialog or sheet may hold, registered once.
void InitCommonControlsOnce();
