// What a Write may change: nothing the operator left as shown (random nodes
// on all nine pages), entries as the exact decimals they are, and nothing at
// all when an entry is not a number the field can carry.
#include "tests/win/SheetFixture.h"
#include "tests/ZoneCases.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace sheet_test;

// The points the nine pages read and write.
const long kPagePoints[] = {11, 15, 19, 21, 55, 56, 57, 58};

// Bytes a page shows in a way that loses something: pairs with a second
// decimal, the band above 10000 that reads negative, a word of FF FF; mode,
// input and choice bytes outside the node's tables.
const int kAwkwardPairs[] = {0x087F, 0x0880, 0x2711, 0x2712, 0x2713, 0x2714, 0x2715, 0xFFFF, 0x0005, 0x270F};
const int kAwkwardBytes[] = {2, 3, 5, 6, 7, 0x7F, 0x80, 0xFE, 0xFF};

NodeModel::Point AwkwardPoint(std::mt19937& random)
{
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    NodeModel::Point p;
    for (size_t i = 0; i < p.size(); ++i) {
        switch (pick(4)) {
        case 0:
            if (i + 1 < p.size()) {
                const int word = kAwkwardPairs[pick(std::size(kAwkwardPairs))];
                p[i] = static_cast<std::uint8_t>(word >> 8);
                p[++i] = static_cast<std::uint8_t>(word);
                break;
            }
            [[fallthrough]];
        case 1:
            p[i] = static_cast<std::uint8_t>(kAwkwardBytes[pick(std::size(kAwkwardBytes))]);
            break;
        default:
            p[i] = static_cast<std::uint8_t>(pick(256));
        }
    }
    return p;
}

unsigned long FromEnvironment(const char* name, unsigned long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

class SafeWrite : public SheetTest {
protected:
    // Presses Write on `page` and expects every point as it was; the first
    // point changed, or "".
    static std::string WriteChangesNothing(HWND page, CNodeSite& site, const NodeModel& node)
    {
        const std::map<long, NodeModel::Point> before = node.Points();
        site.ClearCalls();
        D::Click(page, IDC_WRITE);
        if (Writes(site).empty())
            return "the Write wrote nothing";
        for (const auto& [point, bytes] : before)
            for (size_t i = 0; i < bytes.size(); ++i)
                if (node.Points().at(point)[i] != bytes[i])
                    return "point " + std::to_string(point) + ", byte " + std::to_string(i) + " changed";
        return "";
    }
};

// Random awkward bytes in every point; the page shows them (when it is first
// shown, then after Read), and a Write without an edit changes not a byte.
TEST_F(SafeWrite, ReadThenWriteWithoutAnEditChangesNothing)
{
    const unsigned long seed = FromEnvironment("VENNOX_SEED", 20261209);
    const unsigned long rounds = FromEnvironment("VENNOX_ROUNDS", 8);
    std::mt19937 random(seed);
    int writes = 0;
    for (int page = 1; page <= 9 && !HasFailure(); ++page) {
        NodeModel node = NodeModel::Default();
        for (long point : kPagePoints)
            node.SetPoint(point, AwkwardPoint(random));
        OnPage(node, page, [&](HWND pageWindow, CNodeSite& site) {
            std::string fault = WriteChangesNothing(pageWindow, site, node);
            for (unsigned long round = 0; round < rounds && fault.empty(); ++round) {
                for (long point : kPagePoints)
                    node.SetPoint(point, AwkwardPoint(random));
                D::Click(pageWindow, IDC_READ);
                fault = WriteChangesNothing(pageWindow, site, node);
                ++writes;
            }
            EXPECT_EQ(fault, "") << "seed " << seed << " (VENNOX_SEED), page " << page;
        });
    }
    EXPECT_EQ(writes, static_cast<int>(9 * rounds));
}

// One field of each kind, as the tests know the node: page, control, the
// label the page gives it, its accepted range, point and first byte.
struct FieldCase {
    const char* kind;
    int page;
    int control;
    const char* message;  // for a refused entry
    long point;
    int at;
};

const ActualZone& kZone1 = kActualZones[0];
const SettingsZone& kSettings1 = kSettingsZones[0];

const FieldCase kFields[] = {
    {"whole", 9, IDC_CLOSED_VALVE_TIME, "Closed valve time before auto motion: enter a number from 0 to 65535.", 58,
     19},
    {"tenths", kSettings1.page, kSettings1.i, "PID I: enter a number from 0.0 to 6553.5.", 57, kSettings1.pidAt + 2},
    {"signed hundredths", kZone1.page, kZone1.offset, "Offset: enter a number from -555.35 to 100.00.", 58,
     kZone1.offsetAt},
    {"thousandths", kSettings1.page, kSettings1.p, "PID P: enter a number from 0.000 to 65.535.", 57,
     kSettings1.pidAt},
    {"halves", kZone1.page, kZone1.heatMax, "Heat level Max: enter a number from 0.0 to 127.5.", 56,
     kZone1.levelsAt + 5},
};

// Per kind (in kFields' order): entries refused, and entries taken with the
// value they store.
const char* const kRefused[][6] = {
    {"", "abc", "12 h", "1,5", "-1", "65536"},
    {"2l.5", "inf", "0x10", "12.5s", "-0.1", "6553.6"},
    {"nan", "+-1", "21,5", "1e", "-555.36", "100.01"},
    {".", "1.0.0", "P1", "1 000", "-0.001", "65.536"},
    {"-", "e5", "50%", "5 0", "-0.5", "128"},
};
const struct {
    const char* text;
    int stored;
} kTaken[][4] = {
    {{"0", 0}, {"65535", 65535}, {" 4464.9\t", 4464}, {"1e3", 1000}},
    {{"0.0", 0}, {"6553.5", 65535}, {"12.34", 123}, {"-0.05", 0}},
    {{"-555.35", 0x2711}, {"100.00", 10000}, {"2.3", 230}, {"0.29", 29}},
    {{"0.000", 0}, {"65.535", 65535}, {"1.001", 1001}, {"1.005e1", 10050}},
    {{"0.0", 0}, {"127.5", 255}, {"21.3", 42}, {"0.5", 1}},
};

std::map<int, std::string> EditTexts(HWND page)
{
    std::map<int, std::string> texts;
    for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = {};
        ::GetClassNameA(c, cls, sizeof cls);
        if (::lstrcmpiA(cls, "Edit") == 0)
            texts[::GetDlgCtrlID(c)] = D::Text(page, ::GetDlgCtrlID(c));
    }
    return texts;
}

