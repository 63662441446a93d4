// Core of the framework layer: run-time class information, the module's
// state (instance and resource handles) and its object and lock counts.
#pragma once

#include <windows.h>

// ---- Run-time class information and dynamic creation ----------------------

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();  // null without dynamic creation
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* c) const { return GetRuntimeClass()->IsDerivedFrom(c); }
    static const CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(name) (&name::class##name)

#define DECLARE_DYNAMIC(name)                                  \
public:                                                        \
    static const CRuntimeClass class##name;                    \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(name) \
    DECLARE_DYNAMIC(name)       \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(name, base, create)                                    \
    const CRuntimeClass name::class##name = {#name, create, RUNTIME_CLASS(base)};     \
    const CRuntimeClass* name::GetRuntimeClass() const { return &name::class##name; }

#define IMPLEMENT_DYNAMIC(name, base) IMPLEMENT_RUNTIMECLASS(name, base, nullptr)

#define IMPLEMENT_DYNCREATE(name, base)                   \
    CObject* name::CreateObject() { return new name; }    \
    IMPLEMENT_RUNTIMECLASS(name, base, name::CreateObject)

// ---- Module state ---------------------------------------------------------

// The module's own state: which module's resources and counts apply.
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    volatile LONG m_nObjectCount = 0;  // live objects of this module's classes
    volatile LONG m_nLockCount = 0;    // IClassFactory::LockServer locks
};

// The state of the module this code is linked into.
AFX_MODULE_STATE* AfxGetStaticModuleState();
// The state in effect on this thread (the static one unless switched).
AFX_MODULE_STATE* AfxGetModuleState();
// Called from DllMain on process attach.
void AfxInitModule(HINSTANCE hInstance);

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Switches the thread to a module state for a scope and restores the caller's.
class AFX_MAINTAIN_STATE {
public:
    explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state);
    ~AFX_MAINTAIN_STATE();
    AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE&) = delete;
    AFX_MAINTAIN_STATE& operator=(const AFX_MAINTAIN_STATE&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevious;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE _afxManageState(p)

// Object and lock counts: DllCanUnloadNow answers S_OK only when both are 0.
void AfxOleLockApp();     // one more live object
void AfxOleUnlockApp();   // one fewer
void AfxOleLockServer(BOOL lock);
BOOL AfxOleCanExitApp();
