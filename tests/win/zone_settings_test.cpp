// The four Zone settings pages, with zone 4's occupancy choice, as host and
// operator meet them: one table of zones, each case run on every zone's page
// through the real sheet.
#include "host/node/NodeFile.h"
#include "tests/win/SheetFixture.h"
#include "tests/ZoneCases.h"

#include <map>
#include <string>
#include <vector>

namespace {

using namespace sheet_test;

constexpr long kModes = 58;
const SettingsZone& kZone4 = kSettingsZones[3];

class ZoneSettings : public SheetTest {};

std::string ZoneName(const SettingsZone& z) { return "zone " + std::to_string(z.zone); }

std::vector<unsigned char> Pair(const std::vector<unsigned char>& sent, int at)
{
    if (sent.size() < static_cast<size_t>(at + 2))
        return {};
    return {sent[static_cast<size_t>(at)], sent[static_cast<size_t>(at + 1)]};
}

// The input group as "release choose window +/-3", check states then
// "e" or "d" for the two function boxes: "0100 ee".
std::string Input(HWND page, const SettingsZone& z)
{
    std::string s;
    for (int id : {z.releaseCool, z.chooseInput, z.windowSwitch, z.plusMinus3})
        s += std::to_string(D::Check(page, id));
    s += ' ';
    for (int id : {z.windowSwitch, z.plusMinus3})
        s += ::IsWindowEnabled(::GetDlgItem(page, id)) ? 'e' : 'd';
    return s;
}

// Zone 4's occupancy choice: "Choose Occup =>", then the three boxes
// "Occupancy", "Standby", "UnOccupancy" with e or d: "0 110 eee".
std::string Choice(HWND page)
{
    std::string s = std::to_string(D::Check(page, IDC_CHOOSE_OCCUPANCY)) + ' ';
    for (int id : {IDC_OCCUPANCY, IDC_STANDBY, IDC_UNOCCUPANCY})
        s += std::to_string(D::Check(page, id));
    s += ' ';
    for (int id : {IDC_OCCUPANCY, IDC_STANDBY, IDC_UNOCCUPANCY})
        s += ::IsWindowEnabled(::GetDlgItem(page, id)) ? 'e' : 'd';
    return s;
}

// ---- Call sequences -------------------------------------------------------------------

// Every group in the zone's order; a Write reads the page again at its end.
TEST_F(ZoneSettings, ReadsAndWritesInTheZonesOrder)
{
    for (const SettingsZone& z : kSettingsZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        std::string init, read, write;
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            init = Trace(site);
            site.ClearCalls();
            D::Click(page, IDC_READ);
            read = Trace(site);
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            write = Trace(site);
        });
        EXPECT_EQ(init, z.reads);
        EXPECT_EQ(read, z.reads);
        EXPECT_EQ(write, std::string(z.writes) + z.reads);
    }
}

// 21.5 as the occupied heating set point of zone 1 goes out as 0x08, 0x66 in
// the last pair of data point 15, twelve bytes long, and is in the host's
// node file for its next start.
TEST_F(ZoneSettings, OccupiedHeatingSetPointOfZone1)
{
    TempDir dir;
    const std::string file = (dir / "node.txt").string();
    SiteOptions saving;
    saving.nodeFile = file;
    NodeModel node = NodeModel::Default();
    const NodeModel::Point before = *node.Find(15);
    std::vector<unsigned char> sent;
    std::string shown;
    OnPage(
        node, 2,
        [&](HWND page, CNodeSite& site) {
            D::SetText(page, IDC_SP_HEAT_OCC, "21.5");
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            sent = Sent(site, 15);
            shown = D::Text(page, IDC_SP_HEAT_OCC);
        },
        saving);
    std::vector<unsigned char> expected(before.begin(), before.begin() + 12);
    expected[10] = 0x08;
    expected[11] = 0x66;
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(shown, "21.5");
    NodeModel saved;
    std::string error;
    EXPECT_TRUE(LoadNodeFile(file, saved, error)) << error;
    ASSERT_NE(saved.Find(15), nullptr);
    EXPECT_EQ(std::vector<unsigned char>(saved.Find(15)->begin(), saved.Find(15)->begin() + 12), expected);
}

// ---- Values shown and written ---------------------------------------------------------------

