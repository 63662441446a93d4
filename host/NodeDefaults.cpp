// The built-in node: the room temperature controller's data points as they
// might come from service, and what each point holds on this node type.
#include "host/NodeModel.h"

#include "nodeaccess/Convert.h"

namespace {

// Fills one data point through the node's own encodings. Scaled values are
// given as exact integers (hundredths, tenths, thousandths) so that no
// product of a decimal falls short of its unit.
class PointBuilder {
public:
    PointBuilder& Byte(int at, int v)
    {
        bytes_[at] = static_cast<std::uint8_t>(v);
        return *this;
    }
    PointBuilder& Pair(int at, int v)
    {
        bytes_[at] = static_cast<std::uint8_t>(c_.High(v));
        bytes_[at + 1] = static_cast<std::uint8_t>(c_.Low(v));
        return *this;
    }
    PointBuilder& Halves(int at, double percent) { return Byte(at, c_.ToHalves(percent)); }
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
    const NodeModel::Point& Bytes() const { return bytes_; }

private:
    NodeModel::Point bytes_{};
    CConvert c_;
};

void PutPoint(NodeModel& node, long point, const PointBuilder& b) { node.SetPoint(point, b.Bytes()); }

// Set points, hundredths of °C.
void PutSetPoints(NodeModel& node)
{
    PutPoint(node, 15, PointBuilder().SetPoints(2800, 2600, 2400, 1600, 1800, 2100));
    PutPoint(node, 21, PointBuilder().SetPoints(2800, 2600, 2450, 1600, 1800, 2150));
    PutPoint(node, 19, PointBuilder().SetPoints(2800, 2600, 2400, 1600, 1800, 2050));
    PutPoint(node, 11, PointBuilder().SetPoints(2800, 2600, 2400, 1500, 1800, 2100));
}

// What the zones' rooms and controllers are doing: active setpoints follow
// each zone's occupancy state (data point 31); heating valves are open where
// a room is below its setpoint.
void PutLiveValues(NodeModel& node)
{
    PutPoint(node, 22, PointBuilder().Pair(0, 2100));  // zone 1, occupied
    PutPoint(node, 26, PointBuilder().Pair(0, 1600));  // zone 2, unoccupied
    PutPoint(node, 24, PointBuilder().Pair(0, 1800));  // zone 3, standby
    PutPoint(node, 17, PointBuilder().Pair(0, 2100));  // zone 4, occupied

    // Room temperatures.
    PutPoint(node, 36, PointBuilder().Pair(0, 2085));
    PutPoint(node, 33, PointBuilder().Pair(0, 1720));
    PutPoint(node, 35, PointBuilder().Pair(0, 1790));
    PutPoint(node, 29, PointBuilder().Pair(0, 2060));

    PutPoint(node, 39, PointBuilder().Halves(0, 35.0));  // zone 1 heating
    PutPoint(node, 38, PointBuilder().Halves(0, 0.0));   // zone 1 cooling
    PutPoint(node, 41, PointBuilder().Halves(0, 0.0));   // zone 2 heating
    PutPoint(node, 40, PointBuilder().Halves(0, 0.0));   // zone 2 cooling
    PutPoint(node, 42, PointBuilder().Halves(0, 12.5));  // zone 3 heating
    PutPoint(node, 43, PointBuilder().Halves(0, 0.0));   // zone 3 cooling
}

// Data point 31: occupancy words at 1, 3, 5, 7; calculated setpoints, cooling
// then heating, where the pages look for them. Zone 2's heating pair and
// zone 3's cooling pair share bytes 17-18; they hold zone 2's value.
PointBuilder OccupancyStates()
{
    return PointBuilder()
        .Pair(1, NodeModel::kOccupied)
        .Pair(3, NodeModel::kUnoccupied)
        .Pair(5, NodeModel::kStandby)
        .Pair(7, NodeModel::kOccupied)
        .Pair(11, 2400)
        .Pair(13, 2100)
        .Pair(15, 2800)
        .Pair(17, 1600)
        .Pair(19, 1800)
        .Pair(21, 2400)
        .Pair(23, 2100);
}

// Data point 55, manual overrides, four bytes per zone from byte 1: cooling
// level, cooling mode, heating level, heating mode. Zone 3 keeps cooling
// off, zone 4 heats by hand at 40 %.
PointBuilder Overrides()
{
    using M = NodeModel::OverrideMode;
    const M modes[4][2] = {{M::kAuto, M::kAuto}, {M::kAuto, M::kAuto}, {M::kManualOff, M::kAuto},
                           {M::kAuto, M::kManualOn}};
    PointBuilder overrides;
    for (int zone = 0; zone < 4; ++zone)
        overrides.Byte(2 + 4 * zone, modes[zone][0]).Byte(4 + 4 * zone, modes[zone][1]);
    return overrides.Halves(15, 40.0);
}

// Data point 56: output level limits, six bytes per zone from byte 1;
// occupancy timeouts of zones 1 to 3 in tenths of seconds.
PointBuilder OutputLevels()
{
    PointBuilder levels;
    for (int zone = 0; zone < 4; ++zone) {
        const int at = 1 + 6 * zone;
        levels.Halves(at, 10.0)         // cooling minimum, occupied
            .Halves(at + 1, 0.0)        // cooling minimum, unoccupied
            .Halves(at + 2, 5.0)        // cooling minimum, standby
            .Halves(at + 3, 100.0)      // cooling maximum
            .Halves(at + 4, 0.0)        // heating minimum
            .Halves(at + 5, 100.0);     // heating maximum
    }
    return levels.Pair(25, 18000).Pair(27, 12000).Pair(29, 9000);
}

// Data point 57: the PID blocks of zones 1 to 3.
PointBuilder PidBlocks()
{
    return PointBuilder()
        .Pid(1, 2500, 3000, 0, 240, 360)
        .Pid(11, 3000, 3000, 0, 240, 360)
        .Pid(21, 2500, 2400, 0, 180, 300);
}

// Data point 58: occupancy choice (occupied and standby), zone 4 PID, input
// modes (window switch, chosen input, both functions, release cooling),
// valve types (cooling 0-10 V, heating 2-10 V), automatic valve motion on,
// closed valve time one week, temperature offsets, zone 4 timeout.
PointBuilder Settings()
{
    return PointBuilder()
        .Byte(0, 3)
        .Pid(1, 2000, 2400, 0, 240, 360)
        .Byte(11, 2)
        .Byte(12, 0)
        .Byte(13, 3)
        .Byte(14, 4)
        .Byte(15, 0)
        .Byte(16, 1)
        .Byte(17, 1)
        .Byte(18, 1)
        .Pair(19, 168)
        .Pair(21, 0)
        .Pair(23, -50)
        .Pair(25, 30)
        .Pair(27, 0)
        .Pair(29, 18000);
}

}  // namespace

