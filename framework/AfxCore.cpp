// Run-time class information and the module's state and counts.
#include "framework/AfxCore.h"

#include "framework/AfxThread.h"

const CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{AfxSigEnd, 0, 0, nullptr, nullptr, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(AFX_MSG_KIND kind, UINT_PTR id) const
{
    return FindMessageEntry([kind, id](const AFX_MSGMAP_ENTRY& e) {
        if (e.kind != kind)
            return false;
        if (kind == AfxSigTimer)  // one entry hears every timer
            return true;
        if (kind == AfxSigClicked)
            return e.id <= id && id <= e.idLast;
        return e.id == id;
    });
}

namespace {
AFX_MODULE_STATE g_moduleState;
// The state switched in on a thread; it only changes inside AFX_MANAGE_STATE scopes.
struct SwitchedState {
    AFX_MODULE_STATE* state = nullptr;
};
afx::thread_local_object<SwitchedState> t_switched;
}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState() { return &g_moduleState; }

AFX_MODULE_STATE* AfxGetModuleState()
{
    AFX_MODULE_STATE* state = t_switched->state;
    return state ? state : &g_moduleState;
}

void AfxInitModule(HINSTANCE hInstance)
{
    g_moduleState.m_hCurrentInstanceHandle = hInstance;
    g_moduleState.m_hCurrentResourceHandle = hInstance;
}

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

AFX_MAINTAIN_STATE::AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state) : m_pPrevious(t_switched->state)
{
    t_switched->state = state;
}

AFX_MAINTAIN_STATE::~AFX_MAINTAIN_STATE() { t_switched->state = m_pPrevious; }

void AfxOleLockApp() { InterlockedIncrement(&AfxGetModuleState()->m_nObjectCount); }

void AfxOleUnlockApp() { InterlockedDecrement(&AfxGetModuleState()->m_nObjectCount); }

void AfxOleLockServer(BOOL lock)
{
    AFX_MODULE_STATE* s = AfxGetModuleState();
    if (lock)
        InterlockedIncrement(&s->m_nLockCount);
    else
        InterlockedDecrement(&s->m_nLockCount);
}

BOOL AfxOleCanExitApp()
{
    const AFX_MODULE_STATE* s = AfxGetModuleState();
    return s->m_nObjectCount == 0 && s->m_nLockCount == 0;
}
