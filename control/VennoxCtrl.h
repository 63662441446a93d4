// CVennoxCtrl: the control the host places on its window. It draws its
// bitmap, offers AboutBox, and opens the configuration sheet from its
// Properties verb.
#pragma once

#include "framework/AfxCtl.h"

// What the control reports and registers as its miscellaneous status.
inline constexpr DWORD kVennoxMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                           OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                           OLEMISC_RECOMPOSEONRESIZE;
static_assert(kVennoxMiscStatus == 0x20191);
// Version of the control's type library.
inline constexpr WORD kVennoxTypeLibMajor = 1;
inline constexpr WORD kVennoxTypeLibMinor = 0;

class CVennoxCtrl : public COleControl {
    DECLARE_DYNCREATE(CVennoxCtrl)

public:
    CVennoxCtrl();
    ~CVennoxCtrl() override;

    UINT GetTypeInfoCount() override;
    CTypeLibCache* GetTypeLibCache() override;
    HRESULT GetTypeLib(LCID lcid, ITypeLib** ppTypeLib) override;
    const AFX_DISPMAP* GetDispatchMap() const override;
    void DoPropExchange(CPropExchange* pPX) override;
    void OnResetState() override;
    void OnDraw(HDC hdc, const RECT& rcBounds, const RECT& rcInvalid) override;
    HRESULT GetClassID(LPCLSID pclsid) override;
    BOOL OnProperties(LPMSG lpMsg, HWND hWndParent, LPCRECT lpRect) override;
    const AFX_EVENTMAP* GetEventMap() const override;
    UINT GetUserTypeNameID() override;
    DWORD GetMiscStatus() override;

    // Dispatch method, DISPID -552.
    void AboutBox();

    // One OLE verb: the standard properties verb, handled by OnProperties.
    DECLARE_MESSAGE_MAP()
};

// The control that most recently opened the sheet; null until one has.
extern CVennoxCtrl* g_pCurrentCtrl;