TEST_F(ZoneSettings, ShowsAndWritesTheZonesValues)
{
    for (const SettingsZone& z : kSettingsZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = DistinctNode();
        Put(node, z.setPoints, 0, {0xFE, 0x0C, 0x08, 0x80, 0x27, 0x10, 0x27, 0x11, 0xFF, 0xFF, 0x00, 0x00});
        Put(node, z.pidPoint, z.pidAt, {0x05, 0xDC, 0x00, 0x7B, 0x00, 0x00, 0x00, 0xF0, 0xFF, 0xFF});
        Put(node, z.timeoutPoint, z.timeoutAt, {0x46, 0x50});
        Put(node, kModes, z.inputModeAt, {0});
        Put(node, kModes, 0, {3});
        const NodeModel::Point pidBefore = *node.Find(z.pidPoint), timeoutBefore = *node.Find(z.timeoutPoint),
                               modesBefore = *node.Find(kModes);
        const std::map<int, std::string> shown = {
            {IDC_SP_COOL_UNOCC, "-5.0"}, {IDC_SP_COOL_STANDBY, "21.8"}, {IDC_SP_COOL_OCC, "100.0"},
            {IDC_SP_HEAT_UNOCC, "-555.4"}, {IDC_SP_HEAT_STANDBY, "-0.0"}, {IDC_SP_HEAT_OCC, "0.0"},
            {z.p, "1.500"}, {z.i, "12.3"}, {z.d, "0.0"}, {z.heatI, "240"}, {z.coolI, "65535"}, {z.timeout, "1800.0"},
        };
        const std::map<int, std::string> entries = {
            {IDC_SP_COOL_UNOCC, "-5"}, {IDC_SP_HEAT_OCC, "21.5"}, {z.p, "1.001"}, {z.i, "12.34"}, {z.d, "0"},
            {z.heatI, "4464"}, {z.timeout, "-0.05"},
        };
        const std::map<int, std::string> after = {
            {IDC_SP_COOL_UNOCC, "-5.0"}, {IDC_SP_COOL_STANDBY, "21.8"}, {IDC_SP_HEAT_OCC, "21.5"},
            {z.p, "1.001"}, {z.i, "12.3"}, {z.d, "0.0"}, {z.heatI, "4464"}, {z.coolI, "65535"}, {z.timeout, "0.0"},
        };
        std::vector<unsigned char> setPoints, pid, timeout, modes;
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            for (const auto& [id, text] : shown)
                EXPECT_EQ(D::Text(page, id), text) << "control " << id;
            for (const auto& [id, text] : entries)
                D::SetText(page, id, text);
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            setPoints = Sent(site, z.setPoints);
            pid = Sent(site, z.pidPoint);
            timeout = Sent(site, z.timeoutPoint);
            modes = Sent(site, kModes);
            for (const auto& [id, text] : after)
                EXPECT_EQ(D::Text(page, id), text) << "control " << id << " after the Write";
        });
        // Set points left as shown go back as held: 21.76 shown as 21.8 as
        // 2176, -555.35 shown as -555.4 as 10001, -0.01 as FF FF.
        EXPECT_EQ(setPoints, (std::vector<unsigned char>{0xFE, 0x0C, 0x08, 0x80, 0x27, 0x10, 0x27, 0x11, 0xFF, 0xFF,
                                                         0x08, 0x66}));
        EXPECT_EQ(Pair(pid, z.pidAt), (std::vector<unsigned char>{0x03, 0xE9})) << "P 1.001 is 1001";
        EXPECT_EQ(Pair(pid, z.pidAt + 2), (std::vector<unsigned char>{0x00, 0x7B})) << "I 12.34 is 123";
        EXPECT_EQ(Pair(pid, z.pidAt + 4), (std::vector<unsigned char>{0x00, 0x00}));
        EXPECT_EQ(Pair(pid, z.pidAt + 6), (std::vector<unsigned char>{0x11, 0x70}));
        EXPECT_EQ(Pair(pid, z.pidAt + 8), (std::vector<unsigned char>{0xFF, 0xFF}));
        EXPECT_EQ(Pair(timeout, z.timeoutAt), (std::vector<unsigned char>{0x00, 0x00}));
        if (z.pidPoint != kModes) {
            ExpectKept(pidBefore, pid, Range(z.pidAt, 10));
            ExpectKept(timeoutBefore, timeout, Range(z.timeoutAt, 2));
            ExpectKept(modesBefore, modes, {z.inputModeAt});
        } else {
            std::set<int> owned = Range(z.pidAt, 10);
            owned.insert({z.timeoutAt, z.timeoutAt + 1});
            ExpectKept(modesBefore, pid, owned);
        }
    }
}

