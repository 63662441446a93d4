// The host's client site over the simulated node: the interfaces it offers
// and their counts, the node calls and their log, the node file it rewrites,
// and the in-place site.
#include "framework/Handles.h"
#include "host/node/NodeFile.h"
#include "host/site/NodeSite.h"
#include "tests/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- Interfaces and counts -------------------------------------------------------

struct Offer {
    const char* what;
    bool read, write, separate;
};
const Offer kOffers[] = {
    {"both", true, true, false},      {"read only", true, false, false}, {"write only", false, true, false},
    {"none", false, false, false},    {"both, separate", true, true, true},
    {"read only, separate", true, false, true},
};

SiteOptions OptionsFor(const Offer& o)
{
    SiteOptions s;
    s.offerRead = o.read;
    s.offerWrite = o.write;
    s.separateObjects = o.separate;
    return s;
}

afx::com_ptr<IUnknown> Query(IUnknown* from, REFIID iid, HRESULT* hr = nullptr)
{
    IUnknown* p = reinterpret_cast<IUnknown*>(0x1);
    HRESULT r = from->QueryInterface(iid, reinterpret_cast<void**>(&p));
    if (hr)
        *hr = r;
    if (FAILED(r)) {
        EXPECT_EQ(p, nullptr) << "a refused interface clears the out pointer";
    }
    return afx::com_ptr<IUnknown>::attach(SUCCEEDED(r) ? p : nullptr);
}

// One of the site's interfaces, as the control asks for it.
template <typename I>
afx::com_ptr<I> Get(const CNodeSite& site, REFIID iid)
{
    return afx::com_ptr<IOleClientSite>(site.ClientSite()).query<I>(iid);
}

