// COleControl's event source: one connection point per request that
// accepts advises and never fires.
#include "framework/AfxCtlImpl.h"

#include <new>
#include <utility>

namespace {

class CEventPoint final : public IConnectionPoint {
public:
    CEventPoint(IConnectionPointContainer* owner, REFIID iid) : m_owner(owner), m_iid(iid)
    {
        AfxOleLockApp();
    }
    ~CEventPoint() { AfxOleUnlockApp(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        return afx::QueryInterfaceTable(kInterfaces, *this, iid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        if (!iid)
            return E_POINTER;
        *iid = m_iid;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** c) override
    {
        return m_owner.copy_to(c);
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        afx::com_ptr<IUnknown> s = afx::query<IUnknown>(sink, m_iid);
        if (!s)
            s = afx::query<IUnknown>(sink, IID_IDispatch);
        if (!s)
            return CONNECT_E_CANNOTCONNECT;
        for (size_t i = 0; i < kSinks; ++i) {
            if (!m_sinks[i]) {
                m_sinks[i] = std::move(s);
                *cookie = static_cast<DWORD>(i + 1);
                return S_OK;
            }
        }
        return CONNECT_E_ADVISELIMIT;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        if (cookie == 0 || cookie > kSinks || !m_sinks[cookie - 1])
            return CONNECT_E_NOCONNECTION;
        m_sinks[cookie - 1].reset();
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections** e) override
    {
        if (e)
            *e = nullptr;
        return E_NOTIMPL;
    }

private:
    static IUnknown* Self(CEventPoint& p) { return &p; }
    static inline const afx::InterfaceEntry<CEventPoint> kInterfaces[] = {
        {&IID_IUnknown, Self},
        {&IID_IConnectionPoint, Self},
    };
    static constexpr size_t kSinks = 8;
    LONG m_refs = 1;
    afx::com_ptr<IConnectionPointContainer> m_owner;
    IID m_iid;
    afx::com_ptr<IUnknown> m_sinks[kSinks];
};

}  // namespace

STDMETHODIMP COleControl::Impl::FindConnectionPoint(REFIID iid, IConnectionPoint** cp)
{
    if (!cp)
        return E_POINTER;
    *cp = nullptr;
    if (iid != m_owner->m_piidEvents)
        return CONNECT_E_NOCONNECTION;
    // A point per request, holding the control: sinks advised on it are kept
    // while its client holds it, and nothing is ever fired to them.
    *cp = new (std::nothrow) CEventPoint(this, iid);
    return *cp ? S_OK : E_OUTOFMEMORY;
}
