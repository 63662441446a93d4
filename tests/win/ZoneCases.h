// The four zones as the tests know them from the node's documentation:
// each Zone actual page's control IDs, and the zone's data points and byte
// positions. Written out here, apart from the module's own zone table, so
// that a wrong entry there shows.
#pragma once

#include <windows.h>

#include <array>

struct ActualZone {
    int zone;
    int page;  // index of the tab in the sheet
    UINT templateId;
    // Controls of the zone.
    int offset, calcHeat, calcCool, heatMin, heatMax, coolMinUnocc, coolMinStandby, coolMinOcc, coolMax, roomIs;
    int coolAuto, coolOff, coolOn, coolLevel, heatAuto, heatOff, heatOn, heatLevel;
    // The zone's own points.
    long heatValve, coolValve, roomTemp, setpoint;
    // Positions in the shared points: 31 (pairs), 58 (pair), 56 (six bytes), 55 (four bytes).
    int occupancyAt, calcCoolAt, calcHeatAt, offsetAt, levelsAt, overridesAt;
};

inline const ActualZone kActualZones[] = {
    {1, 1, 201, 245, 247, 248, 251, 252, 253, 254, 255, 256, 263, 288, 289, 290, 291, 295, 294, 293, 292,
     39, 38, 36, 22, 1, 11, 13, 21, 1, 1},
    {2, 3, 203, 281, 282, 283, 296, 297, 298, 299, 300, 301, 306, 284, 285, 286, 287, 302, 303, 304, 305,
     41, 40, 33, 26, 3, 15, 17, 23, 7, 5},
    {3, 5, 205, 317, 318, 319, 324, 325, 326, 327, 328, 329, 334, 320, 321, 322, 323, 330, 331, 332, 333,
     42, 43, 35, 24, 5, 17, 19, 25, 13, 9},
    {4, 7, 207, 345, 346, 347, 349, 350, 351, 352, 353, 354, 348, 214, 215, 216, 217, 218, 219, 220, 221,
     39, 38, 29, 17, 7, 21, 23, 27, 19, 13},
};

// The controls whose IDs differ between the zones, in one order.
inline std::array<int, 18> ZoneControlIds(const ActualZone& z)
{
    return {z.offset,  z.calcHeat, z.calcCool, z.heatMin, z.heatMax, z.coolMinUnocc,
            z.coolMinStandby, z.coolMinOcc, z.coolMax, z.roomIs, z.coolAuto, z.coolOff,
            z.coolOn,  z.coolLevel, z.heatAuto, z.heatOff, z.heatOn, z.heatLevel};
}
