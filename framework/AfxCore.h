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

// ---- Message maps ---------------------------------------------------------

class CCmdTarget;

// Typed handlers: a click handler takes no arguments, or the control's ID
// when its entry covers a range of controls; a timer handler the timer's
// identifier; an OLE verb handler the verb's message, parent window and
// position.
using AFX_PMSG = void (CCmdTarget::*)();
using AFX_PMSG_ID = void (CCmdTarget::*)(UINT nID);
using AFX_PMSG_TIMER = void (CCmdTarget::*)(UINT_PTR nIDEvent);
using AFX_PMSG_VERB = BOOL (CCmdTarget::*)(LPMSG lpMsg, HWND hWndParent, LPCRECT lpRect);

enum AFX_MSG_KIND : UINT {
    AfxSigEnd = 0,
    AfxSigClicked,  // WM_COMMAND, BN_CLICKED from control `id` to `idLast`: void () or void (UINT nID)
    AfxSigTimer,    // WM_TIMER, any timer: void (UINT_PTR nIDEvent)
    AfxSigOleVerb,  // an OLE verb whose menu name is string `id`
};

struct AFX_MSGMAP_ENTRY {
    AFX_MSG_KIND kind;
    UINT_PTR id;                  // the (first) control of a click, the menu name of a verb
    UINT_PTR idLast;              // the last control of a click's range
    AFX_PMSG handler;             // AfxSigClicked, one control
    AFX_PMSG_ID rangeHandler;     // AfxSigClicked, a range
    AFX_PMSG_TIMER timerHandler;  // AfxSigTimer
    AFX_PMSG_VERB verbHandler;    // AfxSigOleVerb
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root (CCmdTarget)
    const AFX_MSGMAP_ENTRY* lpEntries;     // ends with an AfxSigEnd entry
};

// In the class: DECLARE_MESSAGE_MAP()
// In the source: BEGIN_MESSAGE_MAP(CMyPage, CPropertyPage)
//                    ON_BN_CLICKED(201, &CMyPage::OnRead)
//                    ON_CONTROL_RANGE(BN_CLICKED, 240, 260, &CMyPage::OnChoice)  // (UINT nID)
//                    ON_WM_TIMER()      // CMyPage::OnTimer(UINT_PTR)
//                END_MESSAGE_MAP()
// The first entry that matches, from the class's own map to its bases', wins.
#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                                 \
        using ThisClass = theClass;                                                   \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                     \
        {AfxSigEnd, 0, 0, nullptr, nullptr, nullptr, nullptr}};               \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                          \
    }

#define AFX_MSG_HANDLER(fn) static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(fn))
#define ON_BN_CLICKED(id, fn) {AfxSigClicked, (id), (id), AFX_MSG_HANDLER(fn), nullptr, nullptr, nullptr},
// Clicks of the buttons `id` to `idLast`. BN_CLICKED is the one notification
// dispatched: any other code does not compile.
#define AFX_CLICKED_ONLY(code) (static_cast<void>(sizeof(char[(code) == BN_CLICKED ? 1 : -1])), AfxSigClicked)
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, fn)                                   \
    {AFX_CLICKED_ONLY(wNotifyCode), (id), (idLast), nullptr,                           \
     static_cast<AFX_PMSG_ID>(static_cast<void (ThisClass::*)(UINT)>(fn)), nullptr, nullptr},
#define ON_WM_TIMER()                     \
    {AfxSigTimer, 0, 0, nullptr, nullptr, \
     static_cast<AFX_PMSG_TIMER>(static_cast<void (ThisClass::*)(UINT_PTR)>(&ThisClass::OnTimer)), nullptr},
// A control's own verbs are numbered from 1 in the order of their entries.
#define ON_OLEVERB(idsVerbName, fn)                                                         \
    {AfxSigOleVerb, (idsVerbName), 0, nullptr, nullptr, nullptr,                            \
     static_cast<AFX_PMSG_VERB>(static_cast<BOOL (ThisClass::*)(LPMSG, HWND, LPCRECT)>(fn))},

// The root of every class with a message map: windows and controls.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The first entry for which `match` holds, in this class's map, then its
    // bases' maps, each in the order of its entries.
    template <typename Match>
    const AFX_MSGMAP_ENTRY* FindMessageEntry(Match&& match) const
    {
        for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
            for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->kind != AfxSigEnd; ++e)
                if (match(*e))
                    return e;
        return nullptr;
    }
    // The first entry of `kind`: any timer entry; the click entry whose
    // controls hold `id`; the verb entry named `id`.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(AFX_MSG_KIND kind, UINT_PTR id) const;
};

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
