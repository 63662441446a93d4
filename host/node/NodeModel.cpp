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
    auto it = points_.find(point);
    if (it == points_.end())
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
    if (name_.size() > room)
        return kNameTooLong;
    std::memcpy(buffer, name_.data(), name_.size());
    if (name_.size() < room)
        buffer[name_.size()] = 0;
    return kOk;
}

bool NodeModel::SetName(std::string_view name)
{
    if (name.size() > kMaxNameLength || name.find_first_of(std::string_view("\0\r\n", 3)) != name.npos)
        return false;
    name_ = std::string(name);
    return true;
}

const NodeModel::Point* NodeModel::Find(long point) const
{
    auto it = points_.find(point);
    return it == points_.end() ? nullptr : &it->second;
}

bool NodeModel::SetPoint(long point, const Point& bytes)
{
    if (point < kMinPoint || point > kMaxPoint)
        return false;
    points_[point] = bytes;
    return true;
}
