// Operator scripts as the host reads them: each command's arguments, the
// implicit opening and closing of the sheet, and what is refused, by line.
#include "host/script/Script.h"
#include "tests/TempDir.h"
#include "tests/ZoneCases.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "line:kind" for each step, kinds by their command name; implicit steps marked "*".
std::string Outline(const std::vector<ScriptStep>& steps)
{
    static const char* const kNames[] = {"open",   "page",         "type", "click",     "wait",
                                         "expect", "expect-point", "exit", "expect-box"};
    std::string out;
    for (const ScriptStep& s : steps) {
        const bool implicit = s.source.find("implicit") != std::string::npos;
        out += (out.empty() ? "" : " ") + std::to_string(s.line) + ":" + kNames[s.kind] + (implicit ? "*" : "");
    }
    return out;
}

// The one step a line gives besides the implicit open and exit.
ScriptStep Only(const std::string& line)
{
    std::vector<ScriptStep> steps;
    std::string error;
    EXPECT_TRUE(ParseScript(line, kTabCaptions, steps, error)) << line << ": " << error;
    for (const ScriptStep& s : steps)
        if (s.source.find("implicit") == std::string::npos)
            return s;
    ADD_FAILURE() << line << ": no step";
    return ScriptStep{ScriptStep::kOpen, 0, ""};
}

TEST(Script, EachCommandTakesItsArguments)
{
    const int any = kAnyByte;
    const struct {
        const char* line;
        ScriptStep::Kind kind;
        long number;
        const char* text;
        std::vector<int> bytes;
    } cases[] = {
        {"page \"Zone 1 Settings\"", ScriptStep::kPage, 0, "Zone 1 Settings", {}},
        {"page \"zone 2 ACTUAL\"", ScriptStep::kPage, 0, "Zone 2 Actual", {}},
        {"type 262 21.5", ScriptStep::kType, 262, "21.5", {}},
        {"type IDC_SP_HEAT_OCC \"\"", ScriptStep::kType, 262, "", {}},
        {"type IDC_HEAT_LEVEL_2 \"40 %\"", ScriptStep::kType, 305, "40 %", {}},
        {"type 262 \"#5\"", ScriptStep::kType, 262, "#5", {}},
        {"type 262 5 # five", ScriptStep::kType, 262, "5", {}},
        {"click 304", ScriptStep::kClick, 304, "", {}},
        {"click IDC_HEAT_ON_4", ScriptStep::kClick, 220, "", {}},
        {"read", ScriptStep::kClick, 201, "", {}},
        {"write", ScriptStep::kClick, 202, "", {}},
        {"\twait   2500\r", ScriptStep::kWait, 2500, "", {}},
        {"expect 262 \"21.5\"", ScriptStep::kExpect, 262, "21.5", {}},
        {"expect-point 15 0a FF ?? 00", ScriptStep::kExpectPoint, 15, "", {0x0A, 0xFF, any, 0x00}},
    };
    for (const auto& c : cases) {
        const ScriptStep s = Only(c.line);
        EXPECT_EQ(s.kind, c.kind) << c.line;
        EXPECT_EQ(s.number, c.number) << c.line;
        EXPECT_EQ(s.text, c.text) << c.line;
        EXPECT_EQ(s.bytes, c.bytes) << c.line;
        EXPECT_EQ(s.line, 1) << c.line;
    }
}

// Without the module's captions a page is taken as written, for the sheet's
// tabs to decide when the script runs.
TEST(Script, PageAsWrittenWhenTheCaptionsAreNotKnown)
{
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(ParseScript("page \"zone 5 actual\"", {}, steps, error)) << error;
    EXPECT_EQ(Outline(steps), "1:open* 1:page 1:exit*");
    EXPECT_EQ(steps[1].text, "zone 5 actual");
}

TEST(Script, ThirtyTwoBytesAtMost)
{
    std::string line = "expect-point 58";
    for (int i = 0; i < 32; ++i)
        line += " 00";
    EXPECT_EQ(Only(line).bytes.size(), 32u);
    std::vector<ScriptStep> steps;
    std::string error;
    EXPECT_FALSE(ParseScript(line + " 00", kTabCaptions, steps, error));
    EXPECT_EQ(error, "line 1: too many arguments, expected: expect-point POINT BYTE...");
}

