// The host's client site. One site object answers the container interfaces
// and, unless they are served separately, the node-access interfaces too.
// Release never deletes: CNodeSite owns the objects.
#include "host/site/NodeSite.h"

#include "framework/Handles.h"
#include "host/node/NodeFile.h"

#include <algorithm>

namespace {

using ReleaseHook = std::function<void(const char* object)>;

// A reference count that only counts; the owner decides the lifetime. Each
// release is reported, after the count went down, to the site's hook.
class CCount {
public:
    CCount(const char* name, const ReleaseHook& onRelease) : m_name(name), m_onRelease(onRelease) {}
    ULONG AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }
    ULONG Release()
    {
        ULONG n = static_cast<ULONG>(InterlockedDecrement(&m_count));
        if (m_onRelease)
            m_onRelease(m_name);
        return n;
    }
    long Outstanding() const { return m_count - 1; }

private:
    LONG m_count = 1;
    const char* m_name;
    const ReleaseHook& m_onRelease;
};

}  // namespace

// ---- Node calls, shared by whichever object serves them ----------------------

struct CNodeSite::Impl {
    Impl(CNodeSite& owner, NodeModel& node, const SiteOptions& options, HWND container, RECT pos);

    long Read(long point, unsigned char* buffer, long capacity);
    long Write(long point, const unsigned char* buffer, long length);
    long Name(unsigned char* buffer, long capacity);

    void Pause(NodeCall::Kind kind, long point) const;
    void Record(NodeCall call);

    CNodeSite& m_owner;
    NodeModel& m_node;
    SiteOptions m_options;
    HWND m_container;
    RECT m_pos;
    std::vector<NodeCall> m_calls;

    class CSite;
    class CReader;
    class CWriter;
    std::unique_ptr<CSite> m_site;
    std::unique_ptr<CReader> m_reader;  // with separateObjects only
    std::unique_ptr<CWriter> m_writer;
};

// The wait before a node call: a sleep, or with `pump` a message loop, as a
// call to another apartment runs one while it waits for the answer.
void CNodeSite::Impl::Pause(NodeCall::Kind kind, long point) const
{
    // What the hook or a message dispatched meanwhile sets is for the next call.
    const DWORD delay = m_options.delayMs;
    if (m_owner.onWait)
        m_owner.onWait(kind, point);
    if (!m_options.pump) {
        if (delay)
            Sleep(delay);
        return;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD waited = GetTickCount() - start;
        if (waited >= delay)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, delay - waited, QS_ALLINPUT);
    }
}

long CNodeSite::Impl::Read(long point, unsigned char* buffer, long capacity)
{
    Pause(NodeCall::kRead, point);
    const auto fill = m_options.readFill.find(point);
    const long filled = std::min({capacity, fill == m_options.readFill.end() ? capacity : fill->second,
                                  NodeModel::kPointSize});
    const long status = m_node.ReadPoint(point, buffer, filled);
    NodeCall call{NodeCall::kRead, point, capacity, status, {}};
    if (status == kNodeOk)
        call.bytes.assign(buffer, buffer + filled);
    Record(std::move(call));
    return status;
}

long CNodeSite::Impl::Write(long point, const unsigned char* buffer, long length)
{
    Pause(NodeCall::kWrite, point);
    NodeCall call{NodeCall::kWrite, point, length, 0, {}};
    // What was sent, as far as the length is one the node takes.
    if (buffer && length > 0 && length <= NodeModel::kPointSize)
        call.bytes.assign(buffer, buffer + length);
    const long status = call.status = m_node.WritePoint(point, buffer, length);
    std::string error;
    const bool saved = status != kNodeOk || m_options.nodeFile.empty() ||
                       SaveNodeFile(m_options.nodeFile, m_node, error);
    Record(std::move(call));
    if (!saved && m_owner.onSaveError)
        m_owner.onSaveError(error);
    return status;
}

long CNodeSite::Impl::Name(unsigned char* buffer, long capacity)
{
    Pause(NodeCall::kName, 0);
    const long status = m_node.GetNodeName(buffer, capacity);
    NodeCall call{NodeCall::kName, 0, capacity, status, {}};
    if (status == kNodeOk) {
        // The name and its NUL, when there was room for one.
        const std::size_t n = std::min(m_node.Name().size() + 1, static_cast<std::size_t>(capacity));
        call.bytes.assign(buffer, buffer + n);
    }
    Record(std::move(call));
    return status;
}

