// Module entry point of Vennox.OCX.
#include "framework/AfxCtl.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        AfxInitModule(instance);
        if (COleControlModule* module = COleControlModule::Current())
            return module->InitInstance();
    } else if (reason == DLL_PROCESS_DETACH) {
        if (COleControlModule* module = COleControlModule::Current())
            module->ExitInstance();
    }
    return TRUE;
}
