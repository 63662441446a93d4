// The four Zone actual pages as host and operator meet them: one table of
// zones, each case run on every zone's page through the real sheet.
#include "tests/win/SheetFixture.h"
#include "tests/ZoneCases.h"

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace sheet_test;

constexpr long kStates = 31, kOverrides = 55, kLevels = 56, kOffsets = 58;
constexpr int kCommonPage = 9;

class ZoneActual : public SheetTest {};

std::string ZoneName(const ActualZone& z) { return "zone " + std::to_string(z.zone); }

// Check states of one output's three buttons, "Auto, Manual off, Manual on",
// as "100", and whether its level can be entered.
std::string Buttons(HWND page, int autoId, int offId, int onId, int levelId)
{
    std::string s;
    for (int id : {autoId, offId, onId})
        s += std::to_string(D::Check(page, id));
    return s + (::IsWindowEnabled(::GetDlgItem(page, levelId)) ? " enabled" : " disabled");
}
std::string Cool(HWND page, const ActualZone& z) { return Buttons(page, z.coolAuto, z.coolOff, z.coolOn, z.coolLevel); }
std::string Heat(HWND page, const ActualZone& z) { return Buttons(page, z.heatAuto, z.heatOff, z.heatOn, z.heatLevel); }

// ---- Call sequences ---------------------------------------------------------------

TEST_F(ZoneActual, CallsTheNodeInTheOrderOfEachProcedure)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        std::string init, tick, otherTimer, read, write;
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            init = Trace(site);
            auto after = [&](auto action) {
                site.ClearCalls();
                action();
                return Trace(site);
            };
            tick = after([&] { ::SendMessageA(page, WM_TIMER, 1, 0); });
            otherTimer = after([&] { ::SendMessageA(page, WM_TIMER, 7, 0); });
            read = after([&] { D::Click(page, IDC_READ); });
            write = after([&] { D::Click(page, IDC_WRITE); });
            EXPECT_TRUE(::KillTimer(page, 1)) << "the page runs timer 1";
        });
        // Heating valve before cooling valve, then 31, room temperature, setpoint.
        const std::string live = R(z.heatValve) + R(z.coolValve) + R(kStates) + R(z.roomTemp) + R(z.setpoint);
        const std::string settings = R(kOffsets) + R(kLevels) + R(kOverrides);
        EXPECT_EQ(init, live + settings);
        EXPECT_EQ(tick, live);
        EXPECT_EQ(otherTimer, live) << "every timer refreshes the live values";
        EXPECT_EQ(read, settings) << "Read leaves the live values to the timer";
        EXPECT_EQ(write, R(kOffsets) + W(kOffsets) + R(kLevels) + W(kLevels) + R(kOverrides) + W(kOverrides) + settings);
    }
}

// ---- What the page shows ------------------------------------------------------------

TEST_F(ZoneActual, ShowsTheZonesValues)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        Put(node, z.heatValve, 0, {0xFF});                 // halves read unsigned
        Put(node, z.coolValve, 0, {0x80});
        Put(node, kStates, z.calcCoolAt, {0x08, 0x66});    // 2150
        Put(node, kStates, z.calcHeatAt, {0xFE, 0x0C});    // above 10000: negative
        Put(node, kStates, z.occupancyAt, {0x00, 0x03});
        Put(node, z.roomTemp, 0, {0x27, 0x10});            // 10000 is still positive
        Put(node, z.setpoint, 0, {0xFF, 0xFF});
        Put(node, kOffsets, z.offsetAt, {0xFF, 0x6A});
        Put(node, kLevels, z.levelsAt, {20, 21, 22, 23, 24, 25});
        Put(node, kOverrides, z.overridesAt, {0x64, 1, 0xFF, 0});
        OnPage(node, z.page, [&](HWND page, CNodeSite&) {
            const std::map<int, std::string> shown = {
                {IDC_HEAT_VALVE, "127.5"}, {IDC_COOL_VALVE, "64.0"}, {z.calcCool, "21.5"}, {z.calcHeat, "-5.0"},
                {z.roomIs, "Standby"},     {IDC_ROOM_TEMP, "100.0"}, {IDC_SETPOINT, "-0.0"}, {z.offset, "-1.5"},
                {z.coolMinOcc, "10.0"},    {z.coolMinUnocc, "10.5"}, {z.coolMinStandby, "11.0"},
                {z.coolMax, "11.5"},       {z.heatMin, "12.0"},      {z.heatMax, "12.5"},
                {z.coolLevel, "50.0"},     {z.heatLevel, "127.5"},
            };
            for (const auto& [id, text] : shown)
                EXPECT_EQ(D::Text(page, id), text) << "control " << id;
            EXPECT_EQ(Cool(page, z), "001 enabled");
            EXPECT_EQ(Heat(page, z), "010 disabled");
        });
    }
}

