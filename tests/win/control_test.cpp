// The control through its class factory, as a container and a script client
// use it: counts that decide unloading, drawing, and AboutBox by dispatch.
#include "tests/win/TestSupport.h"

#include <ocidl.h>
#include <olectl.h>
#include <objsafe.h>

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
    DWORD status = 0;
    EXPECT_EQ(control->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 0x20191u);
    EXPECT_EQ(control->SetClientSite(nullptr), S_OK);
}

// Draws the control into a 48 x 48 memory bitmap and returns its pixels.
std::vector<DWORD> DrawInto(IViewObject* view, RECTL bounds)
{
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 48, -48, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 48, 48, WHITENESS);
    // What OleDraw passes: no target device, no window bounds.
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 48 * 48);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
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

}  // namespace
