// Random nodes and random operators on the nine pages with Read and Write:
// every data point a page writes was read successfully just before, and goes
// back with only the bytes that page owns changed and with that page's
// length; a Write that refuses an entry calls nothing. Seeded: VENNOX_SEED
// repeats a run, VENNOX_ROUNDS makes it longer; a failure prints the seed and
// the steps that led to it.
#include "tests/win/SheetFixture.h"

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace sheet_test;

// ---- Who owns which bytes, page by page -------------------------------------
// Page indices: 1, 3, 5, 7 Zone N Actual; 2, 4, 6, 8 Zone N Settings; 9 Common.

using Owners = std::map<long, std::set<int>>;  // point -> bytes the page may change

Owners ActualOwners(int zone)
{
    return {{58, Range(21 + 2 * (zone - 1), 2)},  // temperature offset
            {56, Range(1 + 6 * (zone - 1), 6)},   // output level limits
            {55, Range(1 + 4 * (zone - 1), 4)}};  // manual overrides
}

Owners SettingsOwners(int zone)
{
    const long setPoints[] = {15, 21, 19, 11};
    Owners o = {{setPoints[zone - 1], Range(0, 12)}};
    if (zone < 4) {
        o[57] = Range(1 + 10 * (zone - 1), 10);  // PID block
        o[56] = Range(25 + 2 * (zone - 1), 2);   // occupancy timeout
        o[58] = {10 + zone};                      // input mode
    } else {
        std::set<int> b = Range(1, 10);           // PID block
        b.insert({0, 14, 29, 30});                // occupancy choice, input mode, timeout
        o[58] = b;
    }
    return o;
}

Owners OwnersOf(int page)
{
    if (page == 9)
        return {{58, Range(15, 6)}};  // valve settings
    const int zone = (page + 1) / 2;
    return page % 2 ? ActualOwners(zone) : SettingsOwners(zone);
}

long LengthOf(long point) { return point == 11 || point == 15 || point == 19 || point == 21 ? 12 : 31; }

// The first fault in calls[from..] of `page`, or "".
std::string CheckWrites(int page, const std::vector<NodeCall>& calls, size_t from)
{
    const Owners owners = OwnersOf(page);
    for (size_t i = from; i < calls.size(); ++i) {
        const NodeCall& w = calls[i];
        if (w.kind != NodeCall::kWrite)
            continue;
        std::ostringstream fault;
        fault << "write of point " << w.point << ": ";
        const auto owned = owners.find(w.point);
        if (owned == owners.end())
            return fault.str() + "not a point of this page";
        if (w.size != LengthOf(w.point))
            return fault.str() + "length " + std::to_string(w.size);
        const NodeCall* r = i > 0 ? &calls[i - 1] : nullptr;
        if (!r || r->kind != NodeCall::kRead || r->point != w.point || r->status != kNodeOk || r->size != 32)
            return fault.str() + "no successful read of it just before";
        for (int b = 0; b < w.size; ++b)
            if (!owned->second.count(b) && w.bytes.at(static_cast<size_t>(b)) != r->bytes.at(static_cast<size_t>(b)))
                return fault.str() + "byte " + std::to_string(b) + " changed, which the page does not own";
    }
    return "";
}

// The first call in calls[from..] of a Write that refused an entry to a
// point that Write reads or writes, or "". (A Zone actual page's timer may
// read its live points while the message is shown.)
std::string CheckRefused(int page, const std::vector<NodeCall>& calls, size_t from)
{
    const Owners owners = OwnersOf(page);
    for (size_t i = from; i < calls.size(); ++i)
        if (owners.count(calls[i].point))
            return "a refused Write called the node for point " + std::to_string(calls[i].point);
    return "";
}

// ---- The random operator --------------------------------------------------------

const char* const kEntries[] = {"", "0", "-1", "21.5", "-5.05", "127.5", "128", "255.5", "65535", "65536",
                                "-32768", "-32769", "1e9", "-1e9", "1e400", "0.0005", "  7", "+.5", "1,5",
                                "abc", "nan", "inf", "0x10", "99999999999999999999", "-0", "3.25e1"};

std::vector<HWND> Children(HWND page, bool edits)
{
    std::vector<HWND> out;
    for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = {};
        ::GetClassNameA(c, cls, sizeof cls);
        const int id = ::GetDlgCtrlID(c);
        const LONG style = ::GetWindowLongA(c, GWL_STYLE);
        if (!::IsWindowEnabled(c) || id == IDC_READ || id == IDC_WRITE)
            continue;
        if (edits ? ::lstrcmpiA(cls, "Edit") == 0 && !(style & ES_READONLY)
                  : ::lstrcmpiA(cls, "Button") == 0 && (style & BS_TYPEMASK) != BS_GROUPBOX)
            out.push_back(c);
    }
    return out;
}

