// The simulated node behind the stand-in host: a name and numbered 32-byte
// data points, answering the host's read, write and name calls. Failures can
// be switched on per data point and for the name.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

class NodeModel {
public:
    using Point = std::array<std::uint8_t, 32>;

    static constexpr long kPointSize = 32;
    static constexpr std::size_t kMaxNameLength = 50;
    // Data point numbers a node file and SetPoint accept.
    static constexpr long kMinPoint = 0;
    static constexpr long kMaxPoint = 65535;

    // Call results; the pages treat every non-zero status alike.
    static constexpr long kOk = 0;
    static constexpr long kUnknownPoint = 1;
    static constexpr long kSimulatedFailure = 2;
    static constexpr long kBadArgument = 3;
    static constexpr long kNameTooLong = 4;

    // The bytes of a known point, from byte 0 on: min(capacity, 32) of them.
    long ReadPoint(long point, std::uint8_t* buffer, long capacity) const;
    // The first `length` (1 to 32) bytes become the point's bytes 0 to length-1;
    // the bytes after them keep their values.
    long WritePoint(long point, const std::uint8_t* buffer, long length);
    // The name, NUL-ended when shorter than `capacity`, without NUL when it is
    // exactly `capacity` bytes long.
    long GetNodeName(std::uint8_t* buffer, long capacity) const;

    const std::string& Name() const { return m_name; }
    // False (name unchanged) for more than 50 bytes, or a NUL, CR or LF byte.
    bool SetName(std::string_view name);

    const std::map<long, Point>& Points() const { return m_points; }
    const Point* Find(long point) const;
    // Adds or replaces a point; false for a number outside kMinPoint..kMaxPoint.
    bool SetPoint(long point, const Point& bytes);
    // Test support: the host never empties a node.
    void ClearPoints() { m_points.clear(); }

    // The room temperature controller as it might come from service: the 23
    // data points the pages use, a plausible four-zone configuration. Its
    // contents live in NodeDefaults.cpp.
    static NodeModel Default();

    // Calls that fail with kSimulatedFailure while set.
    std::set<long> failRead;
    std::set<long> failWrite;
    bool failName = false;

    friend bool operator==(const NodeModel& a, const NodeModel& b)
    {
        return a.m_name == b.m_name && a.m_points == b.m_points && a.failRead == b.failRead &&
               a.failWrite == b.failWrite && a.failName == b.failName;
    }
    friend bool operator!=(const NodeModel& a, const NodeModel& b) { return !(a == b); }

private:
    std::string m_name;
    std::map<long, Point> m_points;
};

// What the data point holds on this node type, for comments and logs;
// nullptr for a number the pages do not use. Kept with the defaults.
const char* DescribePoint(long point);
