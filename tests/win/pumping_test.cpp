// A host whose node calls dispatch messages while they wait, as calls to
// another apartment do: what arrives meanwhile (timer ticks, clicks on every
// button, keys typed into every field, Exit) changes nothing a Write sends,
// and the sheet still closes cleanly.
#include "host/app/HostLog.h"
#include "tests/win/SheetFixture.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace sheet_test;

// The nine pages with Read and Write buttons.
const int kWritingPages[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};

SiteOptions PumpingSite()
{
    SiteOptions options;
    options.pump = true;
    options.delayMs = 5;
    return options;
}

// Everything an operator or the page's timer could deliver to `page`, posted
// so that the next message loop dispatches it: a tick, a click on each
// button (Read and Write too) and a key in each field.
void PostDisturbances(HWND page)
{
    ::PostMessageA(page, WM_TIMER, 1, 0);
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (::lstrcmpiA(cls, "Button") == 0)
            ::PostMessageA(child, BM_CLICK, 0, 0);
        else if (::lstrcmpiA(cls, "Edit") == 0)
            ::PostMessageA(child, WM_CHAR, '7', 0);
    }
}

// One line per node call: kind, point, size and bytes.
std::vector<std::string> CallLines(const CNodeSite& site)
{
    std::vector<std::string> lines;
    for (const NodeCall& c : site.Calls())
        lines.push_back(FormatNodeCall(c));
    return lines;
}

class Pumping : public SheetTest {
protected:
    // Presses Write on page `index` of a fresh distinct node; with
    // `disturb`, everything PostDisturbances delivers arrives while the
    // Write's first call waits. The node calls of the Write, Read afterwards
    // included.
    std::vector<std::string> WriteCalls(int index, bool disturb)
    {
        NodeModel node = DistinctNode();
        std::vector<std::string> lines;
        OnPage(
            node, index,
            [&](HWND page, CNodeSite& site) {
                bool armed = disturb;
                site.onWait = [&](NodeCall::Kind, long) {
                    if (std::exchange(armed, false))
                        PostDisturbances(page);
                };
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                site.onWait = nullptr;
                lines = CallLines(site);
            },
            PumpingSite());
        return lines;
    }
};

TEST_F(Pumping, WhatArrivesDuringAWriteChangesNothingItSends)
{
    for (int index : kWritingPages) {
        SCOPED_TRACE("page " + std::to_string(index));
        const std::vector<std::string> undisturbed = WriteCalls(index, false);
        ASSERT_FALSE(undisturbed.empty());
        EXPECT_EQ(WriteCalls(index, true), undisturbed);
    }
}

TEST_F(Pumping, ExitPressedDuringASlowCallClosesTheSheetAndReturnsEveryReference)
{
    for (bool separate : {false, true}) {
        SCOPED_TRACE(separate ? "node objects of their own" : "one site object");
        NodeModel node = DistinctNode();
        SiteOptions options = PumpingSite();
        options.delayMs = 100;
        options.separateObjects = separate;
        CNodeSite site(node, options);
        afx::com_ptr<IOleObject> control = NewControl(site);
        ASSERT_TRUE(control);
        const long site0 = site.SiteRefs(), read0 = site.ReadRefs(), write0 = site.WriteRefs();
        Operator op;
        bool pressed = false;
        // Exit arrives while the Write's first call waits; no step presses it.
        Open(control.get(), {FindSheet(op), ShowPage(op, 2), Act(op, [&](Operator& o) {
                                 site.onWait = [&](NodeCall::Kind, long) {
                                     if (!std::exchange(pressed, true))
                                         ::PostMessageA(::GetDlgItem(o.sheet, IDOK), BM_CLICK, 0, 0);
                                 };
                                 D::Click(o.page, IDC_WRITE);
                                 site.onWait = nullptr;
                             })});
        EXPECT_TRUE(pressed);
        EXPECT_EQ(D::FindSheet(), nullptr) << "the sheet is still open";
        EXPECT_EQ(site.SiteRefs(), site0);
        EXPECT_EQ(site.ReadRefs(), read0);
        EXPECT_EQ(site.WriteRefs(), write0);
        control->SetClientSite(nullptr);
    }
}

}  // namespace
