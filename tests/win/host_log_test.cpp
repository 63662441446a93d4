// The host's log: a line per node call, lines stamped with the local time,
// appended to the log file as they come and saved whole.
#include "host/app/HostLog.h"
#include "tests/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(HostLog, StampsLinesWithTheLocalTime)
{
    struct Case { SYSTEMTIME time; const char* line; } const cases[] = {
        {{2024, 5, 2, 14, 20, 3, 47, 123}, "2024-05-14 20:03:47.123 ReadPoint 58 capacity 32 -> 0: 03"},
        {{2025, 1, 3, 2, 3, 4, 5, 6}, "2025-01-02 03:04:05.006 ReadPoint 58 capacity 32 -> 0: 03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StampLine(c.time, "ReadPoint 58 capacity 32 -> 0: 03"), c.line);
}

TEST(HostLog, FormatsOneLinePerCall)
{
    struct Case { NodeCall call; const char* line; } cases[] = {
        {{NodeCall::kRead, 58, 32, 0, {0x03, 0x07, 0xD0}}, "ReadPoint 58 capacity 32 -> 0: 03 07 D0"},
        {{NodeCall::kRead, 9999, 32, 1, {}}, "ReadPoint 9999 capacity 32 -> 1"},
        {{NodeCall::kWrite, 58, 2, 0, {0xFF, 0x0A}}, "WritePoint 58 length 2 -> 0: FF 0A"},
        {{NodeCall::kWrite, 58, 33, 3, {}}, "WritePoint 58 length 33 -> 3"},
        {{NodeCall::kName, 0, 50, 0, {0x56, 0x4E, 0x58, 0x00}}, "GetNodeName capacity 50 -> 0: 56 4E 58 00"},
        {{NodeCall::kName, 0, -1, 3, {}}, "GetNodeName capacity -1 -> 3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNodeCall(c.call), c.line);
}

// Each line reaches the file as it is added; a file from an earlier run
// keeps what it held.
TEST(HostLog, AppendsToItsFileAsItGoesAndSavesEverything)
{
    TempDir dir;
    const fs::path live = dir / "live.txt", saved = dir / "saved.txt";
    WriteAll(live, "earlier run\n");
    WriteAll(saved, "to be replaced\nand more\n");
    CHostLog log;
    const std::string first = log.Add("before the file");
    std::string error;
    ASSERT_TRUE(log.Open(live.string(), error)) << error;
    const std::string second = log.Add("WritePoint 15 length 2 -> 0: 08 66");
    EXPECT_TRUE(std::regex_match(second, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} WritePoint 15 length 2 -> 0: 08 66)")))
        << second;
    EXPECT_EQ(ReadAll(live), "earlier run\n" + second + "\n") << "written before the log goes";
    ASSERT_TRUE(log.SaveAs(saved.string(), error)) << error;
    EXPECT_EQ(ReadAll(saved), first + "\n" + second + "\n");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{first, second}));
    EXPECT_TRUE(log.TakeFileError().empty());

    const std::string missing = (dir / "no such folder" / "log.txt").string();
    for (bool open : {true, false}) {
        error.clear();
        EXPECT_FALSE(open ? log.Open(missing, error) : log.SaveAs(missing, error));
        EXPECT_EQ(error.rfind(missing, 0), 0u) << error;
    }
}

}  // namespace
