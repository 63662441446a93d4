// The sheet's tabs and the four zones as the tests know them from the
// node's documentation: each Zone actual page's control IDs, and the zone's
// data points and byte positions. Written out here, apart from the module's
// own resources and zone table and the built-in node, so that a wrong entry
// there shows. Portable: the node's and the scripts' tests use it too.
#pragma once

#include <array>
#include <string>
#include <vector>

// The tab captions, page 0 first; each zone's `page` below is an index here.
inline const std::vector<std::string> kTabCaptions = {
    "Node Information", "Zone 1 Actual",   "Zone 1 Settings", "Zone 2 Actual",   "Zone 2 Settings",
    "Zone 3 Actual",    "Zone 3 Settings", "Zone 4 Actual",   "Zone 4 Settings", "Common settings"};

struct ActualZone {
    int zone;
    int page;  // index of the tab in the sheet
    unsigned templateId;
    // Controls of the zone.
    int offset, calcHeat, calcCool, heatMin, heatMax, coolMinUnocc, coolMinStandby, coolMinOcc, coolMax, roomIs;
    int coolAuto, coolOff, coolOn, coolLevel, heatAuto, heatOff, heatOn, heatLevel;
    // The zone's own points.
    long heatValve, coolValve, roomTemp, setpoint;
    // Positions in the shared points: 31 (pairs), 58 (pair), 56 (six bytes), 55 (four bytes).
    int occupancyAt, calcCoolAt, calcHeatAt, offsetAt, levelsAt, overridesAt;
};

inline const ActualZone kActualZones[] = {
    // zone page template | controls: offset, calculated heat, cool; heating min, max; cooling min unoccupied,
    //                    |   standby, occupied, max; room is; cooling auto, off, on, level; heating auto, off, on, level
    //                    | own points: heating valve, cooling valve, room temperature, setpoint
    //                    | 31: occupancy, calculated cooling, heating; 58: offset; 56: levels; 55: overrides
    {1, 1, 201,           245, 247, 248,  251, 252,  253, 254, 255, 256,  263,  288, 289, 290, 291,  295, 294, 293, 292,
                          39, 38, 36, 22,   1, 11, 13,  21,  1,  1},
    {2, 3, 203,           281, 282, 283,  296, 297,  298, 299, 300, 301,  306,  284, 285, 286, 287,  302, 303, 304, 305,
                          41, 40, 33, 26,   3, 15, 17,  23,  7,  5},
    {3, 5, 205,           317, 318, 319,  324, 325,  326, 327, 328, 329,  334,  320, 321, 322, 323,  330, 331, 332, 333,
                          42, 43, 35, 24,   5, 17, 19,  25, 13,  9},
    {4, 7, 207,           345, 346, 347,  349, 350,  351, 352, 353, 354,  348,  214, 215, 216, 217,  218, 219, 220, 221,
                          39, 38, 29, 17,   7, 21, 23,  27, 19, 13},
};

// The controls whose IDs differ between the zones, in one order.
inline std::array<int, 18> ZoneControlIds(const ActualZone& z)
{
    return {z.offset,  z.calcHeat, z.calcCool, z.heatMin, z.heatMax, z.coolMinUnocc,
            z.coolMinStandby, z.coolMinOcc, z.coolMax, z.roomIs, z.coolAuto, z.coolOff,
            z.coolOn,  z.coolLevel, z.heatAuto, z.heatOff, z.heatOn, z.heatLevel};
}

// Each Zone settings page's controls, points and orders. The set point
// edits, 257 to 262, are the same on every page.
struct SettingsZone {
    int zone;
    int page;
    unsigned templateId;
    const wchar_t* input;  // the input group's title
    int p, i, d, heatI, coolI, timeout, releaseCool, chooseInput, windowSwitch, plusMinus3;
    long setPoints;
    long pidPoint;
    int pidAt;
    long timeoutPoint;
    int timeoutAt;
    int inputModeAt;  // data point 58
    const char* reads;   // the points read, in the zone's order
    const char* writes;  // the points read and written, in the zone's order
};

inline const SettingsZone kSettingsZones[] = {
    // zone page template input | controls: P, I, D, heating I, cooling I, timeout; release cool, choose
    //                          |   input, window switch, +/- 3
    //                          | set points point; PID point, first byte; timeout point, byte; input mode byte
    //                          | reads, then reads and writes, in the zone's order
    {1, 2, 202, L"Input 2",     271, 272, 273, 274, 275, 280,  264, 265, 266, 267,
                                15,  57, 1,  56, 25,  11,
     "R15:32 R57:32 R56:32 R58:32 ",
     "R58:32 W58:31 R56:32 W56:31 R57:32 W57:31 R15:32 W15:12 "},
    {2, 4, 204, L"Input 4",     311, 312, 313, 314, 315, 316,  307, 308, 309, 310,
                                21,  57, 11, 56, 27,  12,
     "R58:32 R21:32 R57:32 R56:32 ",
     "R58:32 W58:31 R56:32 W56:31 R57:32 W57:31 R21:32 W21:12 "},
    {3, 6, 206, L"Input 6",     340, 341, 342, 343, 344, 339,  335, 336, 337, 338,
                                19,  57, 21, 56, 29,  13,
     "R58:32 R19:32 R57:32 R56:32 ",
     "R56:32 W56:31 R58:32 W58:31 R57:32 W57:31 R19:32 W19:12 "},
    {4, 8, 208, L"Input 8",     218, 219, 220, 222, 223, 231,  232, 233, 355, 235,
                                11,  58, 1,  58, 29,  14,
     "R58:32 R11:32 R58:32 ",
     "R58:32 W58:31 R58:32 W58:31 R11:32 W11:12 "},
};

inline std::array<int, 10> ZoneControlIds(const SettingsZone& z)
{
    return {z.p, z.i, z.d, z.heatI, z.coolI, z.timeout, z.releaseCool, z.chooseInput, z.windowSwitch, z.plusMinus3};
}
