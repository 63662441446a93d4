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

// Registers the common controls a dialog or sheet may hold (once by the
// system; later calls find them and return).
void RegisterCommonControls();