class SafeWriteFields : public SafeWrite {
protected:
    // Opens the page of each field of kFields in turn and runs `act` on it
    // with the field's index; "Plugin" boxes are answered.
    void OnEachField(const std::function<void(size_t k, HWND page, CNodeSite& site)>& act)
    {
        m_answerBoxes = true;
        for (size_t k = 0; k < std::size(kFields); ++k) {
            SCOPED_TRACE(kFields[k].kind);
            NodeModel node = NodeModel::Default();
            OnPage(node, kFields[k].page, [&](HWND page, CNodeSite& site) { act(k, page, site); });
        }
    }
};

// A refused entry stops the Write before its first call: the message names
// the field and its range, the operator is back in the field with its text
// selected, and every entry stays as typed.
TEST_F(SafeWriteFields, EntriesAFieldCannotCarryAreRefusedBeforeAnyCall)
{
    OnEachField([&](size_t k, HWND page, CNodeSite& site) {
        const FieldCase& f = kFields[k];
        for (const char* text : kRefused[k]) {
            SCOPED_TRACE(std::string("\"") + text + "\"");
            D::SetText(page, f.control, text);
            const std::map<int, std::string> typed = EditTexts(page);
            const size_t boxes = m_boxes.size();
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            ASSERT_EQ(m_boxes.size(), boxes + 1) << "no message";
            EXPECT_EQ(m_boxes.back(), f.message);
            for (const NodeCall& c : site.Calls())
                EXPECT_NE(c.point, f.point) << "a refused Write called the node";
            EXPECT_EQ(EditTexts(page), typed);
            HWND edit = ::GetDlgItem(page, f.control);
            EXPECT_EQ(::GetFocus(), edit);
            DWORD from = 1, to = 0;
            ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            EXPECT_EQ(from, 0u);
            EXPECT_EQ(to, std::string(text).size());
        }
    });
}

// Entries at each end of a field's range, and decimals a binary product
// would have stored a unit low, go out as the exact value.
TEST_F(SafeWriteFields, EntriesAreStoredAsTheExactDecimal)
{
    OnEachField([&](size_t k, HWND page, CNodeSite& site) {
        const FieldCase& f = kFields[k];
        for (const auto& t : kTaken[k]) {
            SCOPED_TRACE(std::string("\"") + t.text + "\"");
            D::SetText(page, f.control, t.text);
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            const std::vector<unsigned char> sent = Sent(site, f.point);
            ASSERT_EQ(sent.size(), 31u);
            const size_t at = static_cast<size_t>(f.at);
            const int stored = std::string(f.kind) == "halves" ? sent[at] : sent[at] * 256 + sent[at + 1];
            EXPECT_EQ(stored, t.stored);
        }
    });
    EXPECT_TRUE(m_boxes.empty()) << m_boxes.front();
}

}  // namespace
