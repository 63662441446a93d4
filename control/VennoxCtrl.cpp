// CVennoxCtrl: draws bitmap 1, offers AboutBox, opens the sheet from its
// Properties verb. It keeps no state of its own.
#include "control/VennoxCtrl.h"

#include "control/AboutDlg.h"
#include "sheet/Sheet.h"
#include "resources/resource.h"

#include "VennoxLib.h"

CVennoxCtrl* g_pCurrentCtrl = nullptr;

IMPLEMENT_DYNCREATE(CVennoxCtrl, COleControl)

namespace {

CTypeLibCache g_typeLibCache;

const AFX_DISPMAP_ENTRY kDispatch[] = {
    {DISPID_ABOUTBOX, L"AboutBox", static_cast<void (COleControl::*)()>(&CVennoxCtrl::AboutBox)},
    {0, nullptr, nullptr},
};
const AFX_DISPMAP kDispatchMap = {kDispatch};

const AFX_EVENTMAP kEventMap = {0};

// Persisted version 1.0: major version in the high half.
constexpr DWORD kVersion = 0x00010000;

}  // namespace

CVennoxCtrl::CVennoxCtrl() { InitializeIIDs(&DIID__DVennox, &DIID__DVennoxEvents); }

CVennoxCtrl::~CVennoxCtrl() = default;

UINT CVennoxCtrl::GetTypeInfoCount() { return 1; }

CTypeLibCache* CVennoxCtrl::GetTypeLibCache() { return &g_typeLibCache; }

HRESULT CVennoxCtrl::GetTypeLib(LCID lcid, ITypeLib** ppTypeLib)
{
    return LoadRegTypeLib(LIBID_VennoxLib, kVennoxTypeLibMajor, kVennoxTypeLibMinor, lcid, ppTypeLib);
}

BEGIN_MESSAGE_MAP(CVennoxCtrl, COleControl)
    ON_OLEVERB(AFX_IDS_VERB_PROPERTIES, &CVennoxCtrl::OnProperties)
END_MESSAGE_MAP()

const AFX_DISPMAP* CVennoxCtrl::GetDispatchMap() const { return &kDispatchMap; }

const AFX_EVENTMAP* CVennoxCtrl::GetEventMap() const { return &kEventMap; }

void CVennoxCtrl::DoPropExchange(CPropExchange* pPX)
{
    ExchangeVersion(pPX, kVersion, TRUE);
    COleControl::DoPropExchange(pPX);
}

void CVennoxCtrl::OnResetState() { COleControl::OnResetState(); }

void CVennoxCtrl::OnDraw(HDC hdc, const RECT& rcBounds, const RECT&)
{
    RECT r = rcBounds;
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    afx::unique_hbitmap bitmap(LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_VENNOX)));
    if (!bitmap)
        return;
    afx::unique_hdc memory(CreateCompatibleDC(nullptr));
    if (!memory)
        return;
    afx::select_object selected(memory.get(), bitmap.get());
    // The 30 x 30 square at the top left, not the whole 31 x 31 picture.
    StretchBlt(hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory.get(), 0, 0, 30, 30,
               SRCCOPY);
}

HRESULT CVennoxCtrl::GetClassID(LPCLSID pclsid)
{
    *pclsid = CLSID_Vennox;
    return S_OK;
}

BOOL CVennoxCtrl::OnProperties(LPMSG, HWND, LPCRECT)
{
    g_pCurrentCtrl = this;
    CSheet sheet("VNX", nullptr, 0);
    sheet.DoModal();  // the modal result is not used
    return TRUE;
}

UINT CVennoxCtrl::GetUserTypeNameID() { return IDS_VENNOX; }

DWORD CVennoxCtrl::GetMiscStatus() { return kVennoxMiscStatus; }

void CVennoxCtrl::AboutBox()
{
    CAboutDlg dlg;
    dlg.DoModal();  // the result is not used
}
