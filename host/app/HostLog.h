// The host's log: each line stamped with the local time, kept for "Save log
// as...", and with --log appended to a file as it comes. A node call's line
// is its FormatNodeCall text after the stamp:
//   2024-05-14 20:03:47.123 ReadPoint 58 capacity 32 -> 0: 03 07 D0 ...
#pragma once

#include "host/site/NodeSite.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// "2024-05-14 20:03:47.123 " and `text`.
std::string StampLine(const SYSTEMTIME& time, const std::string& text);
// A byte as two upper-case hexadecimal digits, as the log shows bytes: "0A".
std::string HexByte(int byte);
// A node call's line: "ReadPoint 58 capacity 32 -> 0: 03 07 ...".
std::string FormatNodeCall(const NodeCall& call);

class CHostLog {
public:
    // Lines from now on are added to the end of `path` as they come, each
    // flushed to the system at once. False, with `error` naming the path,
    // when it cannot be opened.
    bool Open(const std::string& path, std::string& error);

    // Stamps `text` with the local time, keeps it and writes it to the file;
    // the stamped line.
    std::string Add(const std::string& text);

    // Every line so far into `path`, replacing what it held.
    bool SaveAs(const std::string& path, std::string& error) const;

    // Test support: every line so far; the program saves them with SaveAs.
    const std::vector<std::string>& Lines() const { return m_lines; }

    // Once, after a write to the file failed: why. The file is closed then;
    // the lines stay here for SaveAs.
    std::string TakeFileError();

private:
    struct CloseFile {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    std::vector<std::string> m_lines;
    std::string m_path;
    std::unique_ptr<std::FILE, CloseFile> m_file;
    std::string m_fileError;
};