// The occupancy word of data point 31; a word the node does not document
// must not leave an earlier state shown.
TEST_F(ZoneActual, ShowsTheOccupancyStateOnEveryTick)
{
    const struct {
        int high, low;
        const char* shown;
    } words[] = {{0, 0, "Occupied"}, {0, 1, "Unoccupied"}, {0, 3, "Standby"}, {1, 0, "Unknown"},
                 {0, 1, "Unoccupied"}, {0, 2, "Unknown"}, {0xFF, 0xFF, "Unknown"}};
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        OnPage(node, z.page, [&](HWND page, CNodeSite&) {
            for (const auto& w : words) {
                Put(node, kStates, z.occupancyAt, {w.high, w.low});
                ::SendMessageA(page, WM_TIMER, 1, 0);
                EXPECT_EQ(D::Text(page, z.roomIs), w.shown) << w.high << " " << w.low;
            }
        });
    }
}

// ---- Modes and clicks ----------------------------------------------------------------

// A mode byte selects a button; left as shown it goes back as the node held
// it, chosen by a click as its mode.
TEST_F(ZoneActual, ModeBytesSelectAButtonAndGoBackAsShownOrChosen)
{
    const struct {
        const char* what;
        int coolByte, heatByte;
        const char *cool, *heat;
        int click;  // 0, or an index into the zone's buttons below
        int coolSent, heatSent;
    } cases[] = {
        {"2 and 127 are automatic, and stay", 2, 127, "100 disabled", "100 disabled", 0, 2, 127},
        {"0xFF is automatic, 0 manual off", 0xFF, 0, "100 disabled", "010 disabled", 0, 0xFF, 0},
        {"1 is manual on, 0x80 automatic", 1, 0x80, "001 enabled", "100 disabled", 0, 1, 0x80},
        {"Auto clicked where it shows already changes nothing", 0x80, 0, "100 disabled", "010 disabled", 1, 0x80, 0},
        {"heating Auto clicked goes out as 2", 0x80, 0, "100 disabled", "010 disabled", 2, 0x80, 2},
        {"cooling Manual off clicked goes out as 0", 0x80, 1, "100 disabled", "001 enabled", 3, 0, 1},
    };
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        const int clicks[] = {0, z.coolAuto, z.heatAuto, z.coolOff};
        NodeModel node = NodeModel::Default();
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            for (const auto& c : cases) {
                SCOPED_TRACE(c.what);
                Put(node, kOverrides, z.overridesAt + 1, {c.coolByte});
                Put(node, kOverrides, z.overridesAt + 3, {c.heatByte});
                D::Click(page, IDC_READ);
                EXPECT_EQ(Cool(page, z), c.cool);
                EXPECT_EQ(Heat(page, z), c.heat);
                if (c.click)
                    D::Click(page, clicks[c.click]);
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                const std::vector<unsigned char> sent = Sent(site, kOverrides);
                ASSERT_EQ(sent.size(), 31u);
                EXPECT_EQ(sent[static_cast<size_t>(z.overridesAt + 1)], c.coolSent);
                EXPECT_EQ(sent[static_cast<size_t>(z.overridesAt + 3)], c.heatSent);
            }
        });
    }
}

// Each click sets its output's three buttons and enables the level for
// "Manual on" only; the other output keeps its state.
TEST_F(ZoneActual, ClicksKeepEachOutputsButtonsExclusive)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        const struct {
            int click;
            const char *cool, *heat;
        } clicks[] = {
            {z.coolOn, "001 enabled", "100 disabled"},  {z.heatOff, "001 enabled", "010 disabled"},
            {z.coolAuto, "100 disabled", "010 disabled"}, {z.heatOn, "100 disabled", "001 enabled"},
            {z.coolOff, "010 disabled", "001 enabled"},  {z.heatAuto, "010 disabled", "100 disabled"},
        };
        NodeModel node = NodeModel::Default();
        Put(node, kOverrides, z.overridesAt, {0, 2, 0, 2});
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            for (const auto& c : clicks) {
                D::Click(page, c.click);
                EXPECT_EQ(Cool(page, z), c.cool) << "after clicking " << c.click;
                EXPECT_EQ(Heat(page, z), c.heat) << "after clicking " << c.click;
            }
            EXPECT_TRUE(Writes(site).empty()) << "a click changes only the controls";
        });
    }
}

