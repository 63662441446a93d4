// The node file: reading and writing the simulated node as text, one line
// per data point.
#include "host/node/NodeFile.h"

#include "host/TextLines.h"

#include "nodeaccess/ValueText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <filesystem>
#include <system_error>
#include <unistd.h>
#endif

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> SplitBlanks(std::string_view s)
{
    std::vector<std::string_view> words;
    for (s = TrimLeft(s); !s.empty(); s = TrimLeft(s)) {
        std::size_t n = 0;
        while (n < s.size() && !IsBlank(s[n]))
            ++n;
        words.push_back(s.substr(0, n));
        s.remove_prefix(n);
    }
    return words;
}

// The name from what follows the keyword; false with `error` set.
bool ParseName(std::string_view rest, std::string& name, std::string& error)
{
    rest = TrimRight(TrimLeft(rest));
    if (!rest.empty() && rest.front() == '"') {
        if (rest.size() < 2 || rest.back() != '"') {
            error = "quoted name must end with '\"'";
            return false;
        }
        rest = rest.substr(1, rest.size() - 2);
    }
    name = std::string(rest);
    return true;
}

// A point number from 0 to kMaxPoint, decimal digits only.
bool ParsePointNumber(std::string_view number, long& point, std::string& error)
{
    if (!std::all_of(number.begin(), number.end(), IsDigit)) {
        error = "bad point number \"" + std::string(number) + "\"";
        return false;
    }
    point = 0;
    for (char c : number) {
        point = point * 10 + (c - '0');
        if (point > NodeModel::kMaxPoint) {
            error = "point number " + std::string(number) + " out of range (" +
                    std::to_string(NodeModel::kMinPoint) + " to " +
                    std::to_string(NodeModel::kMaxPoint) + ")";
            return false;
        }
    }
    return true;
}

// Exactly 32 words of two hex digits each.
bool ParsePointBytes(const std::vector<std::string_view>& words, long point, NodeModel::Point& bytes,
                     std::string& error)
{
    if (words.size() != bytes.size()) {
        error = "point " + std::to_string(point) + ": expected " + std::to_string(bytes.size()) +
                " bytes, found " + std::to_string(words.size());
        return false;
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!ParseHexByte(words[i], bytes[i])) {
            error = "point " + std::to_string(point) + ": bad byte \"" + std::string(words[i]) +
                    "\" (two hex digits expected)";
            return false;
        }
    }
    return true;
}

bool ParsePointLine(std::string_view line, long& point, NodeModel::Point& bytes, std::string& error)
{
    const std::size_t comment = line.find('#');
    std::vector<std::string_view> words = SplitBlanks(line.substr(0, comment));
    if (!ParsePointNumber(words.front(), point, error))
        return false;
    words.erase(words.begin());
    return ParsePointBytes(words, point, bytes, error);
}

bool IsNameLine(std::string_view line)
{
    return line.substr(0, 4) == "name" && (line.size() == 4 || IsBlank(line[4]));
}

bool NeedsQuotes(const std::string& name)
{
    return name.empty() || IsBlank(name.front()) || IsBlank(name.back()) || name.front() == '"';
}

// Takes a node file a line at a time into a node of its own; a refused line
// says why in `what`.
class NodeFileReader {
public:
    // One line without its line end; blank and comment lines are passed over.
    bool Line(std::string_view line, int lineNo, std::string& what);
    NodeModel& Node() { return m_node; }

private:
    bool NameLine(std::string_view rest, int lineNo, std::string& what);
    bool PointLine(std::string_view line, int lineNo, std::string& what);

    NodeModel m_node;
    std::map<long, int> m_firstLine;  // point number -> the line it is on
    int m_nameLine = 0;
};

bool NodeFileReader::Line(std::string_view line, int lineNo, std::string& what)
{
    line = TrimLeft(line);
    if (line.empty() || line.front() == '#')
        return true;
    if (IsNameLine(line))
        return NameLine(line.substr(4), lineNo, what);
    if (!IsDigit(line.front())) {
        what = "expected a data point or a name line";
        return false;
    }
    return PointLine(line, lineNo, what);
}

