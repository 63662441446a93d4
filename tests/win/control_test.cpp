// The control through its class factory, as a container and a script client
// use it: counts that decide unloading, drawing, and AboutBox by dispatch.
#include "tests/win/TestSupport.h"

#include <ocidl.h>
#include <olectl.h>
#include <objsafe.h>
#include <shlwapi.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Module = ModuleTest;

TEST_F(Module, UnloadsOnlyWhenNoObjectOrLockIsAlive)
{
    EXPECT_EQ(m_canUnloadNow(), S_OK);
    {
        afx::com_ptr<IOleObject> control;
        Create(IID_IOleObject, control);
        EXPECT_EQ(m_canUnloadNow(), S_FALSE) << "a control is alive";
    }
    EXPECT_EQ(m_canUnloadNow(), S_OK);
    m_factory->LockServer(TRUE);
    EXPECT_EQ(m_canUnloadNow(), S_FALSE) << "a server lock is held";
    m_factory->LockServer(FALSE);
    EXPECT_EQ(m_canUnloadNow(), S_OK);

    afx::com_ptr<IUnknown> none;
    EXPECT_EQ(m_getClassObject(CLSID_NULL, IID_IClassFactory, none.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(m_factory->CreateInstance(reinterpret_cast<IUnknown*>(m_factory.get()), IID_IUnknown, none.put_void()),
              CLASS_E_NOAGGREGATION);
}

TEST_F(Module, AnswersTheInterfacesOfAControl)
{
    afx::com_ptr<IOleObject> control;
    Create(IID_IOleObject, control);
    const IID* asked[] = {&IID_IViewObject, &IID_IViewObject2, &IID_IDispatch, &DIID__DVennox,
                          &IID_IOleControl, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject,
                          &IID_IPersistStreamInit, &IID_IPersistPropertyBag, &IID_IProvideClassInfo2,
                          &IID_IConnectionPointContainer};
    for (const IID* iid : asked) {
        afx::com_ptr<IUnknown> i;
        EXPECT_EQ(control->QueryInterface(*iid, i.put_void()), S_OK);
    }
    afx::com_ptr<IUnknown> safety;
    EXPECT_EQ(control->QueryInterface(IID_IObjectSafety, safety.put_void()), E_NOINTERFACE)
        << "not safe for scripting: the control writes to field devices";
    EXPECT_EQ(control->SetClientSite(nullptr), S_OK);
}

TEST_F(Module, ReportsItsMiscStatusForTheContentAspectOnly)
{
    afx::com_ptr<IOleObject> control;
    Create(IID_IOleObject, control);
    const struct {
        DWORD aspect;
        DWORD status;
    } cases[] = {{DVASPECT_CONTENT, 0x20191}, {DVASPECT_THUMBNAIL, 0}, {DVASPECT_ICON, 0}, {DVASPECT_DOCPRINT, 0}};
    for (const auto& c : cases) {
        DWORD status = 0xDEADBEEF;
        EXPECT_EQ(control->GetMiscStatus(c.aspect, &status), S_OK) << "aspect " << c.aspect;
        EXPECT_EQ(status, c.status) << "aspect " << c.aspect;
    }
}

// Paints into a white 48 x 48 memory bitmap and returns its pixels.
std::vector<DWORD> PixelsOf(const std::function<void(HDC)>& paint)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 48;
    bi.bmiHeader.biHeight = -48;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    afx::unique_hdc dc(CreateCompatibleDC(nullptr));
    afx::unique_hbitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return {};
    afx::select_object selected(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, 48, 48, WHITENESS);
    paint(dc.get());
    GdiFlush();
    return std::vector<DWORD>(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 48 * 48);
}

// The control drawn into `bounds` as OleDraw asks: no target device, no
// window bounds.
std::vector<DWORD> DrawInto(IViewObject* view, RECTL bounds)
{
    return PixelsOf([&](HDC dc) {
        EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
                  S_OK);
    });
}

// What the control must draw: the 30 x 30 square at the top left of its
// 31 x 31 bitmap, stretched onto `bounds` unchanged.
std::vector<DWORD> SquareStretchedOnto(RECTL bounds)
{
    afx::unique_hmodule file = MapModule(LOAD_LIBRARY_AS_DATAFILE);
    afx::unique_hbitmap picture(LoadBitmapW(file.get(), MAKEINTRESOURCEW(1)));
    EXPECT_TRUE(picture);
    return PixelsOf([&](HDC dc) {
        afx::unique_hdc source(CreateCompatibleDC(nullptr));
        afx::select_object selected(source.get(), picture.get());
        StretchBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   source.get(), 0, 0, 30, 30, SRCCOPY);
    });
}