class Operator {
public:
    Operator(std::mt19937& random, NodeModel& node) : m_random(random), m_node(node) {}

    // One random act on `page`; what it did, for the record.
    std::string Act(HWND page)
    {
        switch (Pick(11)) {
        case 0: case 1: case 2: return Type(page);
        case 3: case 4: case 5: return Click(page);
        case 6: D::Click(page, IDC_READ); return "Read";
        case 7: return Disturb();
        case 8: return Fail();
        default: D::Click(page, IDC_WRITE); return "Write";
        }
    }

    // Random bytes in every point of the node.
    void Scramble()
    {
        for (const auto& entry : std::map<long, NodeModel::Point>(m_node.Points()))
            m_node.SetPoint(entry.first, RandomPoint());
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    NodeModel::Point RandomPoint()
    {
        NodeModel::Point p;
        for (auto& b : p)
            b = static_cast<std::uint8_t>(Pick(256));
        return p;
    }

    std::string Type(HWND page)
    {
        const std::vector<HWND> edits = Children(page, true);
        if (edits.empty())
            return "no field";
        HWND edit = edits[static_cast<size_t>(Pick(static_cast<int>(edits.size())))];
        std::string text = Pick(3) ? kEntries[Pick(sizeof kEntries / sizeof *kEntries)]
                                   : std::to_string(Pick(200000) - 100000) + "." + std::to_string(Pick(100));
        ::SetWindowTextA(edit, text.c_str());
        return "type \"" + text + "\" into " + std::to_string(::GetDlgCtrlID(edit));
    }

    std::string Click(HWND page)
    {
        const std::vector<HWND> buttons = Children(page, false);
        if (buttons.empty())
            return "no button";
        HWND button = buttons[static_cast<size_t>(Pick(static_cast<int>(buttons.size())))];
        ::SendMessageA(button, BM_CLICK, 0, 0);
        return "click " + std::to_string(::GetDlgCtrlID(button));
    }

    // Someone else changes a point of the node between two acts.
    std::string Disturb()
    {
        const long points[] = {11, 15, 19, 21, 55, 56, 57, 58};
        const long point = points[Pick(8)];
        m_node.SetPoint(point, RandomPoint());
        return "node point " + std::to_string(point) + " changes";
    }

    // Reads of one point start or stop failing.
    std::string Fail()
    {
        const long points[] = {11, 15, 19, 21, 55, 56, 57, 58};
        const long point = points[Pick(8)];
        if (m_node.failRead.erase(point))
            return "reads of point " + std::to_string(point) + " succeed again";
        m_node.failRead.insert(point);
        return "reads of point " + std::to_string(point) + " fail";
    }

    std::mt19937& m_random;
    NodeModel& m_node;
};

unsigned long FromEnvironment(const char* name, unsigned long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

class Generative : public SheetTest {};

TEST_F(Generative, WritesChangeOnlyTheBytesTheirPageOwns)
{
    const unsigned long seed = FromEnvironment("VENNOX_SEED", 20261208);
    const unsigned long rounds = FromEnvironment("VENNOX_ROUNDS", 36);
    constexpr int kActs = 12;
    std::mt19937 random(seed);
    m_answerBoxes = true;
    size_t writes = 0;
    for (unsigned long round = 0; round < rounds && !HasFailure(); ++round) {
        const int page = 1 + static_cast<int>(round % 9);
        NodeModel node = NodeModel::Default();
        Operator op(random, node);
        op.Scramble();
        std::vector<std::string> steps;
        OnPage(node, page, [&](HWND pageWindow, CNodeSite& site) {
            for (int i = 0; i < kActs; ++i) {
                const size_t from = site.Calls().size(), boxes = m_boxes.size();
                steps.push_back(op.Act(pageWindow));
                std::string fault = CheckWrites(page, site.Calls(), from);
                if (m_boxes.size() > boxes) {
                    steps.back() += " (refused: " + m_boxes.back() + ")";
                    if (fault.empty())
                        fault = CheckRefused(page, site.Calls(), from);
                }
                for (size_t c = from; c < site.Calls().size(); ++c)
                    writes += site.Calls()[c].kind == NodeCall::kWrite;
                if (fault.empty())
                    continue;
                std::string record;
                for (const std::string& s : steps)
                    record += "\n  " + s;
                ADD_FAILURE() << "seed " << seed << " (VENNOX_SEED), round " << round << ", page " << page << ": "
                              << fault << "\nsteps:" << record;
                return;
            }
        });
    }
    std::printf("generative: seed %lu, %lu rounds, %zu writes checked, %zu refused\n", seed, rounds, writes,
                m_boxes.size());
    EXPECT_GT(writes, rounds) << "too few writes to prove anything";
}

}  // namespace
