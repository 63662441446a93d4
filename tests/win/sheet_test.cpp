// The configuration sheet as host and operator meet it: opened through the
// control's Properties verb, its pages reading and writing the stand-in
// host's simulated node, every action taken inside the sheet's modal loop.
#include "tests/win/SheetFixture.h"
#include "tests/ZoneCases.h"

#include <commctrl.h>
#include <prsht.h>

#include <array>
#include <string>
#include <vector>

namespace {

using namespace sheet_test;

constexpr int kIdApply = 0x3021;
constexpr int kCommonPage = 9;

// Closes "Node not available!" once it shows; by then the sheet's first page
// must exist.
Step CloseNodeBox(Operator& op)
{
    return [&op] {
        HWND box = D::FindMessageBox("Plugin");
        if (!box)
            return false;
        EXPECT_EQ(D::Text(box, 0xFFFF), "Node not available!");
        HWND owner = ::GetWindow(box, GW_OWNER);
        HWND first = owner ? D::CurrentPage(owner) : nullptr;
        EXPECT_TRUE(first && ::GetDlgItem(first, IDC_NODENAME)) << "box shown before the first page";
        ++op.boxes;
        D::Click(box, IDOK);
        return true;
    };
}

bool Visible(HWND dialog, int id)
{
    HWND w = ::GetDlgItem(dialog, id);
    return w && ::IsWindowVisible(w);
}

using Sheet = SheetTest;

// ---- The sheet and the host's interfaces ----------------------------------

struct OfferCase {
    const char* what;
    bool read, write, separate;
};

const OfferCase kOffers[] = {
    {"both from the site object", true, true, false},
    {"both from objects of their own", true, true, true},
    {"read side only", true, false, false},
    {"write side only", false, true, false},
    {"write side only, own object", false, true, true},
    {"neither", false, false, false},
};

TEST_F(Sheet, OpensWithTenPagesAndOnlyExitAndReturnsTheReferencesItTook)
{
    for (const OfferCase& c : kOffers) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        SiteOptions options;
        options.offerRead = c.read;
        options.offerWrite = c.write;
        options.separateObjects = c.separate;
        CNodeSite site(node, options);
        afx::com_ptr<IOleObject> control = NewControl(site);
        ASSERT_TRUE(control);
        const long site0 = site.SiteRefs(), read0 = site.ReadRefs(), write0 = site.WriteRefs();

        Operator op;
        std::vector<Step> steps;
        if (!c.read && !c.write)
            steps.push_back(CloseNodeBox(op));
        steps.push_back(FindSheet(op));
        steps.push_back(Act(op, [&](Operator& o) {
            EXPECT_EQ(D::TabCaptions(o.sheet), kTabCaptions);
            EXPECT_TRUE(Visible(o.sheet, IDOK));
            EXPECT_EQ(D::Text(o.sheet, IDOK), "Exit");
            EXPECT_FALSE(Visible(o.sheet, IDCANCEL));
            EXPECT_FALSE(Visible(o.sheet, kIdApply));
            EXPECT_EQ(D::Text(o.page, IDC_NODENAME), c.read ? node.Name() : "");
            // Two references on each interface obtained, none on the site.
            const long read = c.read ? 2 : 0, write = c.write ? 2 : 0;
            if (c.separate) {
                EXPECT_EQ(site.SiteRefs() - site0, 0);
                EXPECT_EQ(site.ReadRefs() - read0, read);
                EXPECT_EQ(site.WriteRefs() - write0, write);
            } else {
                EXPECT_EQ(site.SiteRefs() - site0, read + write);
            }
        }));
        steps.push_back(PressExit(op));
        Open(control.get(), std::move(steps), !c.read && !c.write);

        EXPECT_EQ(op.boxes, c.read || c.write ? 0 : 1);
        EXPECT_EQ(site.SiteRefs(), site0);
        EXPECT_EQ(site.ReadRefs(), read0);
        EXPECT_EQ(site.WriteRefs(), write0);
        EXPECT_TRUE(Writes(site).empty()) << "closing wrote to the node";
        control->SetClientSite(nullptr);
    }
}