TEST(NodeSite, AnswersTheInterfacesItOffers)
{
    for (const Offer& o : kOffers) {
        NodeModel node = NodeModel::Default();
        CNodeSite site(node, OptionsFor(o), nullptr);
        IOleClientSite* cs = site.ClientSite();
        afx::com_ptr<IUnknown> identity = Query(cs, IID_IUnknown);
        for (const IID* iid : {&IID_IOleClientSite, &IID_IOleWindow, &IID_IOleInPlaceSite})
            EXPECT_TRUE(Query(cs, *iid)) << o.what;
        for (const IID* iid : {&IID_IOleContainer, &IID_IDispatch, &IID_IOleInPlaceFrame})
            EXPECT_FALSE(Query(cs, *iid)) << o.what;

        afx::com_ptr<IUnknown> read = Query(cs, IID_IReadNode);
        afx::com_ptr<IUnknown> write = Query(cs, IID_IWriteNode);
        EXPECT_EQ(bool(read), o.read) << o.what;
        EXPECT_EQ(bool(write), o.write) << o.what;
        if (read) {
            // Shared: the site itself. Separate: an object of its own that
            // answers its interface and IUnknown, and nothing of the site.
            EXPECT_EQ(Query(read.get(), IID_IUnknown).get() == identity.get(), !o.separate) << o.what;
            EXPECT_EQ(Query(read.get(), IID_IReadNode).get(), read.get()) << o.what;
            EXPECT_EQ(bool(Query(read.get(), IID_IOleClientSite)), !o.separate) << o.what;
            EXPECT_EQ(bool(Query(read.get(), IID_IWriteNode)), !o.separate && o.write) << o.what;
        }
        if (read && write) {
            EXPECT_EQ(read.get() == write.get() || Query(write.get(), IID_IUnknown).get() == identity.get(),
                      !o.separate) << o.what;
        }
    }
    NodeModel node;
    CNodeSite site(node, {}, nullptr);
    EXPECT_EQ(site.ClientSite()->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(NodeSite, SharedObjectHasOneCount)
{
    NodeModel node;
    CNodeSite site(node, {}, nullptr);
    EXPECT_EQ(site.SiteRefs(), 0);
    afx::com_ptr<IUnknown> read = Query(site.ClientSite(), IID_IReadNode);
    afx::com_ptr<IUnknown> write = Query(site.ClientSite(), IID_IWriteNode);
    for (long refs : {site.SiteRefs(), site.ReadRefs(), site.WriteRefs()})
        EXPECT_EQ(refs, 2);
    read.reset();
    write.reset();
    EXPECT_EQ(site.SiteRefs(), 0);
    // A client that releases once too often shows as -1, not as a crash.
    site.ClientSite()->Release();
    EXPECT_EQ(site.SiteRefs(), -1);
    EXPECT_EQ(site.ClientSite()->AddRef(), 1u);
}

TEST(NodeSite, SeparateObjectsCountSeparately)
{
    SiteOptions options;
    options.separateObjects = true;
    NodeModel node;
    CNodeSite site(node, options, nullptr);
    afx::com_ptr<IUnknown> read = Query(site.ClientSite(), IID_IReadNode);
    afx::com_ptr<IUnknown> again = Query(read.get(), IID_IUnknown);
    afx::com_ptr<IUnknown> write = Query(site.ClientSite(), IID_IWriteNode);
    EXPECT_EQ(site.SiteRefs(), 0) << "handing out a node object adds nothing to the site";
    EXPECT_EQ(site.ReadRefs(), 2);
    EXPECT_EQ(site.WriteRefs(), 1);
    again.reset();
    write.reset();
    EXPECT_EQ(site.ReadRefs(), 1);
    EXPECT_EQ(site.WriteRefs(), 0);
}

// ---- Node calls ------------------------------------------------------------------

enum class Call { kRead, kWrite, kName };

struct CallCase {
    const char* what;
    Call call;
    long point;
    long size;
    bool nullBuffer;
    long status;
    int bytesLogged;  // for a write: the bytes sent and logged
};

const CallCase kCalls[] = {
    {"read whole point", Call::kRead, 58, 32, false, NodeModel::kOk, 32},
    {"read short", Call::kRead, 58, 5, false, NodeModel::kOk, 5},
    {"read capacity beyond 32", Call::kRead, 58, 40, false, NodeModel::kOk, 32},
    {"read unknown point", Call::kRead, 9999, 32, false, NodeModel::kUnknownPoint, 0},
    {"read failing point", Call::kRead, 15, 32, false, NodeModel::kSimulatedFailure, 0},
    {"read null buffer", Call::kRead, 58, 32, true, NodeModel::kBadArgument, 0},
    {"read zero capacity", Call::kRead, 58, 0, false, NodeModel::kBadArgument, 0},
    {"read negative capacity", Call::kRead, 58, -1, false, NodeModel::kBadArgument, 0},
    {"write 31 bytes", Call::kWrite, 58, 31, false, NodeModel::kOk, 31},
    {"write unknown point", Call::kWrite, 9999, 32, false, NodeModel::kUnknownPoint, 32},
    {"write failing point", Call::kWrite, 15, 32, false, NodeModel::kSimulatedFailure, 32},
    {"write 33 bytes", Call::kWrite, 58, 33, false, NodeModel::kBadArgument, 0},
    {"write nothing", Call::kWrite, 58, 0, false, NodeModel::kBadArgument, 0},
    {"write null buffer", Call::kWrite, 58, 32, true, NodeModel::kBadArgument, 0},
    {"name", Call::kName, 0, 50, false, NodeModel::kOk, 14},
    {"name exactly filling", Call::kName, 0, 13, false, NodeModel::kOk, 13},
    {"name too long", Call::kName, 0, 12, false, NodeModel::kNameTooLong, 0},
    {"name null buffer", Call::kName, 0, 50, true, NodeModel::kBadArgument, 0},
};

struct Sample {
    unsigned char bytes[64];
    Sample()
    {
        for (int i = 0; i < 64; ++i)
            bytes[i] = static_cast<unsigned char>(0xA0 + i);
    }
};

long Invoke(CNodeSite& site, const CallCase& c, unsigned char* buffer)
{
    auto read = Get<IReadNode>(site, IID_IReadNode);
    auto write = Get<IWriteNode>(site, IID_IWriteNode);
    switch (c.call) {
    case Call::kRead: return read->ReadPoint(c.point, buffer, c.size);
    case Call::kWrite: return write->WritePoint(c.point, buffer, c.size);
    case Call::kName: return read->GetNodeName(buffer, c.size);
    }
    return -1;
}

TEST(NodeSite, CallsReachTheNodeAndAreLogged)
{
    for (bool separate : {false, true}) {
        for (const CallCase& c : kCalls) {
            SCOPED_TRACE(std::string(c.what) + (separate ? ", separate objects" : ""));
            NodeModel node = NodeModel::Default();
            node.failRead = node.failWrite = {15};
            const NodeModel before = node;
            SiteOptions options;
            options.separateObjects = separate;
            CNodeSite site(node, options, nullptr);
            std::vector<NodeCall> heard;
            site.onCall = [&](const NodeCall& call) {
                EXPECT_EQ(site.Calls().size(), 1u) << "logged before it is announced";
                heard.push_back(call);
            };
            Sample sent;
            unsigned char buffer[64];
            std::copy(sent.bytes, sent.bytes + 64, buffer);
            EXPECT_EQ(Invoke(site, c, c.nullBuffer ? nullptr : buffer), c.status);

            ASSERT_EQ(site.Calls().size(), 1u);
            ASSERT_EQ(heard.size(), 1u);
            const NodeCall& logged = site.Calls()[0];
            EXPECT_EQ(int(logged.kind), int(c.call));
            EXPECT_EQ(logged.point, c.call == Call::kName ? 0 : c.point);
            EXPECT_EQ(logged.size, c.size);
            EXPECT_EQ(logged.status, c.status);
            EXPECT_EQ(heard[0].bytes, logged.bytes);
            ASSERT_EQ(logged.bytes.size(), size_t(c.bytesLogged));
            // What was logged is what crossed the call, and nothing beyond it was touched.
            EXPECT_TRUE(std::equal(logged.bytes.begin(), logged.bytes.end(), buffer));
            EXPECT_TRUE(std::equal(buffer + c.bytesLogged, buffer + 64, sent.bytes + c.bytesLogged));

            const bool wrote = c.call == Call::kWrite && c.status == NodeModel::kOk;
            EXPECT_EQ(node != before, wrote);
            if (c.call == Call::kRead && c.status == NodeModel::kOk) {
                const NodeModel::Point& held = *node.Find(c.point);
                EXPECT_TRUE(std::equal(logged.bytes.begin(), logged.bytes.end(), held.begin()));
            }
            if (wrote) {
                EXPECT_TRUE(std::equal(sent.bytes, sent.bytes + c.size, node.Find(c.point)->begin()));
            }
            site.ClearCalls();
            EXPECT_TRUE(site.Calls().empty());
        }
    }
}

TEST(NodeSite, FailingNameGivesNonZeroStatus)
{
    NodeModel node = NodeModel::Default();
    node.failName = true;
    CNodeSite site(node, {}, nullptr);
    unsigned char buffer[50];
    auto read = Get<IReadNode>(site, IID_IReadNode);
    EXPECT_EQ(read->GetNodeName(buffer, 50), NodeModel::kSimulatedFailure);
    ASSERT_EQ(site.Calls().size(), 1u);
    EXPECT_TRUE(site.Calls()[0].bytes.empty());
}

TEST(NodeSite, EveryCallWaitsTheDelay)
{
    struct Case { unsigned delayMs; long atLeastMs, belowMs; } cases[] = {{0, 0, 150}, {300, 280, 1500}};
    for (const Case& c : cases) {
        NodeModel node = NodeModel::Default();
        SiteOptions options;
        options.delayMs = c.delayMs;
        CNodeSite site(node, options, nullptr);
        auto read = Get<IReadNode>(site, IID_IReadNode);
        auto write = Get<IWriteNode>(site, IID_IWriteNode);
        unsigned char buffer[32] = {};
        using clock = std::chrono::steady_clock;
        for (int call = 0; call < 3; ++call) {
            const auto start = clock::now();
            if (call == 0)
                read->ReadPoint(58, buffer, 32);
            else if (call == 1)
                write->WritePoint(58, buffer, 32);
            else
                read->GetNodeName(buffer, 32);
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - start);
            const long ms = long(elapsed.count());
            EXPECT_GE(ms, c.atLeastMs) << "delay " << c.delayMs << ", call " << call;
            EXPECT_LT(ms, c.belowMs) << "delay " << c.delayMs << ", call " << call;
        }
    }
}

// The host's menu changes the delay while it runs: a call already waiting
// keeps the wait it began with, the next call waits the new one.
TEST(NodeSite, ChangedDelayHoldsFromTheNextCall)
{
    struct Case {
        const char* what;
        unsigned startMs;
        bool pump;
        unsigned setMs;
        bool setWhileWaiting;  // else between the two calls
        long firstAtLeastMs, firstBelowMs, secondAtLeastMs, secondBelowMs;
    } const cases[] = {
        {"raised between calls", 0, false, 300, false, 0, 150, 280, 1500},
        {"lowered between calls", 300, false, 0, false, 280, 1500, 0, 150},
        {"lowered while a call sleeps", 300, false, 0, true, 280, 1500, 0, 150},
        {"lowered while a call pumps", 300, true, 0, true, 280, 1500, 0, 150},
        {"raised while a call pumps", 0, true, 300, true, 0, 150, 280, 1500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        SiteOptions options;
        options.delayMs = c.startMs;
        options.pump = c.pump;
        CNodeSite site(node, options, nullptr);
        if (c.setWhileWaiting)
            site.onWait = [&](NodeCall::Kind, long) { site.SetDelay(c.setMs); };
        auto read = Get<IReadNode>(site, IID_IReadNode);
        unsigned char buffer[32] = {};
        using clock = std::chrono::steady_clock;
        const auto timed = [&] {
            const auto start = clock::now();
            read->ReadPoint(58, buffer, 32);
            return long(std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - start).count());
        };
        const long first = timed();
        site.onWait = nullptr;
        if (!c.setWhileWaiting)
            site.SetDelay(c.setMs);
        const long second = timed();
        EXPECT_GE(first, c.firstAtLeastMs);
        EXPECT_LT(first, c.firstBelowMs);
        EXPECT_GE(second, c.secondAtLeastMs);
        EXPECT_LT(second, c.secondBelowMs);
        EXPECT_EQ(site.Delay(), c.setMs);
    }
}

// ---- The node file --------------------------------------------------------------

TEST(NodeSite, AcceptedWritesRewriteTheNodeFile)
{
    struct Case { const char* what; long point, length, status; bool rewritten; } cases[] = {
        {"accepted", 58, 4, NodeModel::kOk, true},
        {"failing point", 15, 4, NodeModel::kSimulatedFailure, false},
        {"unknown point", 9999, 4, NodeModel::kUnknownPoint, false},
        {"too long", 58, 40, NodeModel::kBadArgument, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir / "node.txt";
        NodeModel node = NodeModel::Default();
        node.failWrite = {15};
        // A note of the operator's that only a rewrite loses.
        const std::string before = FormatNodeFile(node) + "# operator's note\n";
        WriteAll(file, before);
        std::string error;
        SiteOptions options;
        options.nodeFile = file.string();
        CNodeSite site(node, options, nullptr);
        bool fileWrittenBeforeAnnounced = false;
        site.onCall = [&](const NodeCall&) { fileWrittenBeforeAnnounced = ReadAll(file) != before; };
        int saveErrors = 0;
        site.onSaveError = [&](const std::string&) { ++saveErrors; };
        const unsigned char bytes[40] = {0x12, 0x34, 0x56, 0x78};
        auto write = Get<IWriteNode>(site, IID_IWriteNode);
        EXPECT_EQ(write->WritePoint(c.point, bytes, c.length), c.status);
        EXPECT_EQ(saveErrors, 0);
        EXPECT_EQ(fileWrittenBeforeAnnounced, c.rewritten);
        NodeModel reread;
        ASSERT_TRUE(LoadNodeFile(file.string(), reread, error)) << error;
        EXPECT_EQ(reread.Points(), node.Points()) << "the file holds what the node holds";
        EXPECT_EQ(ReadAll(file) != before, c.rewritten);
    }
}

TEST(NodeSite, UnsavableNodeFileIsReportedAndTheWriteStands)
{
    TempDir dir;
    NodeModel node = NodeModel::Default();
    SiteOptions options;
    options.nodeFile = (dir / "no such folder" / "node.txt").string();
    CNodeSite site(node, options, nullptr);
    std::vector<std::string> errors;
    site.onSaveError = [&](const std::string& e) { errors.push_back(e); };
    const unsigned char bytes[2] = {0xAB, 0xCD};
    auto write = Get<IWriteNode>(site, IID_IWriteNode);
    EXPECT_EQ(write->WritePoint(58, bytes, 2), NodeModel::kOk);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("node.txt"), std::string::npos) << errors[0];
    EXPECT_EQ((*node.Find(58))[0], 0xAB);
    ASSERT_EQ(site.Calls().size(), 1u) << "the write itself is logged once";
}

// ---- In-place site ---------------------------------------------------------------

TEST(NodeSite, InPlaceSiteGivesContainerAndPosition)
{
    afx::unique_hwnd window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                            nullptr, nullptr));
    ASSERT_TRUE(window);
    struct Case { HWND container; HRESULT canActivate, getWindow; } cases[] = {
        {window.get(), S_OK, S_OK}, {nullptr, S_FALSE, E_FAIL}};
    for (const Case& c : cases) {
        NodeModel node;
        CNodeSite site(node, {}, c.container, RECT{5, 6, 36, 37});
        auto ips = Get<IOleInPlaceSite>(site, IID_IOleInPlaceSite);
        ASSERT_TRUE(ips);
        EXPECT_EQ(ips->CanInPlaceActivate(), c.canActivate);
        HWND w = reinterpret_cast<HWND>(1);
        EXPECT_EQ(ips->GetWindow(&w), c.getWindow);
        EXPECT_EQ(w, c.container);
        IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(1);
        IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
        RECT pos = {}, clip = {};
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof info;
        EXPECT_EQ(ips->GetWindowContext(&frame, &doc, &pos, &clip, &info), S_OK);
        EXPECT_EQ(frame, nullptr);
        EXPECT_EQ(doc, nullptr);
        EXPECT_EQ(pos.left, 5);
        EXPECT_EQ(pos.bottom, 37);
        EXPECT_EQ(ips->GetWindowContext(&frame, &doc, nullptr, &clip, &info), E_POINTER);
        const RECT moved = {1, 2, 32, 33};
        EXPECT_EQ(ips->OnPosRectChange(&moved), S_OK);
        ips->GetWindowContext(&frame, &doc, &pos, &clip, &info);
        EXPECT_EQ(pos.top, 2);
        EXPECT_EQ(site.SiteRefs(), 1);
    }
}

}  // namespace