bool NodeFileReader::NameLine(std::string_view rest, int lineNo, std::string& what)
{
    if (m_nameLine) {
        what = "second name line (first on line " + std::to_string(m_nameLine) + ")";
        return false;
    }
    m_nameLine = lineNo;
    std::string name;
    if (!ParseName(rest, name, what))
        return false;
    if (m_node.SetName(name))
        return true;
    what = name.size() > NodeModel::kMaxNameLength
               ? "name is " + std::to_string(name.size()) + " bytes, at most " +
                     std::to_string(NodeModel::kMaxNameLength) + " allowed"
               : std::string("name contains a NUL or CR byte");
    return false;
}

bool NodeFileReader::PointLine(std::string_view line, int lineNo, std::string& what)
{
    long point = 0;
    NodeModel::Point bytes{};
    if (!ParsePointLine(line, point, bytes, what))
        return false;
    auto [it, added] = m_firstLine.emplace(point, lineNo);
    if (!added) {
        what = "point " + std::to_string(point) + " appears twice (first on line " +
               std::to_string(it->second) + ")";
        return false;
    }
    m_node.SetPoint(point, bytes);
    return true;
}

}  // namespace

bool ParseHexByte(std::string_view word, std::uint8_t& out)
{
    const int high = word.size() == 2 ? HexValue(word[0]) : -1;
    const int low = word.size() == 2 ? HexValue(word[1]) : -1;
    if (high < 0 || low < 0)
        return false;
    out = static_cast<std::uint8_t>(high * 16 + low);
    return true;
}

bool ParseNodeFile(std::string_view text, NodeModel& out, std::string& error)
{
    NodeFileReader reader;
    if (ReadTextLines(text, reader, error) < 0)
        return false;
    NodeModel& parsed = reader.Node();
    parsed.failRead = std::move(out.failRead);
    parsed.failWrite = std::move(out.failWrite);
    parsed.failName = out.failName;
    out = std::move(parsed);
    return true;
}

std::string FormatNodeFile(const NodeModel& node)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text =
        "# Simulated node: its name and its data points.\n"
        "# name <text>: up to 50 bytes; in double quotes to keep leading or trailing blanks.\n"
        "# <point> <32 bytes in hex>: a data point's content, byte 0 first.\n"
        "# '#' starts a comment.\n"
        "\n";
    const std::string& name = node.Name();
    text += NeedsQuotes(name) ? "name \"" + name + "\"\n" : "name " + name + "\n";
    text += "\n";
    for (const auto& [point, bytes] : node.Points()) {
        text += std::to_string(point);
        for (std::uint8_t b : bytes) {
            text += ' ';
            text += kHex[b >> 4];
            text += kHex[b & 0xF];
        }
        if (const char* what = DescribePoint(point))
            text += std::string("  # ") + what;
        text += '\n';
    }
    return text;
}

bool LoadNodeFile(const std::string& path, NodeModel& out, std::string& error)
{
    return LoadTextFile(path, ParseNodeFile, out, error);
}

namespace {

// Data written so far reaches the disk before the file is renamed into place.
bool SyncToDisk(std::FILE* f)
{
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string& error)
{
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = to + ": cannot replace (error " + std::to_string(GetLastError()) + ")";
    return false;
#else
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (!ec)
        return true;
    error = to + ": cannot replace (" + ec.message() + ")";
    return false;
#endif
}

}  // namespace

bool SaveNodeFile(const std::string& path, const NodeModel& node, std::string& error)
{
    const std::string text = FormatNodeFile(node);
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = temp + ": cannot create (" + std::strerror(errno) + ")";
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    written = std::fflush(f) == 0 && written;
    written = SyncToDisk(f) && written;
    written = std::fclose(f) == 0 && written;
    if (!written) {
        error = temp + ": write error";
        std::remove(temp.c_str());
        return false;
    }
    if (!ReplaceFile(temp, path, error)) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