// Each opening asks the client site of the control whose verb ran, afresh.
TEST_F(Sheet, ClosingReturnsTheWriteSideBeforeTheReadSide)
{
    NodeModel node = NodeModel::Default();
    SiteOptions options;
    options.separateObjects = true;  // so that each release names its side
    CNodeSite site(node, options);
    afx::com_ptr<IOleObject> control = NewControl(site);
    ASSERT_TRUE(control);
    std::vector<std::string> released;
    Operator op;
    Open(control.get(), {FindSheet(op), Act(op, [&](Operator&) {
                             site.onRelease = [&](const char* object) { released.push_back(object); };
                         }),
                         PressExit(op)});
    site.onRelease = nullptr;
    EXPECT_EQ(released, (std::vector<std::string>{"write", "write", "read", "read"}));
    control->SetClientSite(nullptr);
}

TEST_F(Sheet, EachOpeningUsesTheSiteOfItsOwnControl)
{
    NodeModel nodeA = NodeModel::Default(), nodeB = NodeModel::Default();
    ASSERT_TRUE(nodeA.SetName("Room A"));
    SiteOptions none;
    none.offerRead = none.offerWrite = false;
    CNodeSite siteA(nodeA, SiteOptions()), siteB(nodeB, none);
    afx::com_ptr<IOleObject> a = NewControl(siteA), b = NewControl(siteB);
    ASSERT_TRUE(a && b);
    const long refsA = siteA.SiteRefs(), refsB = siteB.SiteRefs();

    struct Opening {
        IOleObject* control;
        bool box;
        std::string name;
    } const openings[] = {{b.get(), true, ""}, {a.get(), false, "Room A"}, {b.get(), true, ""},
                          {a.get(), false, "Room A"}};
    for (const Opening& o : openings) {
        SCOPED_TRACE(o.name.empty() ? "control B" : "control A");
        Operator op;
        std::vector<Step> steps;
        if (o.box)
            steps.push_back(CloseNodeBox(op));
        steps.push_back(FindSheet(op));
        steps.push_back(Act(op, [&](Operator& w) { EXPECT_EQ(D::Text(w.page, IDC_NODENAME), o.name); }));
        steps.push_back(PressExit(op));
        Open(o.control, std::move(steps), o.box);
        EXPECT_EQ(op.boxes, o.box ? 1 : 0);
    }
    EXPECT_EQ(siteA.SiteRefs(), refsA);
    EXPECT_EQ(siteB.SiteRefs(), refsB);
    a->SetClientSite(nullptr);
    b->SetClientSite(nullptr);
}

// ---- Node Information -----------------------------------------------------

