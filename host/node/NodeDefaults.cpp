// The built-in node: the room temperature controller's data points as they
// might come from service, and what each point holds on this node type.
#include "host/node/NodeModel.h"

#include "nodeaccess/Convert.h"
#include "nodeaccess/NodeLayout.h"

#include <map>
#include <string>

namespace {

// Fills one data point through the node's own encodings. Scaled values are
// given as exact integers (hundredths, tenths, thousandths) so that no
// product of a decimal falls short of its unit.
class PointBuilder {
public:
    PointBuilder& Byte(int at, int v)
    {
        m_bytes[at] = static_cast<std::uint8_t>(v);
        return *this;
    }
    PointBuilder& Pair(int at, int v)
    {
        m_bytes[at] = static_cast<std::uint8_t>(m_convert.High(v));
        m_bytes[at + 1] = static_cast<std::uint8_t>(m_convert.Low(v));
        return *this;
    }
    PointBuilder& Halves(int at, double percent) { return Byte(at, m_convert.ToHalves(percent)); }
    // Six set points in hundredths of °C: cooling then heating, each
    // unoccupied, standby, occupied.
    PointBuilder& SetPoints(int coolUnocc, int coolStandby, int coolOcc, int heatUnocc,
                            int heatStandby, int heatOcc)
    {
        const int values[] = {coolUnocc, coolStandby, coolOcc, heatUnocc, heatStandby, heatOcc};
        for (int i = 0; i < 6; ++i)
            Pair(2 * i, values[i]);
        return *this;
    }
    // P in thousandths, I and D in tenths of seconds, heating and cooling I in seconds.
    PointBuilder& Pid(int at, int p, int i, int d, int heatI, int coolI)
    {
        return Pair(at, p).Pair(at + 2, i).Pair(at + 4, d).Pair(at + 6, heatI).Pair(at + 8, coolI);
    }
    const NodeModel::Point& Bytes() const { return m_bytes; }

private:
    NodeModel::Point m_bytes{};
    CConvert m_convert;
};

void PutPoint(NodeModel& node, long point, const PointBuilder& b) { node.SetPoint(point, b.Bytes()); }

const node::Zone& Zone(int zone) { return node::ZoneAt(zone); }

// Set points, hundredths of °C.
void PutSetPoints(NodeModel& node)
{
    PutPoint(node, Zone(1).setPoints, PointBuilder().SetPoints(2800, 2600, 2400, 1600, 1800, 2100));
    PutPoint(node, Zone(2).setPoints, PointBuilder().SetPoints(2800, 2600, 2450, 1600, 1800, 2150));
    PutPoint(node, Zone(3).setPoints, PointBuilder().SetPoints(2800, 2600, 2400, 1600, 1800, 2050));
    PutPoint(node, Zone(4).setPoints, PointBuilder().SetPoints(2800, 2600, 2400, 1500, 1800, 2100));
}

// What the zones' rooms and controllers are doing: active setpoints follow
// each zone's occupancy state (point 31); heating valves are open where a
// room is below its setpoint. Zone 4 shows zone 1's valves.
void PutLiveValues(NodeModel& node)
{
    const struct {
        int activeSetpoint, room;  // hundredths of °C
        double heatingValve, coolingValve;  // %
    } zones[node::kZones] = {
        {2100, 2085, 35.0, 0.0},  // occupied
        {1600, 1720, 0.0, 0.0},   // unoccupied
        {1800, 1790, 12.5, 0.0},  // standby
        {2100, 2060, 35.0, 0.0},  // occupied
    };
    for (int zone = node::kZones; zone >= 1; --zone) {
        const auto& v = zones[zone - 1];
        PutPoint(node, Zone(zone).activeSetpoint, PointBuilder().Pair(0, v.activeSetpoint));
        PutPoint(node, Zone(zone).roomTemperature, PointBuilder().Pair(0, v.room));
        PutPoint(node, Zone(zone).heatingValve, PointBuilder().Halves(0, v.heatingValve));
        PutPoint(node, Zone(zone).coolingValve, PointBuilder().Halves(0, v.coolingValve));
    }
}

// Point 31: each zone's occupancy word and calculated setpoints. Zone 3's
// cooling pair is zone 2's heating pair (bytes 17-18), and holds zone 2's.
PointBuilder OccupancyStates()
{
    const struct {
        int state, calcCooling, calcHeating;
    } zones[node::kZones] = {
        {node::kOccupied, 2400, 2100},
        {node::kUnoccupied, 2800, 1600},
        {node::kStandby, 1600, 1800},
        {node::kOccupied, 2400, 2100},
    };
    PointBuilder states;
    for (int zone = node::kZones; zone >= 1; --zone) {
        const auto& v = zones[zone - 1];
        states.Pair(node::OccupancyStateAt(zone), v.state)
            .Pair(Zone(zone).calcCoolingAt, v.calcCooling)
            .Pair(Zone(zone).calcHeatingAt, v.calcHeating);
    }
    return states;
}

// Point 55, manual overrides: zone 3 keeps cooling off, zone 4 heats by hand
// at 40 %.
PointBuilder Overrides()
{
    const int modes[node::kZones][2] = {{node::kAutomatic, node::kAutomatic},
                                        {node::kAutomatic, node::kAutomatic},
                                        {node::kManualOff, node::kAutomatic},
                                        {node::kAutomatic, node::kManualOn}};
    PointBuilder overrides;
    for (int zone = 1; zone <= node::kZones; ++zone)
        overrides.Byte(node::OverridesAt(zone) + node::kCoolingMode, modes[zone - 1][0])
            .Byte(node::OverridesAt(zone) + node::kHeatingMode, modes[zone - 1][1]);
    return overrides.Halves(node::OverridesAt(4) + node::kHeatingLevel, 40.0);
}

// Point 56: output level limits, and the occupancy timeouts of zones 1 to 3
// in tenths of seconds.
PointBuilder OutputLevels()
{
    PointBuilder levels;
    for (int zone = 1; zone <= node::kZones; ++zone) {
        const int at = node::LevelsAt(zone);
        levels.Halves(at + node::kCoolingMinOccupied, 10.0)
            .Halves(at + node::kCoolingMinUnoccupied, 0.0)
            .Halves(at + node::kCoolingMinStandby, 5.0)
            .Halves(at + node::kCoolingMax, 100.0)
            .Halves(at + node::kHeatingMin, 0.0)
            .Halves(at + node::kHeatingMax, 100.0);
    }
    return levels.Pair(Zone(1).timeoutAt, 18000).Pair(Zone(2).timeoutAt, 12000).Pair(Zone(3).timeoutAt, 9000);
}

// Point 57: the PID blocks of zones 1 to 3.
PointBuilder PidBlocks()
{
    return PointBuilder()
        .Pid(Zone(1).pidAt, 2500, 3000, 0, 240, 360)
        .Pid(Zone(2).pidAt, 3000, 3000, 0, 240, 360)
        .Pid(Zone(3).pidAt, 2500, 2400, 0, 180, 300);
}

// Point 58: occupancy choice (occupied and standby), zone 4's PID block,
// input modes (window switch, chosen input, both functions, release
// cooling), valve types (cooling 0 - 10 V, heating 2 - 10 V), automatic
// valve motion on, closed valve time one week, temperature offsets (zone 2
// -0.50 °C, zone 3 +0.30 °C), zone 4's timeout.
PointBuilder Settings()
{
    return PointBuilder()
        .Byte(node::kOccupancyChoiceAt, node::kChoiceOccupied + node::kChoiceStandby)
        .Pid(Zone(4).pidAt, 2000, 2400, 0, 240, 360)
        .Byte(node::InputModeAt(1), node::kWindowSwitch)
        .Byte(node::InputModeAt(2), node::kChosenInput)
        .Byte(node::InputModeAt(3), node::kBothFunctions)
        .Byte(node::InputModeAt(4), node::kReleaseCooling)
        .Byte(node::kCoolingValveTypeAt, 0)
        .Byte(node::kHeatingValveTypeAt, 1)
        .Byte(node::kCoolingValveMotionAt, 1)
        .Byte(node::kHeatingValveMotionAt, 1)
        .Pair(node::kClosedValveTimeAt, 168)
        .Pair(node::OffsetAt(1), 0)
        .Pair(node::OffsetAt(2), -50)
        .Pair(node::OffsetAt(3), 30)
        .Pair(node::OffsetAt(4), 0)
        .Pair(Zone(4).timeoutAt, 18000);
}

// What each point the pages use holds, by the node's layout.
std::map<long, std::string> PointDescriptions()
{
    std::map<long, std::string> d = {
        {node::kOccupancyStates, "occupancy states, calculated setpoints"},
        {node::kManualOverrides, "manual overrides"},
        {node::kOutputLevels, "output levels, occupancy timeouts zones 1-3"},
        {node::kPidBlocks, "PID zones 1-3"},
        {node::kSettings, "occupancy choice, zone 4 PID, input modes, valves, offsets"},
    };
    // Zone 1 last: zone 4's page shows its valves.
    for (int zone = node::kZones; zone >= 1; --zone) {
        const node::Zone& z = Zone(zone);
        const std::string name = "zone " + std::to_string(zone);
        d[z.setPoints] = name + " set points";
        d[z.activeSetpoint] = name + " setpoint";
        d[z.roomTemperature] = name + " room temperature";
        d[z.heatingValve] = name + " heating valve";
        d[z.coolingValve] = name + " cooling valve";
    }
    for (long valve : {Zone(1).heatingValve, Zone(1).coolingValve})
        d[valve] += " (zone 4 page too)";
    return d;
}

}  // namespace

NodeModel NodeModel::Default()
{
    NodeModel node;
    node.SetName("VNX Room 1.04");
    PutSetPoints(node);
    PutLiveValues(node);
    PutPoint(node, node::kOccupancyStates, OccupancyStates());
    PutPoint(node, node::kManualOverrides, Overrides());
    PutPoint(node, node::kOutputLevels, OutputLevels());
    PutPoint(node, node::kPidBlocks, PidBlocks());
    PutPoint(node, node::kSettings, Settings());
    return node;
}

const char* DescribePoint(long point)
{
    static const std::map<long, std::string> descriptions = PointDescriptions();
    const auto it = descriptions.find(point);
    return it == descriptions.end() ? nullptr : it->second.c_str();
}
