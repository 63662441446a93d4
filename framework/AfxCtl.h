// The ActiveX control part of the framework layer.
//   CPropExchange      persisted state moved to and from a stream or bag
//   CTypeLibCache      the module's type library, loaded once
//   COleControl        the control base class (AfxCtlObject.cpp and the
//                      other AfxCtl*.cpp files, one per group of interfaces)
//   COleObjectFactory  the module's class factories (AfxFactory.cpp)
//   COleControlModule  the module object (AfxFactory.cpp)
#pragma once

#include "framework/AfxCore.h"
#include "framework/Handles.h"

#include <ocidl.h>
#include <olectl.h>

#include <memory>

// ---- Property exchange ----------------------------------------------------

// Moves the control's persisted state between the control and a stream or a
// property bag. Only the version and the extent are ever exchanged.
class CPropExchange {
public:
    virtual ~CPropExchange() = default;
    BOOL IsLoading() const { return m_bLoading; }
    // Exchanges one 32-bit value under a name; on load, a missing value keeps
    // `*value` (the default the caller put there) and answers FALSE.
    virtual BOOL ExchangeLong(const wchar_t* name, LONG* value) = 0;
    // FALSE once an exchange has failed.
    BOOL IsOk() const { return m_bOk; }

protected:
    BOOL m_bLoading = FALSE;
    BOOL m_bOk = TRUE;
    DWORD m_dwVersion = 0;  // the version loaded or saved (ExchangeVersion)
    friend class COleControl;
};

// ---- Dispatch and event maps ----------------------------------------------

class COleControl;

// One method of the dispatch map: no parameters, no result.
struct AFX_DISPMAP_ENTRY {
    DISPID dispid;
    const wchar_t* name;
    void (COleControl::*pfnMethod)();
};
struct AFX_DISPMAP {
    const AFX_DISPMAP_ENTRY* pEntries;  // ended by an entry with a null name
};

// Events: the control's event map; the control fires none.
struct AFX_EVENTMAP {
    int nEntries;
};

// String ID of the standard name of the properties verb ("&Properties...").
constexpr UINT AFX_IDS_VERB_PROPERTIES = 0xFE41;

// ---- Type library cache ---------------------------------------------------

// The module's type library, loaded once, for the first locale asked for, and
// held until the module unloads.
class CTypeLibCache {
public:
    // The cached library, or loads it through `load` (the control's
    // GetTypeLib) and caches it; falls back to the library embedded in the
    // module when the registered one cannot be loaded.
    HRESULT Lookup(LCID lcid, HRESULT (*load)(void* ctx, LCID, ITypeLib**), void* ctx,
                   ITypeLib** ppTypeLib);

private:
    afx::com_ptr<ITypeLib> m_lib;
};

// ---- Control --------------------------------------------------------------

// Verbs come from the control's message map (ON_OLEVERB entries).
class COleControl : public CCmdTarget {
public:
    COleControl();
    ~COleControl() override;

    DECLARE_DYNAMIC(COleControl)

    // Attributes
    // The container's client site; null before SetClientSite or after
    // SetClientSite(NULL). No reference is added for the caller.
    IOleClientSite* GetClientSite() const { return m_pClientSite.get(); }

    // The outer IUnknown: the reference the factory hands out.
    IUnknown* GetControllingUnknown();

    // Operations
    void InitializeIIDs(const IID* piidPrimary, const IID* piidEvents);
    BOOL ExchangeVersion(CPropExchange* pPX, DWORD dwVersionDefault, BOOL bConvert = TRUE);

    // Overridables
    virtual UINT GetTypeInfoCount() { return 0; }
    virtual CTypeLibCache* GetTypeLibCache() { return nullptr; }
    virtual HRESULT GetTypeLib(LCID lcid, ITypeLib** ppTypeLib);
    virtual const AFX_DISPMAP* GetDispatchMap() const;
    virtual const AFX_EVENTMAP* GetEventMap() const;
    virtual void DoPropExchange(CPropExchange* pPX);
    virtual void OnResetState();
    // rcBounds as the container gave it (not normalised).
    virtual void OnDraw(HDC hdc, const RECT& rcBounds, const RECT& rcInvalid);
    virtual HRESULT GetClassID(LPCLSID pclsid) = 0;
    virtual BOOL OnProperties(LPMSG lpMsg, HWND hWndParent, LPCRECT lpRect);
    virtual UINT GetUserTypeNameID() = 0;
    virtual DWORD GetMiscStatus() = 0;

    struct Impl;  // the OLE interfaces (AfxCtlImpl.h)

private:
    friend struct Impl;
    // The entry of verb `verb` in the message maps, or null.
    const AFX_MSGMAP_ENTRY* FindVerbEntry(LONG verb) const;
    // The object's one reference count; the last release deletes the control,
    // and with it the OLE object it holds.
    ULONG InternalAddRef();
    ULONG InternalRelease();

    LONG m_dwRef = 1;
    std::unique_ptr<Impl> m_pImpl;
    afx::com_ptr<IOleClientSite> m_pClientSite;
    HWND m_hWnd = nullptr;
    IID m_piidPrimary = IID_NULL;
    IID m_piidEvents = IID_NULL;
};

// ---- Class factory --------------------------------------------------------

// A static class factory; every factory of the module is on one list, for
// DllGetClassObject and registration.
class COleObjectFactory {
public:
    // `bMultiInstance` means nothing to an in-process server: every
    // CreateInstance makes a new object. The ProgID is not kept: the
    // derived factory's UpdateRegistry registers it.
    COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance,
                      LPCSTR lpszProgID);
    virtual ~COleObjectFactory();
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;

    // Writes (TRUE) or removes (FALSE) the class's registry entries.
    virtual BOOL UpdateRegistry(BOOL bRegister) = 0;
    // UpdateRegistry on every factory; FALSE at the first that fails.
    static BOOL UpdateRegistryAll(BOOL bRegister);
    // DllGetClassObject: the factory of `clsid`, or CLASS_E_CLASSNOTAVAILABLE.
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);

    // A new object of the factory's class, with one reference, in `*ppv`.
    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID iid, void** ppv);

private:
    struct ClassFactory;
    CLSID m_clsid;
    const CRuntimeClass* m_pRuntimeClass;
    COleObjectFactory* m_pNextFactory;
    ClassFactory* m_pClassFactory;
};

// ---- Control module -------------------------------------------------------

// A control module has no application name of its own: `lpszAppName` is
// taken for the design's sake and not kept.
class COleControlModule {
public:
    explicit COleControlModule(LPCSTR lpszAppName = nullptr);
    virtual ~COleControlModule();
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The module object, if one was constructed.
    static COleControlModule* Current();
};

// DllCanUnloadNow: S_OK when no object or server lock of the module is alive.
HRESULT AfxDllCanUnloadNow();
// DllGetClassObject through the module's factories.
HRESULT AfxDllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