TEST_F(Module, DrawsTheSamePictureForReversedCorners)
{
    afx::com_ptr<IViewObject> view;
    Create(IID_IViewObject, view);
    std::vector<DWORD> normal = DrawInto(view.get(), {4, 6, 34, 36});
    size_t painted = 0;
    for (DWORD p : normal)
        painted += (p & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(painted, 30u * 30 / 4) << "the bitmap is drawn";
    EXPECT_EQ(DrawInto(view.get(), {34, 36, 4, 6}), normal);
    EXPECT_EQ(DrawInto(view.get(), {34, 6, 4, 36}), normal);
}

TEST_F(Module, DrawsTheTopLeftSquareOfItsBitmapStretched)
{
    afx::com_ptr<IViewObject> view;
    Create(IID_IViewObject, view);
    const struct {
        const char* what;
        RECTL bounds;
    } cases[] = {
        {"30 x 30, the square's own size", {4, 6, 34, 36}},
        {"31 x 31, the whole bitmap's size", {0, 0, 31, 31}},
        {"44 x 44, enlarged", {2, 2, 46, 46}},
        {"17 x 40, reduced and stretched", {10, 3, 27, 43}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<DWORD> drawn = DrawInto(view.get(), c.bounds), expected = SquareStretchedOnto(c.bounds);
        ASSERT_EQ(drawn.size(), expected.size());
        size_t differ = 0;
        for (size_t i = 0; i < drawn.size(); ++i)
            differ += drawn[i] != expected[i];
        EXPECT_EQ(differ, 0u) << "pixels unlike the stretched 30 x 30 square";
    }
}

TEST_F(Module, AnswersVerbsItDoesNotKnowOrImplement)
{
    afx::com_ptr<IOleObject> control;
    Create(IID_IOleObject, control);
    const struct {
        const char* what;
        LONG verb;
        HRESULT result;
    } cases[] = {
        {"2, past its one verb of its own", 2, OLEOBJ_S_INVALIDVERB},
        {"open", OLEIVERB_OPEN, E_NOTIMPL},
        {"discard undo state", OLEIVERB_DISCARDUNDOSTATE, E_NOTIMPL},
        {"-8, below the standard verbs", -8, E_NOTIMPL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(control->DoVerb(c.verb, nullptr, nullptr, 0, nullptr, nullptr), c.result) << c.what;
}

TEST_F(Module, AboutBoxByDispatchWithoutAClientSite)
{
    afx::com_ptr<IDispatch> dispatch;
    Create(IID_IDispatch, dispatch);
    LPOLESTR name = const_cast<LPOLESTR>(L"aboutbox");
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, -552);
    LPOLESTR other = const_cast<LPOLESTR>(L"Refresh");
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &other, 1, 0, &id), DISP_E_UNKNOWNNAME);

    AboutSeen about;
    DISPPARAMS none = {};
    {
        CSheetDriver driver({CloseAbout(about)});
        EXPECT_EQ(dispatch->Invoke(-552, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
    }
    EXPECT_EQ(about.caption, L"About Vennox Control");
    ASSERT_EQ(about.texts.size(), 4u);
    EXPECT_EQ(about.texts[1], L"Vennox Control, Version 1.0");
    EXPECT_EQ(about.texts[3], L"OK");
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(Module, EventSourceAcceptsAdvisesAndOffersNoOtherPoint)
{
    afx::com_ptr<IConnectionPointContainer> container;
    Create(IID_IConnectionPointContainer, container);
    afx::com_ptr<IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, other.put()), CONNECT_E_NOCONNECTION);
    afx::com_ptr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__DVennoxEvents, point.put()), S_OK);
    IID iid = {};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__DVennoxEvents));

    afx::com_ptr<IDispatch> sink;  // any dispatch object will do as an event sink
    Create(IID_IDispatch, sink);
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(sink.get(), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

// A property bag of 32-bit values, as a container keeps them in its page.
struct Bag : IPropertyBag {
    std::map<std::wstring, LONG> values;
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = (iid == IID_IUnknown || iid == IID_IPropertyBag) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override
    {
        auto it = values.find(name);
        if (it == values.end())
            return E_INVALIDARG;
        V_VT(v) = VT_I4;
        V_I4(v) = it->second;
        return S_OK;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override
    {
        if (V_VT(v) != VT_I4)
            return E_INVALIDARG;
        values[name] = V_I4(v);
        return S_OK;
    }
};

TEST_F(Module, SavingClearsTheDirtyFlagOnlyWhenAsked)
{
    const struct {
        const char* what;
        bool bag;
        BOOL clearDirty;
        HRESULT dirtyAfter;
    } cases[] = {
        {"stream, flag kept", false, FALSE, S_OK},
        {"stream, flag cleared", false, TRUE, S_FALSE},
        {"property bag, flag kept", true, FALSE, S_OK},
        {"property bag, flag cleared", true, TRUE, S_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        afx::com_ptr<IOleObject> object;
        Create(IID_IOleObject, object);
        afx::com_ptr<IPersistStreamInit> persist;
        ASSERT_EQ(object->QueryInterface(IID_IPersistStreamInit, persist.put_void()), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_FALSE) << "a new control";
        SIZEL extent = {1000, 500};
        ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
        ASSERT_EQ(persist->IsDirty(), S_OK) << "a new extent";
        if (c.bag) {
            afx::com_ptr<IPersistPropertyBag> bagPersist;
            ASSERT_EQ(object->QueryInterface(IID_IPersistPropertyBag, bagPersist.put_void()), S_OK);
            Bag bag;
            ASSERT_EQ(bagPersist->Save(&bag, c.clearDirty, TRUE), S_OK);
        } else {
            afx::com_ptr<IStream> stream;
            ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
            ASSERT_EQ(persist->Save(stream.get(), c.clearDirty), S_OK);
        }
        EXPECT_EQ(persist->IsDirty(), c.dirtyAfter);
    }
}

TEST_F(Module, PropertyBagHoldsVersionAndExtentAndOlderBagsLoad)
{
    afx::com_ptr<IPersistPropertyBag> persist;
    Create(IID_IPersistPropertyBag, persist);
    Bag saved;
    ASSERT_EQ(persist->Save(&saved, TRUE, TRUE), S_OK);
    EXPECT_EQ(saved.values[L"_Version"], 0x00010000);
    EXPECT_EQ(saved.values.count(L"_ExtentX"), 1u);
    EXPECT_EQ(saved.values.count(L"_ExtentY"), 1u);

    struct Case { const char* name; std::map<std::wstring, LONG> values; } cases[] = {
        {"current", saved.values},
        {"older version", {{L"_Version", 1}, {L"_ExtentX", 500}, {L"_ExtentY", 400}}},
        {"nothing saved", {}},
    };
    for (const Case& c : cases) {
        afx::com_ptr<IPersistPropertyBag> fresh;
        Create(IID_IPersistPropertyBag, fresh);
        Bag bag;
        bag.values = c.values;
        EXPECT_EQ(fresh->Load(&bag, nullptr), S_OK) << c.name;
    }
    // The extent survives a round trip.
    afx::com_ptr<IOleObject> object;
    Create(IID_IOleObject, object);
    SIZEL extent = {1234, 567};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    afx::com_ptr<IPersistPropertyBag> from;
    ASSERT_EQ(object->QueryInterface(IID_IPersistPropertyBag, from.put_void()), S_OK);
    Bag bag;
    ASSERT_EQ(from->Save(&bag, TRUE, TRUE), S_OK);
    afx::com_ptr<IOleObject> restored;
    Create(IID_IOleObject, restored);
    afx::com_ptr<IPersistPropertyBag> to;
    ASSERT_EQ(restored->QueryInterface(IID_IPersistPropertyBag, to.put_void()), S_OK);
    ASSERT_EQ(to->Load(&bag, nullptr), S_OK);
    SIZEL back = {};
    ASSERT_EQ(restored->GetExtent(DVASPECT_CONTENT, &back), S_OK);
    EXPECT_EQ(back.cx, 1234);
    EXPECT_EQ(back.cy, 567);
}

TEST_F(Module, PersistsItsVersionAndAcceptsOlderStreams)
{
    afx::com_ptr<IPersistStreamInit> persist;
    Create(IID_IPersistStreamInit, persist);
    afx::com_ptr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(persist->InitNew(), S_OK);
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    LONG saved[3] = {};
    ULONG n = 0;
    stream->Read(saved, sizeof saved, &n);
    EXPECT_EQ(n, sizeof saved);
    EXPECT_EQ(saved[0], 0x00010000) << "version 1.0";

    // An older version is converted on load.
    afx::com_ptr<IPersistStreamInit> older;
    Create(IID_IPersistStreamInit, older);
    saved[0] = 0x00000001;
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    stream->Write(saved, sizeof saved, nullptr);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(older->Load(stream.get()), S_OK);
}

TEST_F(Module, StreamsCutShortOrRefusingWritesFailAndChangeNothing)
{
    afx::com_ptr<IOleObject> object;
    Create(IID_IOleObject, object);
    const auto persist = object.query<IPersistStreamInit>(IID_IPersistStreamInit);
    SIZEL extent = {1000, 500}, now = {};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    const LONG state[3] = {0x00010000, 1234, 567};  // version 1.0, width, height
    const struct { UINT bytes; const char* what; } cuts[] = {
        {0, "nothing"}, {4, "the version"}, {8, "the width, no height"}, {10, "half the height"}};
    for (const auto& c : cuts) {
        const auto stream = afx::com_ptr<IStream>::attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(state), c.bytes));
        ASSERT_TRUE(stream);
        EXPECT_TRUE(FAILED(persist->Load(stream.get()))) << c.what;
        object->GetExtent(DVASPECT_CONTENT, &now);
        EXPECT_TRUE(now.cx == 1000 && now.cy == 500) << c.what << ": " << now.cx << " x " << now.cy;
    }
    afx::com_ptr<IStream> readOnly;
    ASSERT_EQ(SHCreateStreamOnFileW(ModulePath().c_str(), STGM_READ | STGM_SHARE_DENY_NONE, readOnly.put()), S_OK);
    EXPECT_TRUE(FAILED(persist->Save(readOnly.get(), TRUE)));
    EXPECT_EQ(persist->IsDirty(), S_OK);
}

}  // namespace
