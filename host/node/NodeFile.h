// Node files: a simulated node's name and data points as editable text.
//
//   # a comment; blank lines are ignored
//   name VNX Room 1.04
//   58 03 07 D0 09 60 ... 00   # 32 bytes in hex, byte 0 first
//
// The name is the rest of its line after the blanks that follow "name",
// without trailing blanks; "#" in it is part of the name. A name in double
// quotes is taken verbatim between the first and the last quote, which keeps
// leading and trailing blanks (and is how an empty name is written). At most
// one name line; without one the name is empty. A point line is a decimal
// number from 0 to 65535 and exactly 32 two-digit hex bytes, separated by
// blanks or tabs, optionally followed by a "#" comment. Lines may end in CR LF.
#pragma once

#include "host/node/NodeModel.h"

#include <cstdint>
#include <string>
#include <string_view>

// Two hex digits, either case, as a point line's bytes are written.
bool ParseHexByte(std::string_view word, std::uint8_t& out);

// On success the name and points of `out` are replaced by the file's; its
// failure settings stay as they are. On failure `out` is unchanged and `error`
// reads "line N: ...".
bool ParseNodeFile(std::string_view text, NodeModel& out, std::string& error);

// A header comment, the name line, then one line per point with a comment on
// what it holds. ParseNodeFile reads it back to the same name and points.
std::string FormatNodeFile(const NodeModel& node);

// On failure `out` is unchanged and `error` starts with the path.
bool LoadNodeFile(const std::string& path, NodeModel& out, std::string& error);

// Writes a temporary file beside `path`, flushes it to disk and then replaces
// `path` by it, so that a reader sees either the old file or the new one. A
// failed save leaves any existing file and no temporary file behind.
bool SaveNodeFile(const std::string& path, const NodeModel& node, std::string& error);