void CNodeSite::Impl::Record(NodeCall call)
{
    m_calls.push_back(std::move(call));
    if (m_owner.onCall)
        m_owner.onCall(m_calls.back());
}

// ---- The site object ---------------------------------------------------------

class CNodeSite::Impl::CSite : public IOleClientSite,
                               public IOleInPlaceSite,
                               public IReadNode,
                               public IWriteNode {
public:
    explicit CSite(Impl& impl) : m_refs("site", impl.m_owner.onRelease), m_impl(impl) {}
    CCount m_refs;

    // IUnknown, for every base
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return m_refs.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_refs.Release(); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override { return NoObject(mk, E_NOTIMPL); }
    STDMETHODIMP GetContainer(IOleContainer** c) override { return NoObject(c, E_NOINTERFACE); }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* w) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_impl.m_container ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT pos) override;

    // IReadNode and IWriteNode; their unused entries are shared.
    long __stdcall Unused3() override { return E_NOTIMPL; }
    long __stdcall Unused4() override { return E_NOTIMPL; }
    long __stdcall Unused5() override { return E_NOTIMPL; }
    long __stdcall Unused6() override { return E_NOTIMPL; }
    long __stdcall Unused7() override { return E_NOTIMPL; }
    long __stdcall Unused8() override { return E_NOTIMPL; }
    long __stdcall ReadPoint(long point, unsigned char* buffer, long capacity) override
    {
        return m_impl.Read(point, buffer, capacity);
    }
    long __stdcall GetNodeName(unsigned char* buffer, long capacity) override
    {
        return m_impl.Name(buffer, capacity);
    }
    long __stdcall WritePoint(long point, const unsigned char* buffer, long length) override
    {
        return m_impl.Write(point, buffer, length);
    }

private:
    template <typename T>
    static HRESULT NoObject(T** out, HRESULT hr)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return hr;
    }
    static IUnknown* Site(CSite& s) { return static_cast<IOleClientSite*>(&s); }
    static IUnknown* InPlace(CSite& s) { return static_cast<IOleInPlaceSite*>(&s); }
    static IUnknown* ReadNode(CSite& s);
    static IUnknown* WriteNode(CSite& s);
    static const afx::InterfaceEntry<CSite> kInterfaces[];

    Impl& m_impl;
};

// ---- Node objects of their own -------------------------------------------------

namespace {

// IUnknown of an object that serves one node interface alone.
template <typename Interface, const IID& kIid>
class CSingleInterface : public Interface {
public:
    CSingleInterface(const char* name, const ReleaseHook& onRelease) : m_refs(name, onRelease) {}
    CCount m_refs;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return afx::QueryInterfaceTable(kInterfaces, *this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_refs.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_refs.Release(); }
    long __stdcall Unused3() override { return E_NOTIMPL; }
    long __stdcall Unused4() override { return E_NOTIMPL; }
    long __stdcall Unused5() override { return E_NOTIMPL; }
    long __stdcall Unused6() override { return E_NOTIMPL; }

private:
    static IUnknown* Self(CSingleInterface& o) { return &o; }
    static inline const afx::InterfaceEntry<CSingleInterface> kInterfaces[] = {
        {&IID_IUnknown, Self},
        {&kIid, Self},
    };
};

}  // namespace

class CNodeSite::Impl::CReader : public CSingleInterface<IReadNode, IID_IReadNode> {
public:
    explicit CReader(Impl& impl) : CSingleInterface("read", impl.m_owner.onRelease), m_impl(impl) {}

    long __stdcall Unused8() override { return E_NOTIMPL; }
    long __stdcall ReadPoint(long point, unsigned char* buffer, long capacity) override
    {
        return m_impl.Read(point, buffer, capacity);
    }
    long __stdcall GetNodeName(unsigned char* buffer, long capacity) override
    {
        return m_impl.Name(buffer, capacity);
    }

private:
    Impl& m_impl;
};

class CNodeSite::Impl::CWriter : public CSingleInterface<IWriteNode, IID_IWriteNode> {
public:
    explicit CWriter(Impl& impl) : CSingleInterface("write", impl.m_owner.onRelease), m_impl(impl) {}

