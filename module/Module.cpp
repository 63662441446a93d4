// Module entry point of Vennox.OCX.
#include "framework/AfxCore.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        AfxInitModule(instance);
    }
    return TRUE;
}
