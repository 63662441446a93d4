// The simulated node's mechanics: its name and data points, and the read,
// write and name calls the site answers from them.
#include "host/node/NodeModel.h"

#include <algorithm>
#include <cstring>

long NodeModel::ReadPoint(long point, std::uint8_t* buffer, long capacity) const
{
    if (!buffer || capacity <= 0)
        return kBadArgument;
    const Point* p = Find(point);
    if (!p)
        return kUnknownPoint;
    if (failRead.count(point))
        return kSimulatedFailure;
    std::memcpy(buffer, p->data(), static_cast<std::size_t>(std::min(capacity, kPointSize)));
    return kOk;
}

long NodeModel::WritePoint(long point, const std::uint8_t* buffer, long length)
{
    if (!buffer || length <= 0 || length > kPointSize)
        return kBadArgument;
    auto it = m_points.find(point);
    if (it == m_points.end())
        return kUnknownPoint;
    if (failWrite.count(point))
        return kSimulatedFailure;
    std::memcpy(it->second.data(), buffer, static_cast<std::size_t>(length));
    return kOk;
}

long NodeModel::GetNodeName(std::uint8_t* buffer, long capacity) const
{
    if (!buffer || capacity <= 0)
        return kBadArgument;
    if (failName)
        return kSimulatedFailure;
    const std::size_t room = static_cast<std::size_t>(capacity);
    if (m_name.size() > room)
        return kNameTooLong;
    std::memcpy(buffer, m_name.data(), m_name.size());
    if (m_name.size() < room)
        buffer[m_name.size()] = 0;
    return kOk;
}

bool NodeModel::SetName(std::string_view name)
{
    if (name.size() > kMaxNameLength || name.find_first_of(std::string_view("\0\r\n", 3)) != name.npos)
        return false;
    m_name = std::string(name);
    return true;
}

const NodeModel::Point* NodeModel::Find(long point) const
{
    auto it = m_points.find(point);
    return it == m_points.end() ? nullptr : &it->second;
}

bool NodeModel::SetPoint(long point, const Point& bytes)
{
    if (point < kMinPoint || point > kMaxPoint)
        return false;
    m_points[point] = bytes;
    return true;
}
