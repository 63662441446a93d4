// Support of the sheet tests, on TestSupport.h's module fixture: the control
// on the stand-in host's client site over a simulated node, and the sheet
// opened through the Properties verb with steps that act inside its modal
// loop, as an operator would.
#pragma once

#include "host/app/SheetDriver.h"
#include "host/site/NodeSite.h"
#include "resources/resource.h"
#include "tests/win/TestSupport.h"

#include <olectl.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sheet_test {

using Step = CSheetDriver::Step;
using D = CSheetDriver;

// What the steps of one opening share.
struct Operator {
    HWND sheet = nullptr;
    HWND page = nullptr;
    int boxes = 0;  // "Node not available!" boxes seen and closed
};

inline Step FindSheet(Operator& op)
{
    return [&op] {
        op.sheet = D::FindSheet();
        op.page = op.sheet ? D::CurrentPage(op.sheet) : nullptr;
        return op.page != nullptr;
    };
}

inline Step ShowPage(Operator& op, int index)
{
    return [&op, index] {
        D::SelectPage(op.sheet, index);
        op.page = D::CurrentPage(op.sheet);
        return op.page != nullptr;
    };
}

inline Step Act(Operator& op, std::function<void(Operator&)> f)
{
    return [&op, f] {
        f(op);
        return true;
    };
}

inline Step Click(Operator& op, int id)
{
    return Act(op, [id](Operator& o) { D::Click(o.page, id); });
}

inline Step PressExit(Operator& op)
{
    return Act(op, [](Operator& o) { D::Click(o.sheet, IDOK); });
}

inline std::vector<const NodeCall*> Writes(const CNodeSite& site)
{
    std::vector<const NodeCall*> out;
    for (const NodeCall& c : site.Calls())
        if (c.kind == NodeCall::kWrite)
            out.push_back(&c);
    return out;
}

// ---- Node contents and the call log ----------------------------------------

// Sets bytes of `point` from byte `at` on.
inline void Put(NodeModel& node, long point, int at, std::initializer_list<int> bytes)
{
    NodeModel::Point p = *node.Find(point);
    for (int b : bytes)
        p[static_cast<size_t>(at++)] = static_cast<std::uint8_t>(b);
    node.SetPoint(point, p);
}

// The default node with every byte of the shared points 55 to 58 distinct,
// so that a byte sent back other than as read shows.
inline NodeModel DistinctNode()
{
    NodeModel node = NodeModel::Default();
    for (long point : {55L, 56L, 57L, 58L}) {
        NodeModel::Point p;
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = static_cast<std::uint8_t>(point + 3 * i);
        node.SetPoint(point, p);
    }
    return node;
}

// The node calls of the log, "R58:32 W58:31 ...", without the name.
inline std::string Trace(const CNodeSite& site)
{
    std::string out;
    for (const NodeCall& c : site.Calls()) {
        if (c.kind == NodeCall::kName)
            continue;
        out += (c.kind == NodeCall::kRead ? "R" : "W") + std::to_string(c.point) + ":" + std::to_string(c.size) + " ";
    }
    return out;
}

inline std::string R(long point) { return "R" + std::to_string(point) + ":32 "; }
inline std::string W(long point) { return "W" + std::to_string(point) + ":31 "; }

// The bytes last written to `point`; empty when none was.
inline std::vector<unsigned char> Sent(const CNodeSite& site, long point)
{
    std::vector<unsigned char> out;
    for (const NodeCall* c : Writes(site))
        if (c->point == point)
            out = c->bytes;
    return out;
}

// Every byte of `sent` but those at `owned` is as it was in `before`.
inline void ExpectKept(const NodeModel::Point& before, const std::vector<unsigned char>& sent, std::set<int> owned)
{
    ASSERT_EQ(sent.size(), 31u) << "byte 31 is never sent";
    for (int i = 0; i < 31; ++i) {
        if (!owned.count(i)) {
            EXPECT_EQ(sent[static_cast<size_t>(i)], before[static_cast<size_t>(i)]) << "byte " << i;
        }
    }
}

inline std::set<int> Range(int from, int count)
{
    std::set<int> out;
    for (int i = 0; i < count; ++i)
        out.insert(from + i);
    return out;
}

class SheetTest : public ModuleTest {
protected:
    // When set, a page's "Plugin" box (a refused entry) is closed as it
    // shows, also inside a step's own click, and its text kept in m_boxes.
    bool m_answerBoxes = false;
    std::vector<std::string> m_boxes;

    afx::com_ptr<IOleObject> NewControl(CNodeSite& site)
    {
        afx::com_ptr<IOleObject> control;
        EXPECT_EQ(m_factory->CreateInstance(nullptr, IID_IOleObject, control.put_void()), S_OK);
        if (control) {
            EXPECT_EQ(control->SetClientSite(site.ClientSite()), S_OK);
        }
        return control;
    }

    // Runs the Properties verb with `steps` acting inside the sheet; the last
    // step closes it. Any message box but "Node not available!", when
    // `nodeBox` says it comes, fails the opening.
    void Open(IOleObject* control, std::vector<Step> steps, bool nodeBox = false)
    {
        CSheetDriver driver(std::move(steps));
        if (nodeBox)
            driver.ExpectBox("Plugin");
        if (m_answerBoxes)
            driver.AnswerBoxes([this](const std::string& caption, const std::string& text) {
                if (caption != "Plugin")
                    return false;
                m_boxes.push_back(text);
                return true;
            });
        EXPECT_EQ(control->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
        EXPECT_FALSE(driver.Failed()) << driver.Failure();
        EXPECT_TRUE(driver.Done()) << "the sheet closed before every step ran";
    }

    // Opens the sheet on `node`, shows page `index` (which reads the node as
    // it is created) and runs `act` on it; then presses Exit. The site's call
    // log holds every call of the opening.
    void OnPage(NodeModel& node, int index, const std::function<void(HWND page, CNodeSite& site)>& act,
                const SiteOptions& options = SiteOptions())
    {
        CNodeSite site(node, options);
        afx::com_ptr<IOleObject> control = NewControl(site);
        ASSERT_TRUE(control);
        Operator op;
        Open(control.get(), {FindSheet(op), ShowPage(op, index), Act(op, [&](Operator& o) { act(o.page, site); }),
                             PressExit(op)});
        control->SetClientSite(nullptr);
    }

    // Presses Write on page `index` of `node`, on a site with `options`, and
    // returns what went out for each of `points` (empty when not written).
    std::map<long, std::vector<unsigned char>> SentOnWrite(NodeModel& node, int index, const SiteOptions& options,
                                                           std::initializer_list<long> points)
    {
        std::map<long, std::vector<unsigned char>> sent;
        OnPage(
            node, index,
            [&](HWND page, CNodeSite& site) {
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                for (long point : points)
                    sent[point] = Sent(site, point);
            },
            options);
        return sent;
    }
};

}  // namespace sheet_test
