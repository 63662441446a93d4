// Operator scripts for the stand-in host (--script FILE): a session on the
// sheet as plain text, one command a line, read into steps before any runs.
//
//   # a comment; blank lines are ignored, and so is a word from "#" on
//   page "Zone 1 Settings"     select a page by its tab caption (opens the sheet)
//   type 262 21.5              set a field's text, by control ID or IDC_ name
//   write                      click Write (201 is Read: "read")
//   expect 262 "21.5"          the field's text
//   expect-point 15 ?? 00 08   the node's data point, from byte 0 on; ?? is any byte
//   expect-box "0.0 to 127.5"  the next step (click, read, write) shows a message
//                              box whose text holds this; the script closes it
//   exit                       press Exit
//
// Arguments are separated by blanks; an argument with blanks, or an empty
// one, is written in double quotes (no quote inside). A page is named by its
// tab caption as the control's module holds it; the host reads the captions
// from the module and passes them in. Portable: the runner lives in
// host/app/ScriptRun.h.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ScriptStep {
    enum Kind { kOpen, kPage, kType, kClick, kWait, kExpect, kExpectPoint, kExit, kExpectBox };
    ScriptStep(Kind kind, int line, std::string source) : kind(kind), line(line), source(std::move(source)) {}

    Kind kind;
    int line;            // in the script; an implicit step has the line that called for it
    std::string source;  // the command as written, or "open (implicit)"
    long number = 0;     // control ID, data point or milliseconds
    std::string text;    // kPage: caption; kType, kExpect: the field's text; kExpectBox: the box's
    std::vector<int> bytes;  // kExpectPoint: 0 to 255, or kAnyByte
};

constexpr int kAnyByte = -1;
// Longest wait one command asks for.
constexpr long kMaxWaitMs = 600000;

// Whether two tab captions name the same page: case does not matter.
bool SameCaption(std::string_view a, std::string_view b);

// Steps in order. The sheet opens implicitly before the first command that
// acts on it while it is closed, and closes with an implicit exit at the end.
// A page command must name one of `pages`, the sheet's tab captions, and its
// step carries the caption as the sheet has it; when the captions are not
// known (`pages` empty) it carries the caption as written. On failure `out`
// is unchanged and `error` reads "line N: ...".
bool ParseScript(std::string_view text, const std::vector<std::string>& pages, std::vector<ScriptStep>& out,
                 std::string& error);

// On failure `error` starts with the path.
bool LoadScript(const std::string& path, const std::vector<std::string>& pages, std::vector<ScriptStep>& out,
                std::string& error);
