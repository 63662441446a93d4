// The module object, the control's class factory and the exported entry points.
#include "module/VennoxApp.h"

#include "control/VennoxCtrl.h"
#include "framework/AfxReg.h"
#include "framework/Registry.h"
#include "module/PluginKey.h"
#include "resources/resource.h"

#include "VennoxLib.h"

#include <string>

namespace {

constexpr char kProgID[] = "Vennox.VennoxCtrl.1";

// Whether the module of the other width serves the class too. 64-bit Windows
// keeps class keys apart per width, while the program identifier, the type
// library's key and the interface keys are one for both: unregistering leaves
// those to whichever module goes last.
bool OtherWidthRegistered()
{
    const REGSAM view = afx::OtherRegistryView();
    char clsid[39];
    return view != 0 && afx::GuidToString(CLSID_Vennox, clsid) &&
           afx::KeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + clsid + "\\InprocServer32", view);
}

class CVennoxCtrlFactory : public COleObjectFactory {
public:
    CVennoxCtrlFactory() : COleObjectFactory(CLSID_Vennox, RUNTIME_CLASS(CVennoxCtrl), FALSE, kProgID) {}

    BOOL UpdateRegistry(BOOL bRegister) override
    {
        SetPluginProgramID(kNodeProgramID);
        // What other tools put in the plug-in key stays, and the key with it,
        // also when a registration fails and takes back what it wrote.
        const LPCSTR keep = PluginKeyHeldByOthers(CLSID_Vennox) ? kPluginKeyName : nullptr;
        if (bRegister) {
            WritePluginKey(CLSID_Vennox);  // its result does not decide registration
            if (AfxOleRegisterControlClass(
                    AfxGetInstanceHandle(),
                    {&CLSID_Vennox, kProgID, IDS_VENNOX, IDB_VENNOX, afxRegApartmentThreading, kVennoxMiscStatus, keep},
                    {&LIBID_VennoxLib, kVennoxTypeLibMajor, kVennoxTypeLibMinor}))
                return TRUE;
            RemovePluginKey(CLSID_Vennox);  // the module's own rows, which a kept key still holds
            return FALSE;
        }
        RemovePluginKey(CLSID_Vennox);  // its result does not decide unregistration either
        return AfxOleUnregisterClass(CLSID_Vennox, OtherWidthRegistered() ? nullptr : kProgID, keep);
    }
};

CVennoxApp theApp;
CVennoxCtrlFactory theFactory;

}  // namespace

BOOL CVennoxApp::InitInstance() { return COleControlModule::InitInstance(); }

int CVennoxApp::ExitInstance() { return COleControlModule::ExitInstance(); }

STDAPI DllRegisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!AfxOleRegisterTypeLib(AfxGetInstanceHandle(), LIBID_VennoxLib))
        return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(TRUE))
        return SELFREG_E_CLASS;
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!AfxOleUnregisterTypeLib(LIBID_VennoxLib, kVennoxTypeLibMajor, kVennoxTypeLibMinor, 0,
                                 OtherWidthRegistered()))
        return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(FALSE))
        return SELFREG_E_CLASS;
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxDllGetClassObject(clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxDllCanUnloadNow();
}