TEST(Script, TheSheetOpensBeforeItIsUsedAndClosesAtTheEnd)
{
    const struct {
        const char* what;
        const char* script;
        const char* outline;
    } cases[] = {
        {"nothing", "# only a comment\n\n", ""},
        {"first page command opens", "wait 10\npage \"Zone 1 Actual\"\nexit\n", "1:wait 2:open* 2:page 3:exit"},
        {"explicit open", "open\nwrite\nexit", "1:open 2:click 3:exit"},
        {"left open", "open\nread\n\n# done\n", "1:open 2:click 4:exit*"},
        {"node checks alone stay outside", "expect-point 15 00\nwait 5", "1:expect-point 2:wait"},
        {"reopened after exit", "read\nexit\nexpect-point 15 00\nexpect 262 x\n",
         "1:open* 1:click 2:exit 3:expect-point 4:open* 4:expect 4:exit*"},
        {"open with nothing in it", "open\n", "1:open 1:exit*"},
        {"a box expected before a write", "type 262 abc\nexpect-box \"0.0 to\"\nwrite\n",
         "1:open* 1:type 2:expect-box 3:click 3:exit*"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptStep> steps;
        std::string error;
        ASSERT_TRUE(ParseScript(c.script, kTabCaptions, steps, error)) << c.what << ": " << error;
        EXPECT_EQ(Outline(steps), c.outline) << c.what;
    }
}

TEST(Script, StepsEchoTheCommand)
{
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(ParseScript("page   \"Zone 1 Settings\"   # set points\ntype 262 \"\"", kTabCaptions, steps, error))
        << error;
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].source, "open (implicit)");
    EXPECT_EQ(steps[1].source, "page \"Zone 1 Settings\"");
    EXPECT_EQ(steps[2].source, "type 262 \"\"");
    EXPECT_EQ(steps[3].source, "exit (implicit, at the end)");
}

TEST(Script, RefusesMalformedLinesNamingThem)
{
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        {"open\nfrobnicate 3", "line 2: unknown command \"frobnicate\""},
        {"Page \"Zone 1 Actual\"", "line 1: unknown command \"Page\""},
        {"page \"Zone 5 Actual\"", "line 1: no page \"Zone 5 Actual\" on the sheet"},
        {"page Zone 1 Actual", "line 1: too many arguments, expected: page CAPTION"},
        {"page", "line 1: missing argument, expected: page CAPTION"},
        {"\n\ntype 262", "line 3: missing argument, expected: type CONTROL TEXT"},
        {"type 0 1", "line 1: \"0\" is no control ID (1 to 65535) or known IDC_ name"},
        {"click 65536", "line 1: \"65536\" is no control ID (1 to 65535) or known IDC_ name"},
        {"click IDC_NOTHING", "line 1: \"IDC_NOTHING\" is no control ID (1 to 65535) or known IDC_ name"},
        {"read 201", "line 1: too many arguments, expected: read"},
        {"wait 2.5", "line 1: \"2.5\" is no time in milliseconds (0 to 600000)"},
        {"wait 600001", "line 1: \"600001\" is no time in milliseconds (0 to 600000)"},
        {"expect-point 15", "line 1: missing argument, expected: expect-point POINT BYTE..."},
        {"expect-point 65536 00", "line 1: \"65536\" is no data point number (0 to 65535)"},
        {"expect-point 15 0", "line 1: bad byte \"0\" (two hex digits or ?\?)"},
        {"expect-point 15 0g", "line 1: bad byte \"0g\" (two hex digits or ?\?)"},
        {"type 262 \"21.5", "line 1: no closing quote"},
        {"type 262 \"21\"5", "line 1: a quote must stand apart from the words beside it"},
        {"exit", "line 1: the sheet is not open"},
        {"read\nexit\nexit", "line 3: the sheet is not open"},
        {"wait 1\npage \"Zone 1 Actual\"\nopen", "line 3: the sheet is open already (since line 2)"},
        {"read\nexpect-box x\nexpect 262 1", "line 3: expect-box on line 2 must be followed by click, read or write"},
        {"read\nexpect-box x\n# nothing after it\n", "line 2: expect-box must be followed by click, read or write"},
        {"expect-box", "line 1: missing argument, expected: expect-box TEXT"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptStep> steps(1, ScriptStep{ScriptStep::kWait, 99, "kept"});
        std::string error;
        EXPECT_FALSE(ParseScript(c.script, kTabCaptions, steps, error)) << c.script;
        EXPECT_EQ(error, c.error) << c.script;
        ASSERT_EQ(steps.size(), 1u) << "a refused script gives no steps";
        EXPECT_EQ(steps[0].source, "kept");
    }
}

TEST(Script, LoadsFromAFileNamingItInErrors)
{
    TempDir dir;
    WriteAll(dir / "good.txt", "# zone 1\r\nread\r\nexpect 262 \"21.0\"\r\n");
    WriteAll(dir / "bad.txt", "read\nwait soon\n");
    std::vector<ScriptStep> steps;
    std::string error;
    ASSERT_TRUE(LoadScript((dir / "good.txt").string(), kTabCaptions, steps, error)) << error;
    EXPECT_EQ(Outline(steps), "2:open* 2:click 3:expect 3:exit*");
    EXPECT_EQ(steps[2].text, "21.0") << "CR LF line ends";

    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {(dir / "bad.txt").string(), (dir / "bad.txt").string() + ": line 2: \"soon\" is no time in milliseconds (0 to 600000)"},
        {(dir / "none.txt").string(), (dir / "none.txt").string() + ": cannot open"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(LoadScript(c.path, kTabCaptions, steps, error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
