// COleObjectFactory: the module's static class factories, DllGetClassObject
// and DllCanUnloadNow; COleControlModule.
#include "framework/AfxCtl.h"

#include <new>

namespace {
COleObjectFactory* g_pFirstFactory = nullptr;
COleControlModule* g_pModule = nullptr;
}  // namespace

// The IClassFactory of a static factory. Its references do not keep the
// module loaded; LockServer does.
struct COleObjectFactory::ClassFactory final : IClassFactory {
    explicit ClassFactory(COleObjectFactory* owner) : m_owner(owner) {}
    COleObjectFactory* m_owner;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        return afx::QueryInterfaceTable(kInterfaces, *this, iid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return m_owner->CreateInstance(outer, iid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        AfxOleLockServer(lock);
        return S_OK;
    }

    static IUnknown* Self(ClassFactory& f) { return &f; }
    static inline const afx::InterfaceEntry<ClassFactory> kInterfaces[] = {
        {&IID_IUnknown, Self},
        {&IID_IClassFactory, Self},
    };
};

COleObjectFactory::COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass,
                                     BOOL, LPCSTR)
    : m_clsid(clsid),
      m_pRuntimeClass(pRuntimeClass),
      m_pNextFactory(g_pFirstFactory),
      m_pClassFactory(new ClassFactory(this))
{
    g_pFirstFactory = this;
}

COleObjectFactory::~COleObjectFactory()
{
    for (COleObjectFactory** p = &g_pFirstFactory; *p; p = &(*p)->m_pNextFactory) {
        if (*p == this) {
            *p = m_pNextFactory;
            break;
        }
    }
    delete m_pClassFactory;
}

HRESULT COleObjectFactory::CreateInstance(IUnknown* pUnkOuter, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    CObject* object = m_pRuntimeClass->CreateObject();
    if (!object)
        return E_OUTOFMEMORY;
    if (!object->IsKindOf(RUNTIME_CLASS(COleControl))) {
        delete object;
        return E_UNEXPECTED;
    }
    // A new control holds one reference, its creator's: hand out the one
    // asked for; the first goes with `created`.
    const auto created = afx::com_ptr<IUnknown>::attach(static_cast<COleControl*>(object)->GetControllingUnknown());
    return created->QueryInterface(iid, ppv);
}

BOOL COleObjectFactory::UpdateRegistryAll(BOOL bRegister)
{
    for (COleObjectFactory* f = g_pFirstFactory; f; f = f->m_pNextFactory)
        if (!f->UpdateRegistry(bRegister))
            return FALSE;
    return TRUE;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (COleObjectFactory* f = g_pFirstFactory; f; f = f->m_pNextFactory)
        if (f->m_clsid == clsid)
            return f->m_pClassFactory->QueryInterface(iid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

COleControlModule::COleControlModule(LPCSTR) { g_pModule = this; }

COleControlModule::~COleControlModule()
{
    if (g_pModule == this)
        g_pModule = nullptr;
}

BOOL COleControlModule::InitInstance() { return TRUE; }

int COleControlModule::ExitInstance() { return 0; }

COleControlModule* COleControlModule::Current() { return g_pModule; }

HRESULT AfxDllCanUnloadNow() { return AfxOleCanExitApp() ? S_OK : S_FALSE; }

HRESULT AfxDllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return COleObjectFactory::GetClassObject(clsid, iid, ppv);
}