TEST_F(Sheet, NodeInformationShowsTheNameUpToItsFirstNul)
{
    struct Case {
        const char* what;
        std::string name;
        bool fail;
        std::string shown;
    } const cases[] = {
        {"12 characters and a NUL", "VNX Room 104", false, "VNX Room 104"},
        {"50 characters, no NUL", std::string(25, 'a') + std::string(25, 'Z'), false,
         std::string(25, 'a') + std::string(25, 'Z')},
        {"empty name: the first byte is NUL", "", false, ""},
        {"single-byte characters as they come", "B\xFC" "ro 3", false, "B\xFC" "ro 3"},
        {"a failed call leaves the field empty", "VNX Room 104", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        ASSERT_TRUE(node.SetName(c.name));
        node.failName = c.fail;
        std::string shown;
        OnPage(node, 0, [&](HWND page, CNodeSite&) { shown = D::Text(page, IDC_NODENAME); });
        EXPECT_EQ(shown, c.shown);
    }
}

// ---- Common settings ------------------------------------------------------

constexpr long kValves = 58;

// Data point 58 with every byte distinct, and the valve bytes 15 to 20 given.
using ValveBytes = std::array<int, 6>;  // 15 cool type, 16 heat type, 17 cool auto, 18 heat auto, 19-20 hours

NodeModel::Point ValvePoint(const ValveBytes& valveBytes)
{
    NodeModel::Point p;
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>(0xA0 + i);
    for (size_t i = 0; i < valveBytes.size(); ++i)
        p[15 + i] = static_cast<std::uint8_t>(valveBytes[i]);
    return p;
}

struct Controls {
    std::string hours;
    int heat010, heat210, cool010, cool210, heatAuto, coolAuto;
    bool operator==(const Controls& o) const
    {
        return hours == o.hours && heat010 == o.heat010 && heat210 == o.heat210 && cool010 == o.cool010 &&
               cool210 == o.cool210 && heatAuto == o.heatAuto && coolAuto == o.coolAuto;
    }
};

std::ostream& operator<<(std::ostream& os, const Controls& c)
{
    return os << "hours \"" << c.hours << "\" heat " << c.heat010 << c.heat210 << " cool " << c.cool010
              << c.cool210 << " auto heat " << c.heatAuto << " cool " << c.coolAuto;
}

Controls ReadControls(HWND page)
{
    return {D::Text(page, IDC_CLOSED_VALVE_TIME), D::Check(page, IDC_HEAT_0_10V), D::Check(page, IDC_HEAT_2_10V),
            D::Check(page, IDC_COOL_0_10V),       D::Check(page, IDC_COOL_2_10V), D::Check(page, IDC_HEAT_AUTOMATIC),
            D::Check(page, IDC_COOL_AUTOMATIC)};
}

TEST_F(Sheet, CommonSettingsShowsTheValveBytes)
{
    struct Case {
        const char* what;
        ValveBytes bytes;
        Controls shown;
    } const cases[] = {
        {"0 - 10V both, cooling automatic, 48 h", {0, 0, 1, 0, 0x00, 0x30}, {"48", 1, 0, 1, 0, 0, 1}},
        {"type byte 2 is 2 - 10V, heating automatic", {2, 0, 0, 1, 0x01, 0x00}, {"256", 1, 0, 0, 1, 1, 0}},
        {"any non-zero type byte is 2 - 10V, 65535 h", {1, 0x80, 1, 1, 0xFF, 0xFF}, {"65535", 0, 1, 0, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        node.SetPoint(kValves, ValvePoint(c.bytes));
        Controls shown;
        OnPage(node, kCommonPage, [&](HWND page, CNodeSite&) { shown = ReadControls(page); });
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(Sheet, CommonSettingsWritesOnlyItsBytesOfPoint58)
{
    struct Case {
        const char* what;
        std::string hours;
        std::vector<int> clicks;          // buttons the operator clicks before Write
        ValveBytes written;               // bytes 15 to 20 sent
        Controls after;                   // what the page shows after the Write
    } const cases[] = {
        {"1.9 hours go out as 1; the heating type byte, left as shown, as 5", "1.9", {}, {0, 5, 1, 0, 0x00, 0x01},
         {"1", 0, 1, 1, 0, 0, 1}},
        {"4464.9 hours truncate to 11 70", "4464.9", {}, {0, 5, 1, 0, 0x11, 0x70}, {"4464", 0, 1, 1, 0, 0, 1}},
        {"65535 hours are the most", "65535", {}, {0, 5, 1, 0, 0xFF, 0xFF}, {"65535", 0, 1, 1, 0, 0, 1}},
        {"blanks around the hours are no part of them", " 12\t", {}, {0, 5, 1, 0, 0, 12}, {"12", 0, 1, 1, 0, 0, 1}},
        {"radio clicks switch both pairs", "12",
         {IDC_HEAT_0_10V, IDC_COOL_2_10V}, {1, 0, 1, 0, 0, 12}, {"12", 1, 0, 0, 1, 0, 1}},
        {"check boxes toggled", "12", {IDC_HEAT_AUTOMATIC, IDC_COOL_AUTOMATIC}, {0, 5, 0, 1, 0, 12},
         {"12", 0, 1, 1, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Shown at first: heat 2 - 10V (type byte 5), cool 0 - 10V, cool automatic
        // (a motion byte of 1), 7 hours.
        NodeModel node = NodeModel::Default();
        const NodeModel::Point before = ValvePoint({0, 5, 1, 0, 0, 7});
        node.SetPoint(kValves, before);
        CNodeSite site(node, SiteOptions());
        afx::com_ptr<IOleObject> control = NewControl(site);
        ASSERT_TRUE(control);
        Operator op;
        std::vector<Step> steps = {FindSheet(op), ShowPage(op, kCommonPage),
                                   Act(op, [&](Operator& o) { D::SetText(o.page, IDC_CLOSED_VALVE_TIME, c.hours); })};
        for (int id : c.clicks)
            steps.push_back(Click(op, id));
        Controls after;
        steps.push_back(Act(op, [&](Operator& o) {
            site.ClearCalls();
            D::Click(o.page, IDC_WRITE);
            after = ReadControls(o.page);
        }));
        steps.push_back(PressExit(op));
        Open(control.get(), std::move(steps));

        // Read, write, read again.
        ASSERT_EQ(site.Calls().size(), 3u);
        EXPECT_EQ(site.Calls()[0].kind, NodeCall::kRead);
        EXPECT_EQ(site.Calls()[2].kind, NodeCall::kRead);
        const NodeCall& w = site.Calls()[1];
        ASSERT_EQ(w.kind, NodeCall::kWrite);
        EXPECT_EQ(w.point, kValves);
        EXPECT_EQ(w.size, 31) << "byte 31 is never sent";
        ASSERT_EQ(w.bytes.size(), 31u);
        for (int i = 0; i < 31; ++i) {
            const int expected = i >= 15 && i <= 20 ? c.written[i - 15] : before[i];
            EXPECT_EQ(w.bytes[i], expected) << "byte " << i;
        }
        EXPECT_EQ(after, c.after);
        control->SetClientSite(nullptr);
    }
}

// A Write whose read fails sends nothing and reads the page again; once the
// read succeeds, the controls the page never showed send the bytes as read.
TEST_F(Sheet, CommonSettingsWritesNothingUntilItsReadSucceeds)
{
    NodeModel node = NodeModel::Default();
    node.SetPoint(kValves, ValvePoint({0, 0, 1, 1, 0, 9}));
    node.failRead = {kValves};
    CNodeSite site(node, SiteOptions());
    afx::com_ptr<IOleObject> control = NewControl(site);
    ASSERT_TRUE(control);
    Operator op;
    Controls first, afterFailedWrite, afterWrite;
    size_t writesWhileFailing = 0, readsWhileFailing = 0;
    Open(control.get(),
         {FindSheet(op), ShowPage(op, kCommonPage), Act(op, [&](Operator& o) {
              first = ReadControls(o.page);
              site.ClearCalls();
              D::Click(o.page, IDC_WRITE);
              writesWhileFailing = Writes(site).size();
              readsWhileFailing = site.Calls().size();
              afterFailedWrite = ReadControls(o.page);
              node.failRead.clear();
              site.ClearCalls();
              D::Click(o.page, IDC_WRITE);
              afterWrite = ReadControls(o.page);
          }),
          PressExit(op)});

    const Controls untouched = {"", 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(first, untouched);
    EXPECT_EQ(writesWhileFailing, 0u);
    EXPECT_EQ(readsWhileFailing, 2u) << "the write's read, then the page's read";
    EXPECT_EQ(afterFailedWrite, untouched);
    ASSERT_EQ(Writes(site).size(), 1u);
    const std::vector<unsigned char> sent(Writes(site)[0]->bytes.begin() + 15, Writes(site)[0]->bytes.begin() + 21);
    EXPECT_EQ(sent, (std::vector<unsigned char>{0, 0, 1, 1, 0, 9}));
    EXPECT_EQ(afterWrite, (Controls{"9", 1, 0, 1, 0, 1, 1}));
    control->SetClientSite(nullptr);
}

// Without the write side the Write button sends nothing and still reads the
// page again; without the read side it calls nothing at all.
TEST_F(Sheet, CommonSettingsWithOneInterfaceMissing)
{
    struct Case {
        const char* what;
        bool read, write;
        size_t calls;  // node calls made by one Write
    } const cases[] = {
        {"no write side", true, false, 2},
        {"no read side", false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        const NodeModel::Point before = ValvePoint({0, 0, 1, 1, 0, 9});
        node.SetPoint(kValves, before);
        SiteOptions options;
        options.offerRead = c.read;
        options.offerWrite = c.write;
        size_t calls = 0, writes = 0;
        OnPage(
            node, kCommonPage,
            [&](HWND page, CNodeSite& site) {
                D::SetText(page, IDC_CLOSED_VALVE_TIME, "100");
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                calls = site.Calls().size();
                writes = Writes(site).size();
            },
            options);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(writes, 0u);
        EXPECT_EQ(*node.Find(kValves), before);
    }
}

}  // namespace
