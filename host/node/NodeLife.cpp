// The zones' controllers and rooms: occupancy picks the set points, a
// proportional rule the valves, and the valves move the room temperature.
#include "host/node/NodeLife.h"

#include "nodeaccess/Convert.h"
#include "nodeaccess/NodeLayout.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

using Point = NodeModel::Point;

// Valve opening per kelvin the room is off its setpoint.
constexpr double kGainPercentPerKelvin = 50.0;
// Hundredths of °C per step: an open valve moves the room by 0.10 °C when
// barely open up to 0.30 °C when fully open; without one it drifts by 0.03 °C.
constexpr int kMinValveRate = 10;
constexpr int kMaxValveRate = 30;
constexpr int kDriftRate = 3;
constexpr int kFullOpenHalves = 200;

// What the simulation adds to a zone's place in the node's layout.
struct LifeZone {
    // Zone 4 has no valve points of its own: its pages show zone 1's, so
    // only zone 1 drives them.
    bool drivesValves;
    // Bytes 17-18 of point 31 would be both zone 2's calculated heating
    // setpoint and zone 3's cooling one; they carry zone 2's.
    bool publishesCalcCooling;
    int ambient;  // hundredths of °C, what the room drifts toward
};

const LifeZone kLifeZones[node::kZones] = {
    {true, true, 1700},
    {true, true, 2700},  // on the sunny side
    {true, false, 1700},
    {false, true, 1600},
};

// The occupancy states, each with the place of its pair among a zone's
// three cooling set points; the heating ones follow, three pairs on.
struct StateColumn {
    int state;
    int pair;
};
constexpr StateColumn kStates[] = {{node::kUnoccupied, node::kCoolingUnoccupied},
                                   {node::kStandby, node::kCoolingStandby},
                                   {node::kOccupied, node::kCoolingOccupied}};
constexpr int kStateCount = static_cast<int>(std::size(kStates));
constexpr int kHeatingPairsFrom = node::kHeatingUnoccupied;

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

bool Complete(const NodeModel& node, const node::Zone& z)
{
    const long needed[] = {z.roomTemperature, z.activeSetpoint,  z.heatingValve,          z.coolingValve,
                           z.setPoints,       node::kOccupancyStates, node::kManualOverrides};
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
    const int pair = kStates[at < kStateCount ? at : IndexOf(node::kOccupied)].pair;
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

Control ControlOf(const NodeModel& node, const node::Zone& z, int state)
{
    return {Hundredths(*node.Find(z.roomTemperature), 0), SetpointsFor(*node.Find(z.setPoints), state)};
}

// One valve in halves: the proportional rule on `demand` (hundredths of K
// the room is off the setpoint on this valve's side), unless set by hand.
int Valve(int demand, std::uint8_t level, std::uint8_t mode)
{
    if (mode == node::kManualOff)
        return 0;
    const double percent =
        mode == node::kManualOn ? kConvert.Halves(level) : kGainPercentPerKelvin * demand / 100.0;
    return kConvert.ToHalves(std::clamp(percent, 0.0, 100.0));
}

ZoneValves Valves(const Point& overrides, int zone, const Control& c)
{
    const std::uint8_t* o = overrides.data() + node::OverridesAt(zone);
    const int heatDemand = c.Cooling() ? 0 : c.Active() - c.room;
    const int coolDemand = c.Cooling() ? c.room - c.Active() : 0;
    return {Valve(heatDemand, o[node::kHeatingLevel], o[node::kHeatingMode]),
            Valve(coolDemand, o[node::kCoolingLevel], o[node::kCoolingMode])};
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

void PublishState(Point& p, int zone, int state, const Setpoints& s)
{
    const node::Zone& z = node::ZoneAt(zone);
    PutPair(p, node::OccupancyStateAt(zone), state);
    if (kLifeZones[zone - 1].publishesCalcCooling)
        PutPair(p, z.calcCoolingAt, s.cooling);
    PutPair(p, z.calcHeatingAt, s.heating);
}

}  // namespace

NodeLife::NodeLife(std::uint32_t seed) : m_random(seed)
{
    for (int& steps : m_hold)
        steps = HoldSteps();
}

void NodeLife::Step(NodeModel& node)
{
    for (int zone = 1; zone <= kZones; ++zone)
        if (Complete(node, node::ZoneAt(zone)))
            StepZone(node, zone);
}

int NodeLife::HoldSteps()
{
    return kMinHoldSteps + static_cast<int>(m_random() % (kMaxHoldSteps - kMinHoldSteps + 1));
}

int NodeLife::NextState(int zone, int state)
{
    if (--m_hold[zone - 1] > 0)
        return state;
    m_hold[zone - 1] = HoldSteps();
    return OtherState(state, m_random());
}

void NodeLife::StepZone(NodeModel& node, int zone)
{
    const node::Zone& z = node::ZoneAt(zone);
    const long states = node::kOccupancyStates;
    const int state = NextState(zone, Word(*node.Find(states), node::OccupancyStateAt(zone)));
    const Control c = ControlOf(node, z, state);
    const ZoneValves v = Valves(*node.Find(node::kManualOverrides), zone, c);
    Change(node, states, [&](Point& p) { PublishState(p, zone, state, c.setpoints); });
    Change(node, z.activeSetpoint, [&](Point& p) { PutPair(p, 0, c.Active()); });
    if (kLifeZones[zone - 1].drivesValves) {
        Change(node, z.heatingValve, [&](Point& p) { p[0] = static_cast<std::uint8_t>(v.heating); });
        Change(node, z.coolingValve, [&](Point& p) { p[0] = static_cast<std::uint8_t>(v.cooling); });
    }
    Change(node, z.roomTemperature, [&](Point& p) { PutPair(p, 0, NextRoom(c, v, kLifeZones[zone - 1].ambient)); });
}

ZoneValves ControllerValves(const NodeModel& node, int zone)
{
    if (zone < 1 || zone > NodeLife::kZones || !Complete(node, node::ZoneAt(zone)))
        return {};
    const node::Zone& z = node::ZoneAt(zone);
    const int state = Word(*node.Find(node::kOccupancyStates), node::OccupancyStateAt(zone));
    return Valves(*node.Find(node::kManualOverrides), zone, ControlOf(node, z, state));
}
