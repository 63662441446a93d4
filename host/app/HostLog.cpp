// The host's log, in memory and in its file, and its lines for node calls.
#include "host/app/HostLog.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

const char* const kCallNames[] = {"ReadPoint", "WritePoint", "GetNodeName"};

bool WriteLine(std::FILE* f, const std::string& line)
{
    return std::fputs(line.c_str(), f) >= 0 && std::fputc('\n', f) != EOF && std::fflush(f) == 0;
}

}  // namespace

std::string StampLine(const SYSTEMTIME& t, const std::string& text)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return stamp + text;
}

std::string HexByte(int byte)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
    return text;
}

std::string FormatNodeCall(const NodeCall& call)
{
    char head[96];
    const char* name = kCallNames[call.kind];
    if (call.kind == NodeCall::kName)
        std::snprintf(head, sizeof head, "%s capacity %ld -> %ld", name, call.size, call.status);
    else
        std::snprintf(head, sizeof head, "%s %ld %s %ld -> %ld", name, call.point,
                      call.kind == NodeCall::kWrite ? "length" : "capacity", call.size, call.status);
    std::string line = head;
    if (!call.bytes.empty())
        line += ':';
    for (unsigned char b : call.bytes)
        line += ' ' + HexByte(b);
    return line;
}

bool CHostLog::Open(const std::string& path, std::string& error)
{
    // Binary: lines end in LF alone, as in the node file.
    m_file.reset(std::fopen(path.c_str(), "ab"));
    if (!m_file) {
        error = path + ": cannot open (" + std::strerror(errno) + ")";
        return false;
    }
    m_path = path;
    return true;
}

std::string CHostLog::Add(const std::string& text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    m_lines.push_back(StampLine(now, text));
    if (m_file && !WriteLine(m_file.get(), m_lines.back())) {
        m_fileError = m_path + ": write error, the file is closed";
        m_file.reset();
    }
    return m_lines.back();
}

bool CHostLog::SaveAs(const std::string& path, std::string& error) const
{
    std::unique_ptr<std::FILE, CloseFile> f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        error = path + ": cannot create (" + std::strerror(errno) + ")";
        return false;
    }
    for (const std::string& line : m_lines) {
        if (!WriteLine(f.get(), line)) {
            error = path + ": write error";
            return false;
        }
    }
    if (std::fclose(f.release()) != 0) {
        error = path + ": write error";
        return false;
    }
    return true;
}

std::string CHostLog::TakeFileError() { return std::exchange(m_fileError, std::string()); }
