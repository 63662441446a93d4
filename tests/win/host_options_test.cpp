// The host program's command line, and the lists of data points its menu
// asks for.
#include "host/app/HostOptions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(HostOptions, ParsesTheCommandLine)
{
    HostOptions o;
    std::string error;
    ASSERT_TRUE(ParseHostOptions({"--module", "m.ocx", "--node", "n.txt", "--offer", "read", "--separate",
                                  "--delay", "250", "--fail-read", "58,15", "--fail-write", "7",
                                  "--fail-read", "3", "--fail-name", "--still", "--snapshot", "out"},
                                 o, error))
        << error;
    EXPECT_EQ(o.module, "m.ocx");
    EXPECT_EQ(o.nodeFile, "n.txt");
    EXPECT_EQ(o.site.nodeFile, "n.txt");
    EXPECT_TRUE(o.site.offerRead);
    EXPECT_FALSE(o.site.offerWrite);
    EXPECT_TRUE(o.site.separateObjects);
    EXPECT_EQ(o.site.delayMs, 250u);
    EXPECT_EQ(o.failRead, (std::set<long>{3, 15, 58}));
    EXPECT_EQ(o.failWrite, (std::set<long>{7}));
    EXPECT_TRUE(o.failName);
    EXPECT_TRUE(o.still);
    EXPECT_EQ(o.snapshotDir, "out");

    HostOptions scripted;
    ASSERT_TRUE(ParseHostOptions({"--script", "s.txt", "--log", "l.txt"}, scripted, error)) << error;
    EXPECT_EQ(scripted.scriptFile, "s.txt");
    EXPECT_EQ(scripted.logFile, "l.txt");

    HostOptions defaults;
    ASSERT_TRUE(ParseHostOptions({}, defaults, error));
    EXPECT_TRUE(defaults.module.empty());
    EXPECT_TRUE(defaults.site.offerRead && defaults.site.offerWrite);
    EXPECT_TRUE(defaults.snapshotDir.empty());
    EXPECT_FALSE(defaults.still) << "the node lives unless told otherwise";
}

TEST(HostOptions, RefusesBadOptionsNamingThem)
{
    struct Case { std::vector<std::string> args; const char* named; } cases[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"--module"}, "--module"},
        {{"--offer", "some"}, "--offer"},
        {{"--delay", "-5"}, "--delay"},
        {{"--delay", "60001"}, "--delay"},
        {{"--delay", "99999999999999999999"}, "--delay"},
        {{"--fail-read", "58,"}, "--fail-read"},
        {{"--fail-read", "65536"}, "--fail-read"},
        {{"--fail-write", "x"}, "--fail-write"},
        {{"--snapshot", ""}, "--snapshot"},
        {{"--node"}, "--node"},
        {{"--still", "--stil"}, "\"--stil\""},
        {{"--script"}, "--script"},
        {{"--log", ""}, "--log"},
        {{"--snapshot", "p", "--script", "s.txt"}, "--snapshot and --script"},
    };
    for (const Case& c : cases) {
        HostOptions o;
        o.module = "kept";
        std::string error;
        EXPECT_FALSE(ParseHostOptions(c.args, o, error)) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(o.module, "kept") << "nothing is taken from a refused command line";
    }
}

// The menu's questions show the failing points as --fail-read takes them.
TEST(HostOptions, PointListsReadBackAsWritten)
{
    struct Case { std::set<long> points; const char* text; } const cases[] = {
        {{15}, "15"}, {{58, 0, 65535}, "0,58,65535"}, {{}, ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPointList(c.points), c.text);
        std::set<long> read;
        EXPECT_EQ(ParsePointList(c.text, read), !c.points.empty()) << c.text;
        EXPECT_EQ(read, c.points) << c.text;
    }
}

}  // namespace