// After a failed first read of data point 55 no button is set and both
// levels can be entered; a Write then sends the zone's block as it reads it:
// the page never showed it, and nobody entered anything.
TEST_F(ZoneActual, OverridesNeverShownGoBackAsRead)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        Put(node, kOverrides, z.overridesAt, {0x10, 0, 0x20, 1});
        node.failRead = {kOverrides};
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            EXPECT_EQ(Cool(page, z), "000 enabled");
            EXPECT_EQ(Heat(page, z), "000 enabled");
            node.failRead.clear();
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            const std::vector<unsigned char> sent = Sent(site, kOverrides);
            ASSERT_EQ(sent.size(), 31u);
            const auto block = sent.begin() + z.overridesAt;
            EXPECT_EQ(std::vector<unsigned char>(block, block + 4), (std::vector<unsigned char>{0x10, 0, 0x20, 1}));
        });
    }
}

// ---- Write ---------------------------------------------------------------------------

// Entries go out encoded into the zone's bytes only, also from disabled
// level edits; every other byte, byte 0 included, goes back as read.
TEST_F(ZoneActual, WriteEncodesTheEntriesIntoTheZonesBytesOnly)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = DistinctNode();
        Put(node, kOverrides, z.overridesAt, {0, 2, 0, 2});  // both automatic: levels disabled
        const NodeModel::Point offsets = *node.Find(kOffsets), levels = *node.Find(kLevels),
                               overrides = *node.Find(kOverrides);
        const std::map<int, std::string> entries = {
            {z.offset, "-1.5"},    {z.coolMinOcc, "50.3"}, {z.coolMinUnocc, "127.5"}, {z.coolMinStandby, "0"},
            {z.coolMax, "21.3"},   {z.heatMin, "0.5"},     {z.heatMax, "99.9"},       {z.coolLevel, "50.3"},
            {z.heatLevel, "2.5"},
        };
        const std::map<int, std::string> after = {
            {z.offset, "-1.5"},    {z.coolMinOcc, "50.0"}, {z.coolMinUnocc, "127.5"}, {z.coolMinStandby, "0.0"},
            {z.coolMax, "21.0"},   {z.heatMin, "0.5"},     {z.heatMax, "99.5"},       {z.coolLevel, "50.0"},
            {z.heatLevel, "2.5"},
        };
        std::vector<unsigned char> sentOffsets, sentLevels, sentOverrides;
        OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
            for (const auto& [id, text] : entries)
                D::SetText(page, id, text);
            site.ClearCalls();
            D::Click(page, IDC_WRITE);
            sentOffsets = Sent(site, kOffsets);
            sentLevels = Sent(site, kLevels);
            sentOverrides = Sent(site, kOverrides);
            for (const auto& [id, text] : after)
                EXPECT_EQ(D::Text(page, id), text) << "control " << id << " after the Write";
        });
        ExpectKept(offsets, sentOffsets, Range(z.offsetAt, 2));
        ExpectKept(levels, sentLevels, Range(z.levelsAt, 6));
        ExpectKept(overrides, sentOverrides, {z.overridesAt, z.overridesAt + 2});
        if (sentOffsets.size() == 31u && sentLevels.size() == 31u && sentOverrides.size() == 31u) {
            const size_t o = static_cast<size_t>(z.offsetAt), l = static_cast<size_t>(z.levelsAt),
                         v = static_cast<size_t>(z.overridesAt);
            EXPECT_EQ(std::vector<unsigned char>(&sentOffsets[o], &sentOffsets[o] + 2),
                      (std::vector<unsigned char>{0xFF, 0x6A}));
            EXPECT_EQ(std::vector<unsigned char>(&sentLevels[l], &sentLevels[l] + 6),
                      (std::vector<unsigned char>{100, 255, 0, 42, 1, 199}));
            EXPECT_EQ(std::vector<unsigned char>(&sentOverrides[v], &sentOverrides[v] + 4),
                      (std::vector<unsigned char>{100, 2, 5, 2}));
        }
    }
}

// ---- Failed reads ----------------------------------------------------------------------

// A point whose read fails leaves its own fields empty at the first showing
// and is not written by Write; every other step goes on.
TEST_F(ZoneActual, AFailedReadSkipsOnlyItsOwnStep)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        const std::map<long, std::vector<int>> fieldsOf = {
            {z.heatValve, {IDC_HEAT_VALVE}},
            {z.coolValve, {IDC_COOL_VALVE}},
            {kStates, {z.calcCool, z.calcHeat, z.roomIs}},
            {z.roomTemp, {IDC_ROOM_TEMP}},
            {z.setpoint, {IDC_SETPOINT}},
            {kOffsets, {z.offset}},
            {kLevels, {z.coolMinOcc, z.coolMinUnocc, z.coolMinStandby, z.coolMax, z.heatMin, z.heatMax}},
            {kOverrides, {z.coolLevel, z.heatLevel}},
        };
        for (const auto& [failing, fields] : fieldsOf) {
            SCOPED_TRACE("read of " + std::to_string(failing) + " fails");
            NodeModel node = NodeModel::Default();
            node.failRead = {failing};
            std::string written;
            OnPage(node, z.page, [&](HWND page, CNodeSite& site) {
                for (const auto& [point, ids] : fieldsOf)
                    for (int id : ids)
                        EXPECT_EQ(D::Text(page, id).empty(), point == failing) << "control " << id;
                site.ClearCalls();
                D::Click(page, IDC_WRITE);
                for (const NodeCall* w : Writes(site))
                    written += std::to_string(w->point) + " ";
            });
            std::string expected;
            for (long point : {kOffsets, kLevels, kOverrides})
                if (point != failing)
                    expected += std::to_string(point) + " ";
            EXPECT_EQ(written, expected);
        }
    }
}

