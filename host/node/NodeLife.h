// The simulated node's live values: room temperatures, valves, occupancy
// states and the setpoints that follow them, advanced a step at a time.
#pragma once

#include "host/node/NodeModel.h"
#include "nodeaccess/NodeLayout.h"

#include <array>
#include <cstdint>
#include <random>

// A zone's valve positions in halves of a percent, as the node holds them.
struct ZoneValves {
    int heating = 0;
    int cooling = 0;
};

class NodeLife {
public:
    static constexpr int kZones = node::kZones;  // zones 1 to 4
    // The rates of change are per step, chosen for a step a second.
    static constexpr unsigned kStepMs = 1000;
    // An occupancy state holds for a random number of steps in this range.
    static constexpr int kMinHoldSteps = 30;
    static constexpr int kMaxHoldSteps = 90;

    // The same seed on the same node gives the same course.
    explicit NodeLife(std::uint32_t seed);

    // Changes only the live points: room temperatures, active setpoints,
    // valves and data point 31, also where the host's calls are set to fail.
    // A zone with any of its points missing stays as it is; no point is added.
    void Step(NodeModel& node);

private:
    int HoldSteps();
    int NextState(int zone, int state);
    void StepZone(NodeModel& node, int zone);

    std::mt19937 m_random;
    std::array<int, kZones> m_hold{};
};

// Test support, which Step does not call: the valves zone 1..4's controller
// asks for from the node's present room temperature, occupancy and set
// points, manual overrides applied. Zero for a zone with points missing.
ZoneValves ControllerValves(const NodeModel& node, int zone);