// ---- Input mode ----------------------------------------------------------------------------

TEST_F(ZoneSettings, InputModeByteSelectsButtonsAndGoesBackAsShown)
{
    // Before each Write the node's byte becomes 0x7F: buttons left as shown
    // send the byte they were shown from, also one that selects nothing.
    constexpr int kChanged = 0x7F;
    const struct {
        int byte;
        const char* shown;
        int sent;  // by a Write without a click
    } cases[] = {
        {0, "0100 ee", 0}, {1, "0101 ee", 1}, {2, "0110 ee", 2}, {3, "0111 ee", 3},
        {4, "1000 dd", 4}, {5, "0000 ee", 5}, {0xFF, "0000 ee", 0xFF}, {4, "1000 dd", 4},
    };
    for (const SettingsZone& z : kSettingsZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            for (const auto& c : cases) {
                SCOPED_TRACE("input mode byte " + std::to_string(c.byte));
                Put(node, kModes, z.inputModeAt, {c.byte});
                D::Click(page, IDC_READ);
                EXPECT_EQ(Input(page, z), c.shown);
                Put(node, kModes, z.inputModeAt, {kChanged});
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                const std::vector<unsigned char> sent = Sent(site, kModes);
                ASSERT_EQ(sent.size(), 31u);
                EXPECT_EQ(sent[static_cast<size_t>(z.inputModeAt)], c.sent);
            }
        });
    }
}

// The operator's clicks, starting from a byte that selects nothing.
TEST_F(ZoneSettings, ClicksDecideTheInputModeByte)
{
    for (const SettingsZone& z : kSettingsZones) {
        SCOPED_TRACE(ZoneName(z));
        const struct {
            const char* what;
            std::vector<int> clicks;
            const char* shown;
            int sent;
        } cases[] = {
            {"+/- 3 alone", {z.plusMinus3}, "0001 ee", 1},
            {"window switch, then release cool", {z.windowSwitch, z.releaseCool}, "1000 dd", 4},
            {"choose input with neither box", {z.chooseInput}, "0100 ee", 0},
            {"release cool, then choose input and both boxes", {z.releaseCool, z.chooseInput, z.windowSwitch,
                                                                 z.plusMinus3}, "0111 ee", 3},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            NodeModel node = NodeModel::Default();
            Put(node, kModes, z.inputModeAt, {5});
            std::string shown;
            std::vector<unsigned char> sent;
            OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
                for (int id : c.clicks)
                    D::Click(page, id);
                shown = Input(page, z);
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                sent = Sent(site, kModes);
            });
            EXPECT_EQ(shown, c.shown);
            ASSERT_EQ(sent.size(), 31u);
            EXPECT_EQ(sent[static_cast<size_t>(z.inputModeAt)], c.sent);
        }
    }
}

// ---- Zone 4's occupancy choice -------------------------------------------------------------

// The byte shows its pair; left as shown it goes back as held, also a byte
// that shows no pair. (Changed boxes go out as a pair: OccupancyChoiceClicks.)
TEST_F(ZoneSettings, OccupancyChoiceByteShowsItsPairAndGoesBackAsShown)
{
    const struct {
        int byte;
        const char* shown;
        int sent;
        const char* reread;
    } cases[] = {
        {3, "0 110 eee", 3, "0 110 eee"}, {5, "0 101 eee", 5, "0 101 eee"}, {6, "0 011 eee", 6, "0 011 eee"},
        {0, "0 000 eee", 0, "0 000 eee"}, {7, "0 000 eee", 7, "0 000 eee"}, {0xFF, "0 000 eee", 0xFF, "0 000 eee"},
    };
    NodeModel node = NodeModel::Default();
    OnPage(node, kZone4.page, [&](HWND page, CNodeSite& site) {
        for (const auto& c : cases) {
            SCOPED_TRACE("choice byte " + std::to_string(c.byte));
            Put(node, kModes, 0, {c.byte});
            D::Click(page, IDC_READ);
            EXPECT_EQ(Choice(page), c.shown);
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            const std::vector<unsigned char> sent = Sent(site, kModes);
            ASSERT_EQ(sent.size(), 31u);
            EXPECT_EQ(sent[0], c.sent);
            EXPECT_EQ(Choice(page), c.reread);
        }
    });
}

