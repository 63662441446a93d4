// The zones' controllers and rooms: occupancy picks the set points, a
// proportional rule the valves, and the valves move the room temperature.
#include "host/NodeLife.h"

#include "nodeaccess/Convert.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

using Point = NodeModel::Point;

constexpr long kStatesPoint = 31;     // occupancy words, calculated setpoints
constexpr long kOverridesPoint = 55;  // four bytes per zone
constexpr int kNotPublished = -1;

// A zone's block in data point 55.
constexpr int kCoolLevelAt = 0;  // halves
constexpr int kCoolModeAt = 1;
constexpr int kHeatLevelAt = 2;
constexpr int kHeatModeAt = 3;

// Valve opening per kelvin the room is off its setpoint.
constexpr double kGainPercentPerKelvin = 50.0;
// Hundredths of °C per step: an open valve moves the room by 0.10 °C when
// barely open up to 0.30 °C when fully open; without one it drifts by 0.03 °C.
constexpr int kMinValveRate = 10;
constexpr int kMaxValveRate = 30;
constexpr int kDriftRate = 3;
constexpr int kFullOpenHalves = 200;

struct LifeZone {
    long room, active, heatValve, coolValve, setPoints;
    int occupancyAt, calcCoolAt, calcHeatAt;  // data point 31, pairs
    int overridesAt;                          // data point 55
    bool drivesValves;
    int ambient;  // hundredths of °C, what the room drifts toward
};

// Zone 4 has no valve points of its own: its pages show data points 39 and
// 38, zone 1's valves, so only zone 1 drives them. Bytes 17-18 of data point
// 31 would serve as both zone 2's calculated heating setpoint and zone 3's
// cooling one; they carry zone 2's, and zone 3's cooling one is not shown.
const LifeZone kLifeZones[NodeLife::kZones] = {
    // room, active, valves, set points; point 31; point 55; valves; ambient
    {36, 22, 39, 38, 15, 1, 11, 13, 1, true, 1700},
    {33, 26, 41, 40, 21, 3, 15, 17, 5, true, 2700},  // on the sunny side
    {35, 24, 42, 43, 19, 5, kNotPublished, 19, 9, true, 1700},
    {29, 17, 39, 38, 11, 7, 21, 23, 13, false, 1600},
};

// The occupancy states, each with the place of its pair among a zone's
// three cooling set points; the heating ones follow, three pairs on.
struct StateColumn {
    int state;
    int pair;
};
constexpr StateColumn kStates[] = {
    {NodeModel::kUnoccupied, 0}, {NodeModel::kStandby, 1}, {NodeModel::kOccupied, 2}};
constexpr int kStateCount = static_cast<int>(std::size(kStates));
constexpr int kHeatingPairsFrom = 3;

const CConvert kConvert{};

int Hundredths(const Point& p, int at)
{
    return static_cast<int>(std::lround(kConvert.SignedHundredths(p[at], p[at + 1]) * 100));
}

int Word(const Point& p, int at) { return kConvert.Word(p[at], p[at + 1]); }

void PutPair(Point& p, int at, int value)
{
    p[at] = static_cast<std::uint8_t>(kConvert.High(value));
    p[at + 1] = static_cast<std::uint8_t>(kConvert.Low(value));
}

// Rewrites a point the node already holds.
template <typename Edit>
void Change(NodeModel& node, long number, Edit edit)
{
    Point p = *node.Find(number);
    edit(p);
    node.SetPoint(number, p);
}

bool Complete(const NodeModel& node, const LifeZone& z)
{
    const long needed[] = {z.room, z.active, z.heatValve, z.coolValve, z.setPoints, kStatesPoint, kOverridesPoint};
    return std::all_of(std::begin(needed), std::end(needed), [&node](long n) { return node.Find(n) != nullptr; });
}

// Index into kStates; kStateCount for a state the node does not know.
int IndexOf(int state)
{
    const auto at = std::find_if(std::begin(kStates), std::end(kStates),
                                 [state](const StateColumn& s) { return s.state == state; });
    return static_cast<int>(at - std::begin(kStates));
}

// Any state but the present one.
int OtherState(int state, std::uint32_t random)
{
    const int at = IndexOf(state);
    if (at == kStateCount)
        return kStates[random % kStateCount].state;
    return kStates[(at + 1 + random % (kStateCount - 1)) % kStateCount].state;
}

struct Setpoints {
    int heating, cooling;  // hundredths of °C
};

// A state the node does not know is controlled as occupied, until the next
// change of state replaces it.
Setpoints SetpointsFor(const Point& setPoints, int state)
{
    const int at = IndexOf(state);
    const int pair = kStates[at < kStateCount ? at : IndexOf(NodeModel::kOccupied)].pair;
    return {Hundredths(setPoints, 2 * (kHeatingPairsFrom + pair)), Hundredths(setPoints, 2 * pair)};
}

