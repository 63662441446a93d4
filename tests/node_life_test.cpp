// The simulated node's life: rooms, valves and overrides, occupancy and the
// setpoints that follow it, its pace, and the points it must leave alone.
#include "host/node/NodeLife.h"
#include "nodeaccess/Convert.h"
#include "tests/ZoneCases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

const CConvert kConvert{};

int Pair(const NodeModel& node, long point, int at)
{
    const NodeModel::Point& p = *node.Find(point);
    return static_cast<int>(std::lround(kConvert.SignedHundredths(p[at], p[at + 1]) * 100));
}

void SetPair(NodeModel& node, long point, int at, int value)
{
    NodeModel::Point p = *node.Find(point);
    p[at] = static_cast<std::uint8_t>(kConvert.High(value));
    p[at + 1] = static_cast<std::uint8_t>(kConvert.Low(value));
    node.SetPoint(point, p);
}

void SetByte(NodeModel& node, long point, int at, int value)
{
    NodeModel::Point p = *node.Find(point);
    p[at] = static_cast<std::uint8_t>(value);
    node.SetPoint(point, p);
}

int Byte(const NodeModel& node, long point, int at) { return (*node.Find(point))[at]; }

struct Setpoints {
    int heating, cooling;
};

// Set point pairs of the zone's settings: cooling unoccupied, standby,
// occupied, then heating likewise.
Setpoints SetpointsOf(const NodeModel& node, const ActualZone& z, int state)
{
    const long setPoints = kSettingsZones[z.zone - 1].setPoints;
    const int pair = state == node::kUnoccupied ? 0 : state == node::kStandby ? 1 : 2;
    return {Pair(node, setPoints, 2 * (3 + pair)), Pair(node, setPoints, 2 * pair)};
}

int State(const NodeModel& node, const ActualZone& z) { return Pair(node, 31, z.occupancyAt); }

// ---- Rooms and valves --------------------------------------------------------

constexpr int kOpen = -1;  // any valve position above zero

struct RoomCase {
    const char* what;
    int state, room;
    int heatMode, heatLevel, coolMode, coolLevel;  // data point 55
    int heatValve, coolValve;                      // halves, or kOpen
    int direction;                                 // +1 heats, -1 cools, 0 drifts
};

const RoomCase kRoomCases[] = {
    {"cold room heats", node::kOccupied, 1800, 2, 0, 2, 0, 200, 0, +1},
    {"warm room cools", node::kOccupied, 2700, 2, 0, 2, 0, 0, kOpen, -1},
    {"barely cold room heats a little", node::kOccupied, 2030, 2, 0, 2, 0, kOpen, 0, +1},
    {"between the setpoints: drift", node::kUnoccupied, 2000, 2, 0, 2, 0, 0, 0, 0},
    {"heating off by hand", node::kOccupied, 1800, 0, 200, 2, 0, 0, 0, 0},
    {"cooling off by hand", node::kOccupied, 2700, 2, 0, 0, 200, 0, 0, 0},
    {"heating on by hand at 20 %", node::kOccupied, 1800, 1, 40, 2, 0, 40, 0, +1},
    {"heating on by hand, warm room", node::kOccupied, 2700, 1, 40, 2, 0, 40, kOpen, -1},
    {"cooling on by hand at 0 %", node::kOccupied, 2700, 2, 0, 1, 0, 0, 0, 0},
    {"level beyond 100 % opens fully", node::kOccupied, 2030, 1, 255, 2, 0, 200, 0, +1},
    {"unknown mode is automatic", node::kOccupied, 1800, 7, 0, 9, 200, 200, 0, +1},
};

void Expect(int valve, int expected, const char* which)
{
    if (expected == kOpen) {
        EXPECT_GT(valve, 0) << which;
    } else {
        EXPECT_EQ(valve, expected) << which;
    }
}

