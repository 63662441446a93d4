// The host's client site over the simulated node, its command line, its log,
// its window's menu, and the host program itself on the module beside it,
// with snapshots and operator scripts.
#include "framework/Handles.h"
#include "host/app/ControlHost.h"
#include "host/app/HostLog.h"
#include "host/app/HostOptions.h"
#include "host/app/HostWindow.h"
#include "host/app/Snapshot.h"
#include "host/app/WindowPicture.h"
#include "host/node/NodeFile.h"
#include "host/site/NodeSite.h"
#include "tests/win/TestSupport.h"

#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <sstream>

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

TEST(NodeSite, FormatsOneLinePerCall)
{
    struct Case { NodeCall call; const char* line; } cases[] = {
        {{NodeCall::kRead, 58, 32, 0, {0x03, 0x07, 0xD0}}, "ReadPoint 58 capacity 32 -> 0: 03 07 D0"},
        {{NodeCall::kRead, 9999, 32, 1, {}}, "ReadPoint 9999 capacity 32 -> 1"},
        {{NodeCall::kWrite, 58, 2, 0, {0xFF, 0x0A}}, "WritePoint 58 length 2 -> 0: FF 0A"},
        {{NodeCall::kWrite, 58, 33, 3, {}}, "WritePoint 58 length 33 -> 3"},
        {{NodeCall::kName, 0, 50, 0, {0x56, 0x4E, 0x58, 0x00}}, "GetNodeName capacity 50 -> 0: 56 4E 58 00"},
        {{NodeCall::kName, 0, -1, 3, {}}, "GetNodeName capacity -1 -> 3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNodeCall(c.call), c.line);
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

// ---- The control in the host ------------------------------------------------------

using ControlHostTest = OleTest;

TEST_F(ControlHostTest, RefusesWhatIsNoControlModule)
{
    struct Case { std::string path; const char* says; } cases[] = {
        {Narrow(ModulePath()) + ".missing", "cannot load"},
        {"kernel32.dll", "no DllGetClassObject"},
        {"ole32.dll", "no type library"},
    };
    for (const Case& c : cases) {
        CControlHost host;
        std::string error;
        EXPECT_FALSE(host.Create(c.path, error)) << c.path;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

TEST_F(ControlHostTest, ActivatesInPlaceAndLetsGoOfTheSiteOnClose)
{
    afx::unique_hwnd window(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                            nullptr, nullptr, nullptr));
    NodeModel node = NodeModel::Default();
    const RECT pos = {10, 12, 41, 43};
    CNodeSite site(node, {}, window.get(), pos);
    CControlHost host;
    std::string error;
    ASSERT_TRUE(host.Create(Narrow(ModulePath()), error)) << error;
    ASSERT_TRUE(host.Activate(site.ClientSite(), window.get(), pos, error)) << error;
    EXPECT_GT(site.SiteRefs(), 0);
    HWND control = GetWindow(window.get(), GW_CHILD);
    ASSERT_NE(control, nullptr) << "the control's window is in the container";
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window.get(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(EqualRect(&r, &pos));

    // AboutBox runs its dialog's modal loop; close the dialog from inside it.
    AboutSeen about;
    CSheetDriver driver({CloseAbout(about)});
    EXPECT_EQ(host.About(), S_OK);
    EXPECT_TRUE(about.closed);

    host.Close();
    EXPECT_EQ(site.SiteRefs(), 0) << "every reference to the site is given back";
    EXPECT_EQ(GetWindow(window.get(), GW_CHILD), nullptr);
    host.Close();  // twice is harmless
}

// ---- The sheet driver ------------------------------------------------------------

// A message box no step expects is closed at once and fails the run, also
// while a step waits in the box's own modal loop; an expected box held open
// by a step fails the run only when the step times out; a box an answer
// takes is closed and the run goes on.
TEST(SheetDriver, ClosesMessageBoxesNoStepExpects)
{
    struct Case {
        const char* what;
        const char* expected;  // caption the run expects, or null
        bool answered;         // an answer takes boxes of caption "Other"
        const char* failure;
    } const cases[] = {
        {"unexpected box", nullptr, false, "unexpected message box \"Other\": Surprise"},
        {"expected box left to a step that never closes it", "Other", false, "step 1 timed out in a modal loop"},
        {"a box the answer takes", nullptr, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int answer = 0;
        CSheetDriver driver({[&answer] {
                                 answer = MessageBoxA(nullptr, "Surprise", "Other", MB_OK);
                                 return true;
                             },
                             [] { return true; }},
                            20, 500);
        if (c.expected)
            driver.ExpectBox(c.expected);
        std::string answered;
        if (c.answered)
            driver.AnswerBoxes([&answered](const std::string& caption, const std::string& text) {
                answered += caption + ": " + text;
                return caption == "Other";
            });
        const auto start = std::chrono::steady_clock::now();
        MSG msg;
        while (!driver.Done() && !driver.Failed() && GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        EXPECT_EQ(driver.Failure(), c.failure);
        EXPECT_EQ(answered, c.answered ? "Other: Surprise" : "");
        EXPECT_EQ(answer, IDOK) << "the box was closed";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(CSheetDriver::FindMessageBox(nullptr), nullptr);
    }
}

// ---- Command line and file names -------------------------------------------------

TEST(HostOptions, ParsesTheCommandLine)
{
    HostOptions o;
    std::string error;
    ASSERT_TRUE(ParseHostOptions({"--module", "m.ocx", "--node", "n.txt", "--offer", "read", "--separate",
                                  "--delay", "250", "--fail-read", "58,15", "--fail-write", "7",
                                  "--fail-read", "3", "--fail-name", "--still", "--snapshot", "out"},
                                 o, error))
        << error;
    EXPECT_EQ(o.module, "m.ocx");
    EXPECT_EQ(o.nodeFile, "n.txt");
    EXPECT_EQ(o.site.nodeFile, "n.txt");
    EXPECT_TRUE(o.site.offerRead);
    EXPECT_FALSE(o.site.offerWrite);
    EXPECT_TRUE(o.site.separateObjects);
    EXPECT_EQ(o.site.delayMs, 250u);
    EXPECT_EQ(o.failRead, (std::set<long>{3, 15, 58}));
    EXPECT_EQ(o.failWrite, (std::set<long>{7}));
    EXPECT_TRUE(o.failName);
    EXPECT_TRUE(o.still);
    EXPECT_EQ(o.snapshotDir, "out");

    HostOptions scripted;
    ASSERT_TRUE(ParseHostOptions({"--script", "s.txt", "--log", "l.txt"}, scripted, error)) << error;
    EXPECT_EQ(scripted.scriptFile, "s.txt");
    EXPECT_EQ(scripted.logFile, "l.txt");

    HostOptions defaults;
    ASSERT_TRUE(ParseHostOptions({}, defaults, error));
    EXPECT_TRUE(defaults.module.empty());
    EXPECT_TRUE(defaults.site.offerRead && defaults.site.offerWrite);
    EXPECT_TRUE(defaults.snapshotDir.empty());
    EXPECT_FALSE(defaults.still) << "the node lives unless told otherwise";
}

TEST(HostOptions, RefusesBadOptionsNamingThem)
{
    struct Case { std::vector<std::string> args; const char* named; } cases[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"--module"}, "--module"},
        {{"--offer", "some"}, "--offer"},
        {{"--delay", "-5"}, "--delay"},
        {{"--delay", "60001"}, "--delay"},
        {{"--delay", "99999999999999999999"}, "--delay"},
        {{"--fail-read", "58,"}, "--fail-read"},
        {{"--fail-read", "65536"}, "--fail-read"},
        {{"--fail-write", "x"}, "--fail-write"},
        {{"--snapshot", ""}, "--snapshot"},
        {{"--node"}, "--node"},
        {{"--still", "--stil"}, "\"--stil\""},
        {{"--script"}, "--script"},
        {{"--log", ""}, "--log"},
        {{"--snapshot", "p", "--script", "s.txt"}, "--snapshot and --script"},
    };
    for (const Case& c : cases) {
        HostOptions o;
        o.module = "kept";
        std::string error;
        EXPECT_FALSE(ParseHostOptions(c.args, o, error)) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(o.module, "kept") << "nothing is taken from a refused command line";
    }
}

// The menu's questions show the failing points as --fail-read takes them.
TEST(HostOptions, PointListsReadBackAsWritten)
{
    struct Case { std::set<long> points; const char* text; } const cases[] = {
        {{15}, "15"}, {{58, 0, 65535}, "0,58,65535"}, {{}, ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPointList(c.points), c.text);
        std::set<long> read;
        EXPECT_EQ(ParsePointList(c.text, read), !c.points.empty()) << c.text;
        EXPECT_EQ(read, c.points) << c.text;
    }
}

// ---- The host's log ----------------------------------------------------------------

TEST(HostLog, StampsLinesWithTheLocalTime)
{
    struct Case { SYSTEMTIME time; const char* line; } const cases[] = {
        {{2024, 5, 2, 14, 20, 3, 47, 123}, "2024-05-14 20:03:47.123 ReadPoint 58 capacity 32 -> 0: 03"},
        {{2025, 1, 3, 2, 3, 4, 5, 6}, "2025-01-02 03:04:05.006 ReadPoint 58 capacity 32 -> 0: 03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StampLine(c.time, "ReadPoint 58 capacity 32 -> 0: 03"), c.line);
}

// Each line reaches the file as it is added; a file from an earlier run
// keeps what it held.
TEST(HostLog, AppendsToItsFileAsItGoesAndSavesEverything)
{
    TempDir dir;
    const fs::path live = dir / "live.txt", saved = dir / "saved.txt";
    WriteAll(live, "earlier run\n");
    WriteAll(saved, "to be replaced\nand more\n");
    CHostLog log;
    const std::string first = log.Add("before the file");
    std::string error;
    ASSERT_TRUE(log.Open(live.string(), error)) << error;
    const std::string second = log.Add("WritePoint 15 length 2 -> 0: 08 66");
    EXPECT_TRUE(std::regex_match(second, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} WritePoint 15 length 2 -> 0: 08 66)")))
        << second;
    EXPECT_EQ(ReadAll(live), "earlier run\n" + second + "\n") << "written before the log goes";
    ASSERT_TRUE(log.SaveAs(saved.string(), error)) << error;
    EXPECT_EQ(ReadAll(saved), first + "\n" + second + "\n");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{first, second}));
    EXPECT_TRUE(log.TakeFileError().empty());

    const std::string missing = (dir / "no such folder" / "log.txt").string();
    for (bool open : {true, false}) {
        error.clear();
        EXPECT_FALSE(open ? log.Open(missing, error) : log.SaveAs(missing, error));
        EXPECT_EQ(error.rfind(missing, 0), 0u) << error;
    }
}

// ---- The host window's menu ---------------------------------------------------------

// What the operator does with a question or message box of the menu's.
struct Reply {
    enum { kAnswer, kCancel, kCloseBox } what;
    std::string text;  // kAnswer: typed over what the question showed
};

const Reply kBox = {Reply::kCloseBox, ""};
const Reply kCancel = {Reply::kCancel, ""};
Reply Answer(const char* text) { return {Reply::kAnswer, text}; }

// What a menu command showed and left behind.
struct Seen {
    std::size_t replied = 0;
    std::vector<std::string> shown;     // each question's text as it opened
    std::vector<std::string> boxes;     // each message box's text
    std::vector<std::string> leftOver;  // what no reply was for
    unsigned delay = 0;
    bool nameChecked = false;
};

// The menu's question on the screen, if any.
HWND OpenQuestion()
{
    for (const char* title : {CHostWindow::kFailReadsTitle, CHostWindow::kFailWritesTitle, CHostWindow::kDelayTitle}) {
        HWND question = ThreadWindow(title);
        if (question && IsWindowVisible(question))
            return question;
    }
    return nullptr;
}

class HostWindowMenu : public OleTest {
protected:
    // The control beside the tests, a node kept still, 100 ms per call.
    static HostOptions Options(const std::string& nodeFile = "")
    {
        HostOptions o;
        o.module = Narrow(ModulePath());
        o.still = true;
        o.nodeFile = o.site.nodeFile = nodeFile;
        o.site.delayMs = 100;
        return o;
    }

    // Chooses menu `command` `times` times on a host window over `node`,
    // answering with `replies` in order, from inside the modal loops.
    static Seen Choose(NodeModel& node, const HostOptions& options, int command, const std::vector<Reply>& replies,
                       int times = 1)
    {
        Seen seen;
        {
            CHostWindow window(options, node);
            std::string error;
            EXPECT_TRUE(window.Create(error)) << error;
            if (!window.Site())
                return seen;
            std::vector<CSheetDriver::Step> steps;
            for (const Reply& r : replies)
                steps.push_back(StepFor(r, seen));
            steps.push_back(SweepFor(seen));
            CSheetDriver driver(steps, 20, 5000);
            driver.ExpectBox(CHostWindow::kCaption);
            for (int i = 0; i < times; ++i)
                SendMessageA(window.Window(), WM_COMMAND, command, 0);
            EXPECT_FALSE(driver.Failed()) << driver.Failure();
            EXPECT_EQ(seen.replied, replies.size()) << "every reply was used";
            EXPECT_EQ(seen.leftOver, std::vector<std::string>()) << "nothing else was asked";
            seen.delay = window.Site()->Delay();
            seen.nameChecked = GetMenuState(GetMenu(window.Window()), CHostWindow::kFailName, MF_BYCOMMAND) & MF_CHECKED;
        }
        // The window quits the message loop as it goes; the tests' loops go on.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return seen;
    }

private:
    static CSheetDriver::Step StepFor(const Reply& r, Seen& seen)
    {
        if (r.what == Reply::kCloseBox) {
            return [&seen] {
                HWND box = CSheetDriver::FindMessageBox(CHostWindow::kCaption);
                if (!box)
                    return false;
                ++seen.replied;
                seen.boxes.push_back(CSheetDriver::Text(box, 0xFFFF));
                CSheetDriver::Click(box, IDOK);
                return true;
            };
        }
        return [r, &seen] {
            HWND question = OpenQuestion();
            HWND edit = question ? FindWindowExA(question, nullptr, "Edit", nullptr) : nullptr;
            if (!edit)
                return false;
            ++seen.replied;
            seen.shown.push_back(Narrow(TextOf(edit)));
            SetWindowTextA(edit, r.text.c_str());
            PostMessageA(question, WM_COMMAND, r.what == Reply::kAnswer ? IDOK : IDCANCEL, 0);
            return true;
        };
    }

    // After the replies: closes whatever else the command asks, so that it
    // returns and the test fails instead of waiting for ever. Never done; it
    // runs only while the command is still in a modal loop.
    static CSheetDriver::Step SweepFor(Seen& seen)
    {
        return [&seen] {
            if (HWND box = CSheetDriver::FindMessageBox(CHostWindow::kCaption)) {
                seen.leftOver.push_back("message box: " + CSheetDriver::Text(box, 0xFFFF));
                CSheetDriver::Click(box, IDOK);
            } else if (HWND question = OpenQuestion()) {
                seen.leftOver.push_back("question: " + Narrow(TextOf(question)));
                PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
            }
            return false;
        };
    }
};

// Each run starts from reads of point 7 failing, no write failing and a
// delay of 100 ms.
TEST_F(HostWindowMenu, ChangesFailuresAndDelayWhileTheHostRuns)
{
    struct Case {
        const char* what;
        int command;
        std::vector<Reply> replies;
        std::vector<std::string> shown;
        std::set<long> failRead, failWrite;
        unsigned delay;
        std::vector<const char*> boxSays;
    } const cases[] = {
        {"reads of two points fail", CHostWindow::kFailReads, {Answer(" 15, 58 ")}, {"7"}, {15, 58}, {}, 100, {}},
        {"no read fails any more", CHostWindow::kFailReads, {Answer("")}, {"7"}, {}, {}, 100, {}},
        {"a bad list is refused, then the question cancelled", CHostWindow::kFailWrites,
         {Answer("15;58"), kBox, kCancel}, {"", "15;58"}, {7}, {}, 100, {"\"15;58\" is no list"}},
        {"a point out of range is refused, then one taken", CHostWindow::kFailWrites,
         {Answer("65536"), kBox, Answer("16")}, {"", "65536"}, {7}, {16}, 100, {"\"65536\" is no list"}},
        {"delay changed", CHostWindow::kDelay, {Answer("250")}, {"100"}, {7}, {}, 250, {}},
        {"delay out of range refused, then none", CHostWindow::kDelay, {Answer("60001"), kBox, Answer("0")},
         {"100", "60001"}, {7}, {}, 0, {"\"60001\" is no number"}},
        {"delay question cancelled", CHostWindow::kDelay, {kCancel}, {"100"}, {7}, {}, 100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        node.failRead = {7};
        const Seen seen = Choose(node, Options(), c.command, c.replies);
        EXPECT_EQ(seen.shown, c.shown);
        EXPECT_EQ(node.failRead, c.failRead);
        EXPECT_EQ(node.failWrite, c.failWrite);
        EXPECT_EQ(seen.delay, c.delay);
        ASSERT_EQ(seen.boxes.size(), c.boxSays.size());
        for (size_t i = 0; i < c.boxSays.size(); ++i)
            EXPECT_NE(seen.boxes[i].find(c.boxSays[i]), std::string::npos) << seen.boxes[i];
    }
}

TEST_F(HostWindowMenu, FailTheNameTogglesWithItsCheckMark)
{
    for (int times : {1, 2, 3}) {
        NodeModel node = NodeModel::Default();
        const Seen seen = Choose(node, Options(), CHostWindow::kFailName, {}, times);
        EXPECT_EQ(node.failName, times % 2 == 1) << times;
        EXPECT_EQ(seen.nameChecked, node.failName) << times;
    }
}

// A refused file leaves the node as it was; failure settings stay either way.
TEST_F(HostWindowMenu, ReloadsTheNodeFileOrKeepsTheNode)
{
    NodeModel changed = NodeModel::Default();
    changed.SetName("Reloaded");
    changed.SetPoint(15, NodeModel::Point{0x08, 0x66});
    const std::string good = FormatNodeFile(changed);
    const std::string next = "line " + std::to_string(std::count(good.begin(), good.end(), '\n') + 1) + ": ";
    std::string zeros;
    for (int i = 0; i < 32; ++i)
        zeros += " 00";
    struct Case {
        const char* what;
        std::string text;     // empty: no file
        std::string boxSays;  // empty: no box
        bool reloaded;
    } const cases[] = {
        {"a good file", good, "", true},
        {"a short point", good + "58 01 02\n", next + "point 58: expected 32 bytes, found 2", false},
        {"a point twice", good + "15" + zeros + "\n", next + "point 15 appears twice", false},
        {"no file", "", "node.txt: cannot open", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir / "node.txt";
        if (!c.text.empty())
            WriteAll(file, c.text);
        NodeModel node = NodeModel::Default();
        node.failRead = {58};
        const Seen seen = Choose(node, Options(file.string()), CHostWindow::kReloadNode,
                                 c.boxSays.empty() ? std::vector<Reply>{} : std::vector<Reply>{kBox});
        const NodeModel& expected = c.reloaded ? changed : NodeModel::Default();
        EXPECT_EQ(node.Name(), expected.Name());
        EXPECT_EQ(node.Points(), expected.Points());
        EXPECT_EQ(node.failRead, std::set<long>{58});
        ASSERT_EQ(seen.boxes.size(), c.boxSays.empty() ? 0u : 1u);
        if (!c.boxSays.empty()) {
            EXPECT_NE(seen.boxes[0].find(c.boxSays), std::string::npos) << seen.boxes[0];
        }
    }
}

TEST(Snapshot, PageFileNames)
{
    struct Case { int index; const char* caption; const char* name; } cases[] = {
        {0, "Node Information", "page01-node-information.png"},
        {9, "Common settings", "page10-common-settings.png"},
        {1, "Zone 1 &Actual", "page02-zone-1-actual.png"},
        {2, "  a/b:c  ", "page03-a-b-c.png"},
        {3, "", "page04.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageFileName(c.index, c.caption), c.name);
}

// ---- Pictures --------------------------------------------------------------------

// A saved picture's pixels, 24 bits each, rows top down.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<BYTE> pixels;

    bool operator==(const Picture& o) const { return width == o.width && height == o.height && pixels == o.pixels; }
    // Its last `rows` rows.
    Picture Bottom(UINT rows) const
    {
        Picture band{width, rows < height ? rows : height, {}};
        band.pixels.assign(pixels.end() - size_t(band.height) * width * 3, pixels.end());
        return band;
    }
};

Picture LoadPicture(const fs::path& file)
{
    Picture p;
    afx::com_ptr<IWICImagingFactory> factory;
    afx::com_ptr<IWICBitmapDecoder> decoder;
    afx::com_ptr<IWICBitmapFrameDecode> frame;
    afx::com_ptr<IWICFormatConverter> converter;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromFilename(file.wstring().c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put());
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, frame.put());
    if (SUCCEEDED(hr))
        hr = factory->CreateFormatConverter(converter.put());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        hr = converter->GetSize(&p.width, &p.height);
    if (SUCCEEDED(hr)) {
        p.pixels.resize(size_t(p.width) * p.height * 3);
        hr = converter->CopyPixels(nullptr, p.width * 3, static_cast<UINT>(p.pixels.size()), p.pixels.data());
    }
    EXPECT_EQ(hr, S_OK) << "cannot read " << file.string();
    return p;
}

// Dispatches this thread's messages until it has waited for more a few
// times: under Wine, what windows painted reaches the display then.
void Settle()
{
    for (int i = 0; i < 5; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

class WindowPicture : public OleTest {};

TEST_F(WindowPicture, ShowsWhatWasPaintedLast)
{
    // A button's new text belongs in a picture taken straight after the
    // change, before the thread waits for messages again.
    afx::unique_hwnd frame(CreateWindowExW(0, L"STATIC", L"Picture", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 40,
                                           240, 120, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(frame);
    HWND button = CreateWindowExW(0, L"BUTTON", L"Exit", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 70, 40, 100, 30,
                                  frame.get(), nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    Settle();
    TempDir dir;
    std::string error;
    const std::string before = (dir / "before.png").string(), changed = (dir / "changed.png").string(),
                      settled = (dir / "settled.png").string();
    ASSERT_TRUE(SaveWindowPicture(frame.get(), before, error)) << error;
    SetWindowTextW(button, L"Quit");
    ASSERT_TRUE(SaveWindowPicture(frame.get(), changed, error)) << error;
    Settle();
    ASSERT_TRUE(SaveWindowPicture(frame.get(), settled, error)) << error;
    const Picture first = LoadPicture(before), second = LoadPicture(changed), third = LoadPicture(settled);
    EXPECT_EQ(second.width, 240u);
    EXPECT_EQ(second.height, 120u);
    EXPECT_FALSE(first == second) << "the new text is in the picture";
    EXPECT_TRUE(second == third) << "nothing changed after it";
}

// ---- The host program ------------------------------------------------------------

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// Runs the host with its output in `output`; its exit code, or -1 when it
// had to be stopped.
DWORD RunHost(const std::wstring& args, const fs::path& output, DWORD timeoutMs = 90000)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    afx::unique_handle_t out(CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out.get();
    PROCESS_INFORMATION pi = {};
    std::wstring line = Quoted(BesideTests(L"vennox-host.exe")) + L" " + args;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return DWORD(-2);
    afx::unique_handle_t process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        return DWORD(-1);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

class HostProgram : public OleTest {};

TEST_F(HostProgram, SnapshotSavesEveryPage)
{
    // Without node access the control says so in a message box, which the
    // snapshot closes before it goes on.
    const wchar_t* const offers[] = {L"both", L"none"};
    for (const wchar_t* offer : offers) {
        SCOPED_TRACE(std::string("offer ") + (offer[0] == L'b' ? "both" : "none"));
        TempDir dir;
        const fs::path pictures = dir / "pictures";
        const fs::path node = dir / "node.txt";
        EXPECT_EQ(RunHost(L"--module " + Quoted(ModulePath()) + L" --offer " + offer + L" --still --node " +
                              Quoted(node.wstring()) + L" --snapshot " + Quoted(pictures.wstring()),
                          dir / "out.txt"),
                  0u)
            << ReadAll(dir / "out.txt");
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(pictures)) {
            names.push_back(e.path().filename().string());
            EXPECT_EQ(ReadAll(e.path()).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << names.back();
        }
        std::sort(names.begin(), names.end());
        ASSERT_EQ(names.size(), 10u);
        EXPECT_EQ(names.front(), "page01-node-information.png");
        EXPECT_EQ(names.back().substr(0, 7), "page10-");
        // The sheet's last 40 rows, below the pages, hold its Exit button: the
        // same on every page, text and all.
        const Picture exit = LoadPicture(pictures / names.front()).Bottom(40);
        EXPECT_EQ(exit.height, 40u);
        for (const std::string& name : names)
            EXPECT_TRUE(LoadPicture(pictures / name).Bottom(40) == exit) << name << ": the sheet's foot differs";
        NodeModel created;
        std::string error;
        EXPECT_TRUE(LoadNodeFile(node.string(), created, error)) << "a missing file is created; " << error;
        EXPECT_EQ(created.Points(), NodeModel::Default().Points());
    }
}

// ---- Scripts ------------------------------------------------------------------------

std::wstring ScriptArgs(const fs::path& script, const std::wstring& more = L"")
{
    return L"--module " + Quoted(ModulePath()) + L" --still --script " + Quoted(script.wstring()) + more;
}

// Every step reported by its line; a failed expectation lets the run go on,
// a step that cannot be done ends it; the exit code says whether all held.
TEST_F(HostProgram, ScriptsReportEachStepAndExitByTheirExpectations)
{
    struct Case {
        const char* what;
        const char* script;
        const wchar_t* args;
        DWORD code;
        std::vector<const char*> says, neverSays;
    } const cases[] = {
        {"every expectation holds, across two openings",
         "expect-point 15 0A F0\n"
         "page \"Zone 1 Settings\"\n"
         "type IDC_SP_HEAT_OCC 21.5\n"
         "write\n"
         "exit\n"
         "expect-point 15 ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? 08 66\n"
         "page \"zone 1 settings\"  # the page reads the node anew\n"
         "expect 262 21.5\n",
         L"", 0,
         {"line 1: expect-point 15 0A F0 ... ok", "line 4: write ... ok", "line 5: exit ... ok",
          "WritePoint 15 length 12 -> 0: 0A F0 0A 28 09 60 06 40 07 08 08 66", "line 7: open (implicit) ... ok",
          "line 8: expect 262 21.5 ... ok", "line 8: exit (implicit, at the end) ... ok",
          "script: every step done, 3 expectation(s) held"},
         {"FAILED"}},
        {"failed expectations are reported and the run goes on",
         "page \"Zone 1 Settings\"\n"
         "expect 262 \"99.9\"\n"
         "expect-point 15 0A FF\n"
         "expect-point 9999 00\n"
         "expect 262 21.0\n",
         L"", 1,
         {"line 2: expect 262 99.9 ... FAILED: the field reads \"21.0\"",
          "line 3: expect-point 15 0A FF ... FAILED: byte 1 is F0, not FF; the point begins 0A F0",
          "line 4: expect-point 9999 00 ... FAILED: the node has no data point 9999",
          "line 5: expect 262 21.0 ... ok", "script: 3 of 4 expectation(s) failed, on line(s) 2, 3, 4"},
         {}},
        {"no such control ends the run", "page \"Zone 1 Settings\"\nclick 999\nexpect 262 21.0\n", L"", 1,
         {"line 2: click 999 ... FAILED: no control 999 on the page \"Zone 1 Settings\"; the script ends here",
          "script: stopped at line 2 (click 999)"},
         {"line 3:"}},
        {"a disabled field is not typed into", "page \"Zone 2 Actual\"\ntype IDC_HEAT_LEVEL_2 40\n", L"", 1,
         {"line 2: type IDC_HEAT_LEVEL_2 40 ... FAILED: control 305 is disabled"}, {}},
        {"a button is not typed into", "page \"Zone 2 Actual\"\ntype 202 x\n", L"", 1,
         {"control 202 is no edit field"}, {}},
        {"an edit field is not clicked", "click IDC_NODENAME\n", L"", 1, {"control 356 is no button"}, {}},
        {"a message box nobody expects ends the run", "read\n", L" --offer none", 1,
         {"line 1: open (implicit) ... FAILED: unexpected message box \"Plugin\": Node not available!"}, {}},
        {"an expected box is closed and the run goes on",
         "page \"Zone 1 Settings\"\n"
         "type IDC_SP_HEAT_OCC 21,5\n"
         "expect-box \"from -555.35 to 100.00\"\n"
         "write\n"
         "expect IDC_SP_HEAT_OCC 21,5\n"
         "expect-box \"Occup timeout\"\n"
         "write\n",
         L"", 1,
         {"line 3: expect-box \"from -555.35 to 100.00\" ... ok", "line 4: write ... ok",
          "line 5: expect IDC_SP_HEAT_OCC 21,5 ... ok",
          "line 6: expect-box \"Occup timeout\" ... FAILED: the box reads \"Plugin: Temperature setpoints Heat Occup: "
          "enter a number from -555.35 to 100.00.\"",
          "script: 1 of 3 expectation(s) failed, on line(s) 6"},
         {"WritePoint", "the script ends here"}},
        {"an expected box that does not show", "page \"Zone 1 Settings\"\nexpect-box x\nread\n", L"", 1,
         {"line 2: expect-box x ... FAILED: no message box showed", "line 3: read ... ok"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteAll(dir / "script.txt", c.script);
        EXPECT_EQ(RunHost(ScriptArgs(dir / "script.txt", c.args), dir / "out.txt"), c.code);
        const std::string said = ReadAll(dir / "out.txt");
        for (const char* s : c.says)
            EXPECT_NE(said.find(s), std::string::npos) << s << "\n" << said;
        for (const char* s : c.neverSays)
            EXPECT_EQ(said.find(s), std::string::npos) << s << "\n" << said;
    }
}

// The log file holds the lines the window shows, appended run after run; a
// wait lets the Zone actual page's timer read the node again.
TEST_F(HostProgram, LogFileHoldsEveryLineStampedAndGrowsRunByRun)
{
    TempDir dir;
    WriteAll(dir / "script.txt", "page \"Zone 1 Actual\"\nwait 2500\npage \"Zone 1 Settings\"\n"
                                 "type 262 21.5\nwrite\n");
    const fs::path log = dir / "log.txt";
    std::vector<std::string> runs;
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(RunHost(ScriptArgs(dir / "script.txt", L" --log " + Quoted(log.wstring())), dir / "out.txt"), 0u)
            << ReadAll(dir / "out.txt");
        runs.push_back(ReadAll(log));
    }
    ASSERT_GT(runs[1].size(), runs[0].size());
    EXPECT_EQ(runs[1].substr(0, runs[0].size()), runs[0]) << "the second run adds to the first";
    const std::string second = runs[1].substr(runs[0].size());
    EXPECT_NE(ReadAll(dir / "out.txt").find(second), std::string::npos) << "standard output has the same lines";

    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} .+)");
    std::istringstream lines(second);
    int roomReads = 0, writes = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
        roomReads += line.find(" ReadPoint 36 capacity 32 -> 0: ") != std::string::npos;
        writes += line.find(" WritePoint 15 length 12 -> 0: 0A F0 0A 28 09 60 06 40 07 08 08 66") != std::string::npos;
    }
    EXPECT_GE(roomReads, 2) << "room temperature read as the page showed and on a tick\n" << second;
    EXPECT_EQ(writes, 1) << second;
    EXPECT_EQ(second.find(" log: appended to "), 23u) << "each run's first line\n" << second;
}

TEST_F(HostProgram, RefusesBadCommandLinesAndNodeFiles)
{
    TempDir dir;
    const fs::path bad = dir / "bad.txt";
    const std::string badText = "name X\n58 01 02\n";
    WriteAll(bad, badText);
    const fs::path script = dir / "script.txt";
    WriteAll(script, "page \"Zone 1 Settings\"\nfrobnicate 3\n");
    const std::wstring log = L" --log " + Quoted((dir / "log.txt").wstring());
    struct Case { std::wstring args; DWORD code; const char* says; } cases[] = {
        {L"--offer some", 2, "--offer"},
        {L"--delay", 2, "--delay"},
        {L"--node " + Quoted(bad.wstring()) + L" --snapshot " + Quoted((dir / "p").wstring()), 1, "line 2"},
        {L"--script " + Quoted(script.wstring()) + log, 2, "script.txt: line 2: unknown command \"frobnicate\""},
        {L"--script " + Quoted((dir / "none.txt").wstring()) + log, 2, "none.txt: cannot open"},
        {L"--script " + Quoted(script.wstring()) + L" --snapshot " + Quoted((dir / "p").wstring()), 2,
         "--snapshot and --script exclude each other"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunHost(c.args, dir / "out.txt", 30000), c.code) << c.says;
        const std::string said = ReadAll(dir / "out.txt");
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
    EXPECT_EQ(ReadAll(bad), badText) << "a refused node file is left as it was";
    EXPECT_FALSE(fs::exists(dir / "p")) << "nothing ran";
    EXPECT_FALSE(fs::exists(dir / "log.txt")) << "nothing ran";
}

}  // namespace
