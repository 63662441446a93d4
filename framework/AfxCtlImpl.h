// The OLE object behind a COleControl: one object implements every interface
// a container asks for, with one QueryInterface. It lives inside its control
// (the control owns it); its references are the control's. Private to the
// framework's control files.
#pragma once

#include "framework/AfxCtl.h"

struct COleControl::Impl final : IOleObject,
                                 IOleInPlaceObject,
                                 IOleInPlaceActiveObject,
                                 IViewObject2,
                                 IDispatch,
                                 IOleControl,
                                 IProvideClassInfo2,
                                 IPersistStreamInit,
                                 IPersistPropertyBag,
                                 IConnectionPointContainer {
    explicit Impl(COleControl* owner) : m_owner(owner) {}

    COleControl* const m_owner;
    // Default extent: 100 by 50 pixels at 96 dpi, in HIMETRIC.
    SIZEL m_extent = {2646, 1323};
    afx::com_ptr<IOleAdviseHolder> m_adviseHolder;
    afx::com_ptr<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewAdvf = 0;
    afx::com_ptr<IOleInPlaceSite> m_inPlaceSite;
    bool m_dirty = false;
    bool m_initialized = false;

    // ---- IUnknown (AfxCtlObject.cpp)
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner->InternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner->InternalRelease(); }

    // ---- IOleObject (AfxCtlObject.cpp; DoVerb in AfxCtlView.cpp)
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override { return InPlaceDeactivate(); }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override { return NotImplemented(mk); }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** obj) override { return NotImplemented(obj); }
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** e) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject (AfxCtlView.cpp)
    STDMETHODIMP GetWindow(HWND* w) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // ---- IViewObject2 (AfxCtlView.cpp)
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds,
                      LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** p) override;
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override
    {
        return GetExtent(aspect, size);
    }

    // ---- IDispatch, IProvideClassInfo2 (AfxCtlDispatch.cpp)
    STDMETHODIMP GetTypeInfoCount(UINT* n) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO*, UINT*) override;
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // ---- IOleControl: no mnemonics, ambient properties are not used
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // ---- IPersist, IPersistStreamInit, IPersistPropertyBag (AfxCtlPersist.cpp)
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // ---- IConnectionPointContainer: the event source, which never fires (AfxCtlEvents.cpp)
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override { return NotImplemented(e); }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** cp) override;

    // ---- Implementation
    CLSID ClassID();
    HRESULT InPlaceActivate(IOleClientSite* site);
    HRESULT Exchange(CPropExchange& px);
    HRESULT TypeInfoOf(REFGUID guid, LCID lcid, ITypeInfo** info);
    template <typename T>
    static HRESULT NotImplemented(T** out)
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
};