TEST(NodeLife, OpenValvesCarryTheRoomTowardTheSetpoint)
{
    for (const ActualZone& z : kActualZones) {
        for (const RoomCase& c : kRoomCases) {
            SCOPED_TRACE("zone " + std::to_string(z.zone) + ": " + c.what);
            NodeModel node = NodeModel::Default();
            SetPair(node, 31, z.occupancyAt, c.state);
            SetPair(node, z.roomTemp, 0, c.room);
            const int o = z.overridesAt;
            for (auto [at, v] : {std::pair{0, c.coolLevel}, {1, c.coolMode}, {2, c.heatLevel}, {3, c.heatMode}})
                SetByte(node, 55, o + at, v);
            const ZoneValves valves = ControllerValves(node, z.zone);
            const ZoneValves zoneOne = ControllerValves(node, 1);
            Expect(valves.heating, c.heatValve, "heating valve");
            Expect(valves.cooling, c.coolValve, "cooling valve");

            NodeLife(1).Step(node);
            // Zone 4's pages show zone 1's valves.
            const ZoneValves shown = z.zone == 4 ? zoneOne : valves;
            EXPECT_EQ(Byte(node, z.heatValve, 0), shown.heating);
            EXPECT_EQ(Byte(node, z.coolValve, 0), shown.cooling);

            const Setpoints s = SetpointsOf(node, z, c.state);
            const int active = Pair(node, z.setpoint, 0);
            EXPECT_EQ(active, 2 * c.room > s.heating + s.cooling ? s.cooling : s.heating);
            const int moved = Pair(node, z.roomTemp, 0) - c.room;
            if (c.direction == 0) {
                EXPECT_LE(std::abs(moved), 3) << "slow drift";
                continue;
            }
            EXPECT_EQ(moved > 0 ? +1 : -1, c.direction) << moved;
            EXPECT_GE(std::abs(moved), std::min(10, std::abs(active - c.room))) << "visible on the page";
            EXPECT_LE(std::abs(moved), 30) << "not wild";
            EXPECT_LE(std::abs(moved), std::abs(active - c.room)) << "never past the setpoint";
        }
    }
}

// ---- Occupancy ---------------------------------------------------------------------