    long __stdcall Unused7() override { return E_NOTIMPL; }
    long __stdcall WritePoint(long point, const unsigned char* buffer, long length) override
    {
        return m_impl.Write(point, buffer, length);
    }

private:
    Impl& m_impl;
};

// ---- The site object's methods ---------------------------------------------------

const afx::InterfaceEntry<CNodeSite::Impl::CSite> CNodeSite::Impl::CSite::kInterfaces[] = {
    {&IID_IUnknown, Site},
    {&IID_IOleClientSite, Site},
    {&IID_IOleWindow, InPlace},
    {&IID_IOleInPlaceSite, InPlace},
    {&IID_IReadNode, ReadNode},
    {&IID_IWriteNode, WriteNode},
};

STDMETHODIMP CNodeSite::Impl::CSite::QueryInterface(REFIID iid, void** out)
{
    if (m_impl.m_owner.onQueryInterface)
        m_impl.m_owner.onQueryInterface(iid);
    return afx::QueryInterfaceTable(kInterfaces, *this, iid, out);
}

IUnknown* CNodeSite::Impl::CSite::ReadNode(CSite& s)
{
    if (!s.m_impl.m_options.offerRead)
        return nullptr;
    if (s.m_impl.m_reader)
        return s.m_impl.m_reader.get();
    return static_cast<IReadNode*>(&s);
}

IUnknown* CNodeSite::Impl::CSite::WriteNode(CSite& s)
{
    if (!s.m_impl.m_options.offerWrite)
        return nullptr;
    if (s.m_impl.m_writer)
        return s.m_impl.m_writer.get();
    return static_cast<IWriteNode*>(&s);
}

STDMETHODIMP CNodeSite::Impl::CSite::GetWindow(HWND* w)
{
    if (!w)
        return E_POINTER;
    *w = m_impl.m_container;
    return m_impl.m_container ? S_OK : E_FAIL;
}

STDMETHODIMP CNodeSite::Impl::CSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                      LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (frame)
        *frame = nullptr;
    if (doc)
        *doc = nullptr;
    if (!frame || !doc || !pos || !clip)
        return E_POINTER;
    *pos = m_impl.m_pos;
    *clip = m_impl.m_pos;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = m_impl.m_container;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP CNodeSite::Impl::CSite::OnPosRectChange(LPCRECT pos)
{
    if (!pos)
        return E_POINTER;
    m_impl.m_pos = *pos;
    return S_OK;
}

// ---- CNodeSite -----------------------------------------------------------------

CNodeSite::Impl::Impl(CNodeSite& owner, NodeModel& node, const SiteOptions& options, HWND container, RECT pos)
    : m_owner(owner),
      m_node(node),
      m_options(options),
      m_container(container),
      m_pos(pos),
      m_site(std::make_unique<CSite>(*this))
{
    if (options.separateObjects) {
        m_reader = std::make_unique<CReader>(*this);
        m_writer = std::make_unique<CWriter>(*this);
    }
}

CNodeSite::CNodeSite(NodeModel& node, const SiteOptions& options, HWND container, RECT pos)
    : m_impl(std::make_unique<Impl>(*this, node, options, container, pos))
{
}

CNodeSite::~CNodeSite() = default;

IOleClientSite* CNodeSite::ClientSite() const { return m_impl->m_site.get(); }

long CNodeSite::SiteRefs() const { return m_impl->m_site->m_refs.Outstanding(); }

long CNodeSite::ReadRefs() const
{
    return m_impl->m_reader ? m_impl->m_reader->m_refs.Outstanding() : SiteRefs();
}

long CNodeSite::WriteRefs() const
{
    return m_impl->m_writer ? m_impl->m_writer->m_refs.Outstanding() : SiteRefs();
}

const std::vector<NodeCall>& CNodeSite::Calls() const { return m_impl->m_calls; }

// The memory goes too: a long run (a soak) measures what the control keeps.
void CNodeSite::ClearCalls() { std::vector<NodeCall>().swap(m_impl->m_calls); }

NodeModel& CNodeSite::Node() const { return m_impl->m_node; }

void CNodeSite::SetDelay(unsigned ms) { m_impl->m_options.delayMs = ms; }

unsigned CNodeSite::Delay() const { return m_impl->m_options.delayMs; }
