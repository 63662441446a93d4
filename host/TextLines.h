// The host's text files (node files, operator scripts): read whole, then
// line by line; lines end in LF or CR LF, and a refused line is named by
// number.
#pragma once

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

// The whole file at `path` into `text`; false with `error` "PATH: cannot
// open" or "PATH: read error".
inline bool ReadTextFile(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        error = path + ": read error";
        return false;
    }
    text = content.str();
    return true;
}

// Reads the file at `path` whole and hands it to parse(text, out, what);
// false with `error` "PATH: what".
template <typename Out, typename Parse>
bool LoadTextFile(const std::string& path, Parse parse, Out& out, std::string& error)
{
    std::string text, what;
    if (!ReadTextFile(path, text, error))
        return false;
    if (!parse(text, out, what)) {
        error = path + ": " + what;
        return false;
    }
    return true;
}

// Hands each line of `text` to reader.Line(line, lineNo, what); at the first
// refusal `error` reads "line N: what" and the result is -1. Otherwise the
// number of lines read.
template <typename Reader>
int ReadTextLines(std::string_view text, Reader& reader, std::string& error)
{
    int lineNo = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == text.npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string what;
        if (!reader.Line(line, lineNo, what)) {
            error = "line " + std::to_string(lineNo) + ": " + what;
            return -1;
        }
    }
    return lineNo;
}