TEST(NodeLife, OccupancyChangesNowAndThenAndTheSetpointsFollow)
{
    for (std::uint32_t seed : {1u, 2u, 77u, 123456u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        NodeModel node = NodeModel::Default();
        NodeLife life(seed);
        std::set<int> changed;
        for (int step = 1; step <= NodeLife::kMaxHoldSteps; ++step) {
            std::vector<int> rooms, states;
            for (const ActualZone& z : kActualZones) {
                rooms.push_back(Pair(node, z.roomTemp, 0));
                states.push_back(State(node, z));
            }
            life.Step(node);
            for (const ActualZone& z : kActualZones) {
                const int state = State(node, z);
                ASSERT_TRUE(state == 0 || state == 1 || state == 3) << state;
                if (state != states[z.zone - 1]) {
                    EXPECT_GE(step, NodeLife::kMinHoldSteps) << "zone " << z.zone;
                    changed.insert(z.zone);
                }
                const Setpoints s = SetpointsOf(node, z, state);
                const bool cooling = 2 * rooms[z.zone - 1] > s.heating + s.cooling;
                ASSERT_EQ(Pair(node, z.setpoint, 0), cooling ? s.cooling : s.heating) << "zone " << z.zone;
                ASSERT_EQ(Pair(node, 31, z.calcHeatAt), s.heating) << "zone " << z.zone;
                // Bytes 17-18 carry zone 2's heating setpoint, not zone 3's cooling one.
                if (z.zone != 3) {
                    ASSERT_EQ(Pair(node, 31, z.calcCoolAt), s.cooling) << "zone " << z.zone;
                }
            }
        }
        EXPECT_EQ(changed, (std::set<int>{1, 2, 3, 4})) << "every zone changed its state";
    }
}

TEST(NodeLife, SameSeedSameCourse)
{
    NodeModel a = NodeModel::Default(), b = a, c = a;
    NodeLife lifeA(42), lifeB(42), lifeC(43);
    bool differed = false;
    for (int step = 0; step < 300; ++step) {
        lifeA.Step(a);
        lifeB.Step(b);
        lifeC.Step(c);
        ASSERT_EQ(a, b) << "step " << step;
        differed = differed || a != c;
    }
    EXPECT_TRUE(differed) << "another seed, another course";
}

// ---- What the simulation leaves alone ------------------------------------------------

// Overrides at their extremes, and the operator's points with odd bytes.
TEST(NodeLife, StaysInBoundsAndNeverChangesWhatTheOperatorOwns)
{
    const std::set<long> live = {17, 22, 24, 26, 29, 31, 33, 35, 36, 38, 39, 40, 41, 42, 43};
    for (auto [mode, level] : {std::pair{0, 200}, {1, 255}, {1, 0}, {2, 255}}) {
        SCOPED_TRACE("mode " + std::to_string(mode) + ", level " + std::to_string(level));
        NodeModel start = NodeModel::Default();
        start.failWrite = {31, 36};  // the host's calls fail; the node's own changes do not
        NodeModel::Point odd;
        for (std::size_t i = 0; i < odd.size(); ++i)
            odd[i] = static_cast<std::uint8_t>(0x3C ^ (i * 37));
        start.SetPoint(58, odd);
        for (int at = 1; at < 17; ++at)
            SetByte(start, 55, at, at % 2 ? level : mode);
        NodeModel node = start;
        NodeLife life(mode * 1000 + level);
        std::set<long> changed;
        for (int step = 0; step < 600; ++step) {
            const NodeModel before = node;
            life.Step(node);
            for (const ActualZone& z : kActualZones) {
                const ZoneValves v = ControllerValves(node, z.zone);
                for (int halves : {v.heating, v.cooling, Byte(node, z.heatValve, 0), Byte(node, z.coolValve, 0)})
                    ASSERT_LE(halves, 200) << "zone " << z.zone;
                ASSERT_LE(std::abs(Pair(node, z.roomTemp, 0) - Pair(before, z.roomTemp, 0)), 30) << "not wild";
            }
            for (const auto& [number, bytes] : start.Points())
                if (*node.Find(number) != *before.Find(number))
                    changed.insert(number);
        }
        EXPECT_TRUE(std::includes(live.begin(), live.end(), changed.begin(), changed.end()));
        for (long room : {36, 33, 35, 29})
            EXPECT_TRUE(changed.count(room)) << "room " << room << " lives";
        for (long owned : {11, 15, 19, 21, 55, 56, 57, 58})
            EXPECT_EQ(*node.Find(owned), *start.Find(owned)) << "point " << owned;
        // Data point 31 outside the occupancy words and calculated setpoints.
        for (int at : {0, 9, 10, 25, 26, 27, 28, 29, 30, 31})
            EXPECT_EQ(Byte(node, 31, at), Byte(start, 31, at)) << "byte " << at;
        EXPECT_EQ(node.Points().size(), start.Points().size());
        EXPECT_EQ(node.Name(), start.Name());
    }
}

NodeModel Without(const NodeModel& node, long missing)
{
    NodeModel less = node;
    less.ClearPoints();
    for (const auto& [number, bytes] : node.Points())
        if (number != missing)
            less.SetPoint(number, bytes);
    return less;
}

TEST(NodeLife, ZoneWithAPointMissingStaysAsItIs)
{
    struct Case {
        long missing;
        std::set<int> still;  // zones that keep their values
    } const cases[] = {
        {33, {2}}, {11, {4}}, {38, {1, 4}}, {31, {1, 2, 3, 4}}, {55, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("without point " + std::to_string(c.missing));
        const NodeModel start = Without(NodeModel::Default(), c.missing);
        NodeModel node = start;
        NodeLife life(9);
        for (int step = 0; step < 5; ++step)
            life.Step(node);
        EXPECT_EQ(node.Find(c.missing), nullptr);
        for (const ActualZone& z : kActualZones) {
            const bool still = c.still.count(z.zone) > 0;
            if (z.roomTemp != c.missing) {
                EXPECT_EQ(Pair(node, z.roomTemp, 0) == Pair(start, z.roomTemp, 0), still) << "zone " << z.zone;
            }
        }
    }
    for (int zone : {0, 5}) {
        const ZoneValves none = ControllerValves(NodeModel::Default(), zone);
        EXPECT_EQ(none.heating + none.cooling, 0) << "zone " << zone;
    }
}

}  // namespace
