// The node's data points and where each zone's values sit in them, as the
// node's documentation lays them out. Byte positions count from 0 in a data
// point's buffer; pairs are high byte first.
#pragma once

#include <array>

namespace node {

constexpr int kZones = 4;

// ---- Points shared by the zones ------------------------------------------------

// Read only: the zones' occupancy states and calculated setpoints.
constexpr long kOccupancyStates = 31;
// Manual overrides of the outputs: four bytes per zone from byte 1, laid out
// as OverrideByte below.
constexpr long kManualOverrides = 55;
// Output level limits, six bytes per zone from byte 1 (LevelByte below);
// then the occupancy timeouts of zones 1 to 3, pairs from byte 25.
constexpr long kOutputLevels = 56;
// PID blocks of zones 1 to 3, ten bytes each from byte 1 (PidPair below).
constexpr long kPidBlocks = 57;
// Settings shared by everything: the occupancy choice (byte 0), zone 4's PID
// block (1-10), the input mode bytes (11-14), the valves (15-20), the
// temperature offsets (pairs from 21) and zone 4's occupancy timeout (29-30).
constexpr long kSettings = 58;


// Point 55, a zone's block: an output's level, then its mode.
enum OverrideByte { kCoolingLevel, kCoolingMode, kHeatingLevel, kHeatingMode, kOverrideBytes };
constexpr int kModeAfterLevel = kCoolingMode - kCoolingLevel;
static_assert(kHeatingMode - kHeatingLevel == kModeAfterLevel, "each output's mode follows its level");
// A mode byte: 0 manual off, 1 manual on; the node runs the output
// automatically on any other value, and documents 2 for it.
enum OverrideMode { kManualOff = 0, kManualOn = 1, kAutomatic = 2 };

// Point 56, a zone's block of levels, halves of a percent.
enum LevelByte {
    kCoolingMinOccupied, kCoolingMinUnoccupied, kCoolingMinStandby, kCoolingMax, kHeatingMin, kHeatingMax,
    kLevelBytes
};

// A PID block: five pairs.
enum PidPair { kP, kI, kD, kHeatingI, kCoolingI, kPidPairs };

// A set point data point: six pairs, cooling before heating, each for the
// states unoccupied, standby, occupied.
enum SetPointPair {
    kCoolingUnoccupied, kCoolingStandby, kCoolingOccupied, kHeatingUnoccupied, kHeatingStandby, kHeatingOccupied,
    kSetPointPairs
};

// An occupancy word of point 31.
enum OccupancyState { kOccupied = 0, kUnoccupied = 1, kStandby = 3 };

// An input mode byte of point 58: the input releases cooling, or is a chosen
// input with none, one or both of its functions.
enum InputMode { kChosenInput = 0, kPlusMinus3 = 1, kWindowSwitch = 2, kBothFunctions = 3, kReleaseCooling = 4 };

// The occupancy choice byte of point 58: the sum of 1 occupied, 2 standby
// and 4 unoccupied; the node knows the pairs only.
enum OccupancyChoice { kChoiceOccupied = 1, kChoiceStandby = 2, kChoiceUnoccupied = 4 };

// Point 58's bytes of no zone's: the occupancy choice, and the valves': a
// type byte per valve (0 for 0 - 10 V, any other value 2 - 10 V), an
// automatic motion byte per valve (1 on, 0 off), and the pair of hours a
// valve stays closed before it moves by itself.
constexpr int kOccupancyChoiceAt = 0;
constexpr int kCoolingValveTypeAt = 15;
constexpr int kHeatingValveTypeAt = 16;
constexpr int kCoolingValveMotionAt = 17;
constexpr int kHeatingValveMotionAt = 18;
constexpr int kClosedValveTimeAt = 19;

// ---- A zone ---------------------------------------------------------------------

// Blocks of the shared points, one after the other from zone 1 on.
constexpr int OverridesAt(int zone) { return 1 + kOverrideBytes * (zone - 1); }  // point 55
constexpr int LevelsAt(int zone) { return 1 + kLevelBytes * (zone - 1); }        // point 56
constexpr int InputModeAt(int zone) { return 10 + zone; }                        // point 58
constexpr int OffsetAt(int zone) { return 21 + 2 * (zone - 1); }                 // point 58, pair
constexpr int OccupancyStateAt(int zone) { return 1 + 2 * (zone - 1); }          // point 31, pair

struct Zone {
    // The zone's own points, the value from byte 0: valve positions in
    // halves of a percent, temperatures in signed hundredths of °C.
    long heatingValve, coolingValve, roomTemperature, activeSetpoint;
    long setPoints;  // the six set points
    // Point 31, pairs: the calculated setpoints.
    int calcCoolingAt, calcHeatingAt;
    // The PID block (ten bytes) and the occupancy timeout (a pair, tenths of
    // seconds).
    long pidPoint;
    int pidAt;
    long timeoutPoint;
    int timeoutAt;
};

// Zone 4 has no valve points of its own in the node's numbering: its valves
// are documented as points 39 and 38, zone 1's. In point 31, zone 2's
// calculated heating setpoint and zone 3's cooling one share bytes 17-18.
// Zones 1 to 3 keep their PID blocks in 57 and timeouts in 56; zone 4 keeps
// both in 58.
inline constexpr Zone kZone[kZones] = {
    //  valves:      room  active  set    | point 31:     | PID block   | timeout
    //  heat  cool                 points | cool    heat  |             |
    {   39,   38,    36,   22,     15,      11,     13,     57,  1,       56, 25},
    {   41,   40,    33,   26,     21,      15,     17,     57, 11,       56, 27},
    {   42,   43,    35,   24,     19,      17,     19,     57, 21,       56, 29},
    {   39,   38,    29,   17,     11,      21,     23,     58,  1,       58, 29},
};

static_assert(kZone[kZones - 1].setPoints != 0, "a row per zone");

inline constexpr const Zone& ZoneAt(int zone) { return kZone[zone - 1]; }

// ---- Where a value lies ---------------------------------------------------------

// A value's bytes: the data point and the first byte.
struct Spot {
    long point;
    int at;
};
// A value of each zone, zone 1 first.
using ZoneSpots = std::array<Spot, kZones>;

template <typename SpotOf>
constexpr ZoneSpots ForZones(SpotOf spotOf)
{
    ZoneSpots spots{};
    for (int zone = 1; zone <= kZones; ++zone)
        spots[static_cast<size_t>(zone - 1)] = spotOf(zone);
    return spots;
}
// A value all zones share.
constexpr ZoneSpots Everywhere(Spot spot)
{
    return ForZones([spot](int) { return spot; });
}

// A zone's own points.
constexpr ZoneSpots HeatingValve() { return ForZones([](int z) { return Spot{ZoneAt(z).heatingValve, 0}; }); }
constexpr ZoneSpots CoolingValve() { return ForZones([](int z) { return Spot{ZoneAt(z).coolingValve, 0}; }); }
constexpr ZoneSpots RoomTemperature() { return ForZones([](int z) { return Spot{ZoneAt(z).roomTemperature, 0}; }); }
constexpr ZoneSpots ActiveSetpoint() { return ForZones([](int z) { return Spot{ZoneAt(z).activeSetpoint, 0}; }); }
constexpr ZoneSpots SetPoint(SetPointPair pair)
{
    return ForZones([pair](int z) { return Spot{ZoneAt(z).setPoints, 2 * pair}; });
}
// Point 31.
constexpr ZoneSpots CalculatedCooling()
{
    return ForZones([](int z) { return Spot{kOccupancyStates, ZoneAt(z).calcCoolingAt}; });
}
constexpr ZoneSpots CalculatedHeating()
{
    return ForZones([](int z) { return Spot{kOccupancyStates, ZoneAt(z).calcHeatingAt}; });
}
constexpr ZoneSpots Occupancy() { return ForZones([](int z) { return Spot{kOccupancyStates, OccupancyStateAt(z)}; }); }
// The zone's blocks of the shared points.
constexpr ZoneSpots Override(OverrideByte byte)
{
    return ForZones([byte](int z) { return Spot{kManualOverrides, OverridesAt(z) + byte}; });
}
constexpr ZoneSpots Level(LevelByte byte)
{
    return ForZones([byte](int z) { return Spot{kOutputLevels, LevelsAt(z) + byte}; });
}
constexpr ZoneSpots Pid(PidPair pair)
{
    return ForZones([pair](int z) { return Spot{ZoneAt(z).pidPoint, ZoneAt(z).pidAt + 2 * pair}; });
}
constexpr ZoneSpots OccupancyTimeout()
{
    return ForZones([](int z) { return Spot{ZoneAt(z).timeoutPoint, ZoneAt(z).timeoutAt}; });
}
constexpr ZoneSpots InputModeByte() { return ForZones([](int z) { return Spot{kSettings, InputModeAt(z)}; }); }
constexpr ZoneSpots Offset() { return ForZones([](int z) { return Spot{kSettings, OffsetAt(z)}; }); }
// Point 58's shared settings.
constexpr ZoneSpots Settings(int at) { return Everywhere({kSettings, at}); }

// A write sends a point as read with the page's bytes replaced, all but its
// last byte; a set point data point, only its six pairs.
constexpr long kWriteLength = 31;
constexpr long kSetPointLength = 2 * kSetPointPairs;

constexpr long WriteLength(long point)
{
    for (const Zone& z : kZone)
        if (z.setPoints == point)
            return kSetPointLength;
    return kWriteLength;
}

}  // namespace node