// The three radio buttons stay exclusive; the boxes of the choice can be set
// only after "Choose Occup =>", and decide byte 0 also when disabled.
TEST_F(ZoneSettings, OccupancyChoiceClicks)
{
    const SettingsZone& z = kZone4;
    // The input mode byte starts as 5, which selects nothing; with "Choose
    // Occup =>" selected it goes back as read.
    const struct {
        const char* what;
        std::vector<int> clicks;
        const char *input, *choice;
        int sent, sentMode;
    } cases[] = {
        {"choose occupancy clears the input's buttons and boxes; the choice, left as shown, stays",
         {z.chooseInput, z.windowSwitch, IDC_CHOOSE_OCCUPANCY}, "0000 dd", "1 000 eee", 0, 5},
        {"all three boxes", {IDC_CHOOSE_OCCUPANCY, IDC_OCCUPANCY, IDC_STANDBY, IDC_UNOCCUPANCY}, "0000 dd",
         "1 111 eee", 3, 5},
        {"disabled boxes still decide", {IDC_CHOOSE_OCCUPANCY, IDC_OCCUPANCY, IDC_UNOCCUPANCY, z.releaseCool},
         "1000 dd", "0 101 ddd", 5, 4},
        {"choose input disables the boxes, keeping them", {IDC_CHOOSE_OCCUPANCY, IDC_STANDBY, z.chooseInput},
         "0100 ee", "0 010 ddd", 6, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        Put(node, kModes, 0, {0});
        Put(node, kModes, z.inputModeAt, {5});
        std::string input, choice;
        std::vector<unsigned char> sent;
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            for (int id : c.clicks)
                D::Click(page, id);
            input = Input(page, z);
            choice = Choice(page);
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            sent = Sent(site, kModes);
        });
        EXPECT_EQ(input, c.input);
        EXPECT_EQ(choice, c.choice);
        ASSERT_EQ(sent.size(), 31u);
        EXPECT_EQ(sent[0], c.sent);
        EXPECT_EQ(sent[static_cast<size_t>(z.inputModeAt)], c.sentMode);
    }
}

// ---- Failed and short reads ------------------------------------------------------------

// A Write whose read of the set point point fails writes every other group.
TEST_F(ZoneSettings, AFailedSetPointReadSkipsOnlyThatWrite)
{
    for (const SettingsZone& z : kSettingsZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        std::string written;
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            node.failRead = {z.setPoints};
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            for (const NodeCall* w : Writes(site))
                written += std::to_string(w->point) + " ";
        });
        std::string expected;
        for (size_t at = 0; (at = std::string(z.writes).find('W', at)) != std::string::npos; ++at) {
            const std::string point = std::string(z.writes).substr(at + 1, 2);
            if (point != std::to_string(z.setPoints))
                expected += point + " ";
        }
        EXPECT_EQ(written, expected);
    }
}

// A host that fills only the first 8 bytes of data points 56 and 57, read
// after the whole of 58: the rest of their buffers goes out as zeros, never
// as the bytes of 58. Zone 4 reads neither.
TEST_F(ZoneSettings, AShortReadCarriesNoBytesOfAnotherPoint)
{
    SiteOptions shortReads;
    shortReads.readFill = {{56, 8}, {57, 8}};
    for (const SettingsZone& z : {kSettingsZones[0], kSettingsZones[1], kSettingsZones[2]}) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = DistinctNode();
        auto sent = SentOnWrite(node, z.page, shortReads, {z.pidPoint, z.timeoutPoint});
        const std::vector<unsigned char>& pid = sent[z.pidPoint];
        const std::vector<unsigned char>& timeout = sent[z.timeoutPoint];
        ASSERT_EQ(pid.size(), 31u);
        ASSERT_EQ(timeout.size(), 31u);
        for (int i = 8; i < 31; ++i) {
            if (i < z.pidAt || i >= z.pidAt + 10) {
                EXPECT_EQ(pid[static_cast<size_t>(i)], 0) << "data point 57, byte " << i;
            }
            if (i != z.timeoutAt && i != z.timeoutAt + 1) {
                EXPECT_EQ(timeout[static_cast<size_t>(i)], 0) << "data point 56, byte " << i;
            }
        }
    }
}

}  // namespace