// The controller works toward the nearer of its two setpoints: the cooling
// one once the room is above their middle, the heating one otherwise.
struct Control {
    int room;
    Setpoints setpoints;

    bool Cooling() const { return 2 * room > setpoints.heating + setpoints.cooling; }
    int Active() const { return Cooling() ? setpoints.cooling : setpoints.heating; }
};

Control ControlOf(const NodeModel& node, const LifeZone& z, int state)
{
    return {Hundredths(*node.Find(z.room), 0), SetpointsFor(*node.Find(z.setPoints), state)};
}

// One valve in halves: the proportional rule on `demand` (hundredths of K
// the room is off the setpoint on this valve's side), unless set by hand.
int Valve(int demand, std::uint8_t level, std::uint8_t mode)
{
    if (mode == NodeModel::kManualOff)
        return 0;
    const double percent =
        mode == NodeModel::kManualOn ? kConvert.Halves(level) : kGainPercentPerKelvin * demand / 100.0;
    return kConvert.ToHalves(std::clamp(percent, 0.0, 100.0));
}

ZoneValves Valves(const Point& overrides, const LifeZone& z, const Control& c)
{
    const std::uint8_t* o = overrides.data() + z.overridesAt;
    const int heatDemand = c.Cooling() ? 0 : c.Active() - c.room;
    const int coolDemand = c.Cooling() ? c.room - c.Active() : 0;
    return {Valve(heatDemand, o[kHeatLevelAt], o[kHeatModeAt]), Valve(coolDemand, o[kCoolLevelAt], o[kCoolModeAt])};
}

int Toward(int from, int to, int most) { return from + std::clamp(to - from, -most, most); }

int ValveRate(int halves) { return kMinValveRate + (kMaxValveRate - kMinValveRate) * halves / kFullOpenHalves; }

// An open valve carries the room toward the active setpoint, never past it;
// otherwise the room drifts toward its surroundings.
int NextRoom(const Control& c, const ZoneValves& v, int ambient)
{
    const int active = c.Active();
    if (v.heating > 0 && c.room < active)
        return Toward(c.room, active, ValveRate(v.heating));
    if (v.cooling > 0 && c.room > active)
        return Toward(c.room, active, ValveRate(v.cooling));
    return Toward(c.room, ambient, kDriftRate);
}

void PublishState(Point& p, const LifeZone& z, int state, const Setpoints& s)
{
    PutPair(p, z.occupancyAt, state);
    if (z.calcCoolAt != kNotPublished)
        PutPair(p, z.calcCoolAt, s.cooling);
    PutPair(p, z.calcHeatAt, s.heating);
}

}  // namespace

NodeLife::NodeLife(std::uint32_t seed) : random_(seed)
{
    for (int& steps : hold_)
        steps = HoldSteps();
}

void NodeLife::Step(NodeModel& node)
{
    for (int zone = 0; zone < kZones; ++zone)
        if (Complete(node, kLifeZones[zone]))
            StepZone(node, zone);
}

int NodeLife::HoldSteps()
{
    return kMinHoldSteps + static_cast<int>(random_() % (kMaxHoldSteps - kMinHoldSteps + 1));
}

int NodeLife::NextState(int zone, int state)
{
    if (--hold_[zone] > 0)
        return state;
    hold_[zone] = HoldSteps();
    return OtherState(state, random_());
}

void NodeLife::StepZone(NodeModel& node, int zone)
{
    const LifeZone& z = kLifeZones[zone];
    const int state = NextState(zone, Word(*node.Find(kStatesPoint), z.occupancyAt));
    const Control c = ControlOf(node, z, state);
    const ZoneValves v = Valves(*node.Find(kOverridesPoint), z, c);
    Change(node, kStatesPoint, [&](Point& p) { PublishState(p, z, state, c.setpoints); });
    Change(node, z.active, [&](Point& p) { PutPair(p, 0, c.Active()); });
    if (z.drivesValves) {
        Change(node, z.heatValve, [&](Point& p) { p[0] = static_cast<std::uint8_t>(v.heating); });
        Change(node, z.coolValve, [&](Point& p) { p[0] = static_cast<std::uint8_t>(v.cooling); });
    }
    Change(node, z.room, [&](Point& p) { PutPair(p, 0, NextRoom(c, v, z.ambient)); });
}

ZoneValves ControllerValves(const NodeModel& node, int zone)
{
    if (zone < 1 || zone > NodeLife::kZones || !Complete(node, kLifeZones[zone - 1]))
        return {};
    const LifeZone& z = kLifeZones[zone - 1];
    const int state = Word(*node.Find(kStatesPoint), z.occupancyAt);
    return Valves(*node.Find(kOverridesPoint), z, ControlOf(node, z, state));
}