// A host that fills only the first 20 bytes of data points 55 and 56, read
// after the whole of 58: the rest of their buffers goes out as zeros, never
// as the bytes of 58.
TEST_F(ZoneActual, AShortReadCarriesNoBytesOfAnotherPoint)
{
    SiteOptions shortReads;
    shortReads.readFill = {{kOverrides, 20}, {kLevels, 20}};
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = DistinctNode();
        auto sent = SentOnWrite(node, z.page, shortReads, {kLevels, kOverrides});
        const std::vector<unsigned char>& levels = sent[kLevels];
        const std::vector<unsigned char>& overrides = sent[kOverrides];
        ASSERT_EQ(levels.size(), 31u);
        ASSERT_EQ(overrides.size(), 31u);
        for (size_t i = 20; i < 31; ++i) {
            EXPECT_EQ(levels[i], 0) << "data point 56, byte " << i;
            EXPECT_EQ(overrides[i], 0) << "data point 55, byte " << i;
        }
    }
}

// ---- The refresh ---------------------------------------------------------------------------

// Read and a tick each change only their own fields: Read leaves the live
// values, a tick leaves what the operator types.
TEST_F(ZoneActual, ReadAndTickEachChangeOnlyTheirFields)
{
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        NodeModel node = NodeModel::Default();
        Put(node, z.roomTemp, 0, {0x07, 0xD0});  // 20.0
        Put(node, kOffsets, z.offsetAt, {0, 0});
        OnPage(node, z.page, [&](HWND page, CNodeSite&) {
            Put(node, z.roomTemp, 0, {0x08, 0x34});  // 21.0
            Put(node, kOffsets, z.offsetAt, {0, 50});
            D::Click(page, IDC_READ);
            EXPECT_EQ(D::Text(page, IDC_ROOM_TEMP), "20.0");
            EXPECT_EQ(D::Text(page, z.offset), "0.5");
            D::SetText(page, z.offset, "2.");
            ::SendMessageA(page, WM_TIMER, 1, 0);
            EXPECT_EQ(D::Text(page, IDC_ROOM_TEMP), "21.0");
            EXPECT_EQ(D::Text(page, z.offset), "2.");
        });
    }
}

// Each page shown once reads its five live points on every tick of its
// two-second timer, also while another page is in front.
TEST_F(ZoneActual, EveryShownPageKeepsRefreshingBehindOthers)
{
    NodeModel node = NodeModel::Default();
    CNodeSite site(node, SiteOptions());
    afx::com_ptr<IOleObject> control = NewControl(site);
    ASSERT_TRUE(control);
    Operator op;
    std::vector<Step> steps = {FindSheet(op)};
    for (const ActualZone& z : kActualZones)
        steps.push_back(ShowPage(op, z.page));
    steps.push_back(ShowPage(op, kCommonPage));
    auto start = std::make_shared<std::chrono::steady_clock::time_point>();
    steps.push_back(Act(op, [&](Operator&) {
        site.ClearCalls();
        *start = std::chrono::steady_clock::now();
    }));
    steps.push_back([start] { return std::chrono::steady_clock::now() - *start > std::chrono::milliseconds(4500); });
    std::vector<NodeCall> calls;
    steps.push_back(Act(op, [&](Operator&) { calls = site.Calls(); }));
    steps.push_back(PressExit(op));
    Open(control.get(), std::move(steps));
    control->SetClientSite(nullptr);

    std::map<long, int> reads;
    for (const NodeCall& c : calls) {
        EXPECT_EQ(c.kind, NodeCall::kRead);
        ++reads[c.point];
    }
    int ticks = 0;
    for (const ActualZone& z : kActualZones) {
        SCOPED_TRACE(ZoneName(z));
        // Two or three ticks in 4.5 s, by when each page's timer started.
        EXPECT_GE(reads[z.roomTemp], 2);
        EXPECT_LE(reads[z.roomTemp], 3);
        ticks += reads[z.roomTemp];
    }
    EXPECT_EQ(calls.size(), static_cast<size_t>(5 * ticks)) << "five reads on each tick, nothing else";
    EXPECT_EQ(reads[kStates], ticks);
}

}  // namespace