NodeModel NodeModel::Default()
{
    NodeModel node;
    node.SetName("VNX Room 1.04");
    PutSetPoints(node);
    PutLiveValues(node);
    PutPoint(node, 31, OccupancyStates());
    PutPoint(node, 55, Overrides());
    PutPoint(node, 56, OutputLevels());
    PutPoint(node, 57, PidBlocks());
    PutPoint(node, 58, Settings());
    return node;
}

const char* DescribePoint(long point)
{
    switch (point) {
    case 11: return "zone 4 set points";
    case 15: return "zone 1 set points";
    case 17: return "zone 4 setpoint";
    case 19: return "zone 3 set points";
    case 21: return "zone 2 set points";
    case 22: return "zone 1 setpoint";
    case 24: return "zone 3 setpoint";
    case 26: return "zone 2 setpoint";
    case 29: return "zone 4 room temperature";
    case 31: return "occupancy states, calculated setpoints";
    case 33: return "zone 2 room temperature";
    case 35: return "zone 3 room temperature";
    case 36: return "zone 1 room temperature";
    case 38: return "zone 1 cooling valve (zone 4 page too)";
    case 39: return "zone 1 heating valve (zone 4 page too)";
    case 40: return "zone 2 cooling valve";
    case 41: return "zone 2 heating valve";
    case 42: return "zone 3 heating valve";
    case 43: return "zone 3 cooling valve";
    case 55: return "manual overrides";
    case 56: return "output levels, occupancy timeouts zones 1-3";
    case 57: return "PID zones 1-3";
    case 58: return "occupancy choice, zone 4 PID, input modes, valves, offsets";
    default: return nullptr;
    }
}
