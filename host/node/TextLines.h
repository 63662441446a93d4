// Line-by-line readers of the host's text files (node files, operator
// scripts): lines end in LF or CR LF, and a refused line is named by number.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
