// The simulated node: its host calls, its default contents and node files.
#include "host/node/NodeFile.h"
#include "host/node/NodeModel.h"
#include "nodeaccess/ValueText.h"
#include "tests/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

NodeModel::Point Counting()
{
    NodeModel::Point p;
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>(i + 1);
    return p;
}

NodeModel TwoPoints()
{
    NodeModel node;
    node.SetName("Test");
    node.SetPoint(15, Counting());
    node.SetPoint(58, Counting());
    node.failRead = {58};
    node.failWrite = {58};
    return node;
}

struct ReadCase {
    const char* what;
    long point;
    bool nullBuffer;
    long capacity;
    long status;
    int copied;
};

TEST(NodeModel, ReadPoint)
{
    const ReadCase cases[] = {
        {"whole point", 15, false, 32, NodeModel::kOk, 32},
        {"short capacity", 15, false, 5, NodeModel::kOk, 5},
        {"capacity beyond 32", 15, false, 40, NodeModel::kOk, 32},
        {"unknown point", 16, false, 32, NodeModel::kUnknownPoint, 0},
        {"negative point", -15, false, 32, NodeModel::kUnknownPoint, 0},
        {"fail-on-read point", 58, false, 32, NodeModel::kSimulatedFailure, 0},
        {"null buffer", 15, true, 32, NodeModel::kBadArgument, 0},
        {"zero capacity", 15, false, 0, NodeModel::kBadArgument, 0},
        {"negative capacity", 15, false, -1, NodeModel::kBadArgument, 0},
    };
    const NodeModel node = TwoPoints();
    for (const ReadCase& c : cases) {
        std::vector<std::uint8_t> buffer(48, 0xEE);
        EXPECT_EQ(node.ReadPoint(c.point, c.nullBuffer ? nullptr : buffer.data(), c.capacity), c.status)
            << c.what;
        for (int i = 0; i < 48; ++i)
            EXPECT_EQ(buffer[i], i < c.copied ? i + 1 : 0xEE) << c.what << ", byte " << i;
    }
}

struct WriteCase {
    const char* what;
    long point;
    bool nullBuffer;
    long length;
    long status;
    int changed;
};

TEST(NodeModel, WritePoint)
{
    const WriteCase cases[] = {
        {"31 bytes keep byte 31", 15, false, 31, NodeModel::kOk, 31},
        {"12 bytes keep the rest", 15, false, 12, NodeModel::kOk, 12},
        {"whole point", 15, false, 32, NodeModel::kOk, 32},
        {"one byte", 15, false, 1, NodeModel::kOk, 1},
        {"beyond 32 bytes", 15, false, 33, NodeModel::kBadArgument, 0},
        {"zero length", 15, false, 0, NodeModel::kBadArgument, 0},
        {"null buffer", 15, true, 12, NodeModel::kBadArgument, 0},
        {"unknown point", 16, false, 31, NodeModel::kUnknownPoint, 0},
        {"fail-on-write point", 58, false, 31, NodeModel::kSimulatedFailure, 0},
    };
    for (const WriteCase& c : cases) {
        NodeModel node = TwoPoints();
        std::vector<std::uint8_t> source(40, 0xA5);
        EXPECT_EQ(node.WritePoint(c.point, c.nullBuffer ? nullptr : source.data(), c.length), c.status)
            << c.what;
        EXPECT_EQ(node.Find(16), nullptr) << c.what << ": a write never creates a point";
        for (long point : {15L, 58L})
            for (int i = 0; i < 32; ++i)
                EXPECT_EQ((*node.Find(point))[i], point == c.point && i < c.changed ? 0xA5 : i + 1)
                    << c.what << ", point " << point << " byte " << i;
    }
}

struct NameCase {
    const char* what;
    std::string name;
    long capacity;
    bool failName;
    long status;
    bool nul;  // a NUL follows the name
};

TEST(NodeModel, GetNodeName)
{
    const std::string fifty(50, 'N');
    const NameCase cases[] = {
        {"short name", "VNX Room 1.04", 50, false, NodeModel::kOk, true},
        {"exactly 50 bytes, no NUL", fifty, 50, false, NodeModel::kOk, false},
        {"49 bytes and NUL", fifty.substr(1), 50, false, NodeModel::kOk, true},
        {"empty name", "", 1, false, NodeModel::kOk, true},
        {"longer than capacity", "VNX Room 1.04", 12, false, NodeModel::kNameTooLong, false},
        {"fail-name flag", "VNX Room 1.04", 50, true, NodeModel::kSimulatedFailure, false},
        {"zero capacity", "", 0, false, NodeModel::kBadArgument, false},
    };
    for (const NameCase& c : cases) {
        NodeModel node;
        ASSERT_TRUE(node.SetName(c.name)) << c.what;
        node.failName = c.failName;
        std::vector<std::uint8_t> buffer(64, 0xEE);
        ASSERT_EQ(node.GetNodeName(buffer.data(), c.capacity), c.status) << c.what;
        if (c.status != NodeModel::kOk) {
            EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, 0xEE)) << c.what;
            continue;
        }
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + c.name.size()), c.name) << c.what;
        EXPECT_EQ(buffer[c.name.size()], c.nul ? 0 : 0xEE) << c.what;
    }
}

TEST(NodeModel, SetNameAndSetPointRejectWhatTheNodeCannotHold)
{
    NodeModel node;
    ASSERT_TRUE(node.SetName("kept"));
    for (const std::string& bad : {std::string(51, 'x'), std::string("a\0b", 3), std::string("a\rb"),
                                   std::string("a\nb")})
        EXPECT_FALSE(node.SetName(bad));
    EXPECT_EQ(node.Name(), "kept");
    EXPECT_FALSE(node.SetPoint(-1, {}));
    EXPECT_FALSE(node.SetPoint(NodeModel::kMaxPoint + 1, {}));
    EXPECT_TRUE(node.Points().empty());
}

struct ShownCase {
    long point;
    int at;
    FieldKind kind;
    const char* shown;
};

TEST(DefaultNode, HoldsThePagesPointsWithPlausibleValues)
{
    const NodeModel node = NodeModel::Default();
    std::vector<long> numbers;
    for (const auto& entry : node.Points())
        numbers.push_back(entry.first);
    EXPECT_EQ(numbers, (std::vector<long>{11, 15, 17, 19, 21, 22, 24, 26, 29, 31, 33, 35,
                                          36, 38, 39, 40, 41, 42, 43, 55, 56, 57, 58}));
    for (long n : numbers)
        EXPECT_NE(DescribePoint(n), nullptr) << n;
    EXPECT_EQ(node.Name(), "VNX Room 1.04");

    const ShownCase cases[] = {
        {15, 10, FieldKind::SignedHundredths, "21.0"},  // zone 1 heating, occupied
        {15, 4, FieldKind::SignedHundredths, "24.0"},   // zone 1 cooling, occupied
        {21, 10, FieldKind::SignedHundredths, "21.5"},
        {22, 0, FieldKind::SignedHundredths, "21.0"},
        {36, 0, FieldKind::SignedHundredths, "20.9"},   // 20.85
        {58, 23, FieldKind::SignedHundredths, "-0.5"},  // zone 2 offset
        {39, 0, FieldKind::Halves, "35.0"},
        {56, 4, FieldKind::Halves, "100.0"},
        {55, 15, FieldKind::Halves, "40.0"},
        {57, 1, FieldKind::Thousandths, "2.500"},
        {57, 3, FieldKind::Tenths, "300.0"},
        {57, 7, FieldKind::Whole, "240"},
        {56, 25, FieldKind::Tenths, "1800.0"},
        {58, 19, FieldKind::Whole, "168"},
    };
    for (const ShownCase& c : cases)
        EXPECT_EQ(ShowField(c.kind, node.Find(c.point)->data() + c.at), c.shown)
            << "point " << c.point << " byte " << c.at;

    const NodeModel::Point& p58 = *node.Find(58);
    EXPECT_EQ(p58[0], 3) << "occupancy choice: one the pages can show";
    for (int at = 11; at <= 14; ++at)
        EXPECT_LE(p58[at], 4) << "input mode byte " << at;
    const NodeModel::Point& p31 = *node.Find(31);
    for (int at = 1; at <= 7; at += 2) {
        const int word = p31[at] * 256 + p31[at + 1];
        EXPECT_TRUE(word == 0 || word == 1 || word == 3) << "occupancy word at " << at;
    }
}

struct BadFile {
    std::string text;
    const char* error;  // start of the message
};

// Files refused, each with the start of the message that names its line.
std::vector<BadFile> MalformedFiles()
{
    const std::string b32 = " 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"
                            " 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F";
    const std::string b31 = b32.substr(0, b32.size() - 3);
    const std::string ok = "15" + b32 + "\n";
    return {
        {"# c\n\n" + ok + "15" + b32 + "\n", "line 4: point 15 appears twice (first on line 3)"},
        {ok + "16" + b31 + "\n", "line 2: point 16: expected 32 bytes, found 31"},
        {ok + "\n16" + b32 + " 20\n", "line 3: point 16: expected 32 bytes, found 33"},
        {"16" + b31 + " G0\n", "line 1: point 16: bad byte \"G0\""},
        {"16" + b31 + " 0\n", "line 1: point 16: bad byte \"0\""},
        {"16" + b31 + " 000\n", "line 1: point 16: bad byte \"000\""},
        {"65536" + b32 + "\n", "line 1: point number 65536 out of range"},
        {"99999999999999999999" + b32 + "\n", "line 1: point number 99999999999999999999 out of range"},
        {"-1" + b32 + "\n", "line 1: expected a data point or a name line"},
        {"1x" + b32 + "\n", "line 1: bad point number \"1x\""},
        {"name a\nname b\n", "line 2: second name line (first on line 1)"},
        {"name " + std::string(51, 'n') + "\n", "line 1: name is 51 bytes"},
        {"name \"open\n", "line 1: quoted name must end"},
        {"name \"a\" b\n", "line 1: quoted name must end"},
        {"\r\nnaming\r\n", "line 2: expected a data point or a name line"},
        {"# fine\n   nonsense\n", "line 2: expected a data point or a name line"},
        {ok + "16" + b31, "line 2: point 16: expected 32 bytes, found 31"},  // no final newline
        {std::string("name a\0b\n", 9), "line 1: name contains a NUL or CR byte"},
        {"name a\rb\r\n", "line 1: name contains a NUL or CR byte"},
        {"\xEF\xBB\xBFname X\n", "line 1: expected a data point or a name line"},
        {ok + "16" + b32 + "\r\r\n", "line 2: point 16: bad byte \"1F\r\""},
        {"\n\n" + std::string(100000, '1') + "\n", "line 3: point number 1111111"},
    };
}

TEST(NodeFile, MalformedLinesAreNamedAndLeaveTheModelUntouched)
{
    for (const BadFile& c : MalformedFiles()) {
        NodeModel node = TwoPoints();
        const NodeModel before = node;
        std::string error;
        EXPECT_FALSE(ParseNodeFile(c.text, node, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error;
        EXPECT_EQ(node, before) << c.text;
    }
}

struct NameLine {
    const char* line;
    std::string name;
};

TEST(NodeFile, NameLines)
{
    const NameLine cases[] = {
        {"name VNX Room 1.04", "VNX Room 1.04"},
        {"name \t VNX  Room #2 \t", "VNX  Room #2"},
        {"name \"  padded \" ", "  padded "},
        {"name \"say \"hi\"\"", "say \"hi\""},
        {"name \"\"", ""},
        {"name", ""},
        {"name VNX\r", "VNX"},
        {"# no name line", ""},
    };
    for (const NameLine& c : cases) {
        NodeModel node;
        node.SetName("before");
        std::string error;
        ASSERT_TRUE(ParseNodeFile(std::string(c.line) + "\n", node, error)) << c.line << ": " << error;
        EXPECT_EQ(node.Name(), c.name) << c.line;
    }
}

TEST(NodeFile, ParseReplacesContentsButKeepsFailureSettings)
{
    std::string line = "11 00";
    for (int i = 1; i < 32; ++i)
        line += "\tff";
    NodeModel node = TwoPoints();
    std::string error;
    ASSERT_TRUE(ParseNodeFile("name X\r\n" + line + "   # comment\r\n", node, error)) << error;
    EXPECT_EQ(node.Name(), "X");
    ASSERT_EQ(node.Points().size(), 1u);
    NodeModel::Point expected;
    expected.fill(0xFF);
    expected[0] = 0;
    EXPECT_EQ(*node.Find(11), expected);
    EXPECT_EQ(node.failRead, std::set<long>{58});
    EXPECT_EQ(node.failWrite, std::set<long>{58});
}

TEST(NodeFile, FormatParsesBackToTheSameNode)
{
    const std::string names[] = {"VNX Room 1.04", "", " lead", "trail\t", "\"quoted\"", "a # b",
                                 std::string(50, 'z')};
    for (const std::string& name : names) {
        NodeModel node = NodeModel::Default();
        ASSERT_TRUE(node.SetName(name));
        NodeModel::Point edge;
        edge.fill(0xFF);
        node.SetPoint(NodeModel::kMaxPoint, edge);
        node.SetPoint(0, {});
        NodeModel back;
        std::string error;
        ASSERT_TRUE(ParseNodeFile(FormatNodeFile(node), back, error)) << error;
        EXPECT_EQ(back, node) << "name \"" << name << "\"";
    }
    const std::string text = FormatNodeFile(NodeModel::Default());
    EXPECT_NE(text.find("\n58 03 07 D0 09 60 "), std::string::npos) << text;
    EXPECT_NE(text.find("# zone 1 set points\n"), std::string::npos) << text;
}

class NodeFileOnDisk : public testing::Test {
protected:
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
};

TEST_F(NodeFileOnDisk, SaveReplacesAndLoadReadsBack)
{
    const std::string path = Path("node.txt");
    WriteAll(path, "old");
    std::string error;
    ASSERT_TRUE(SaveNodeFile(path, NodeModel::Default(), error)) << error;
    EXPECT_EQ(Entries(), std::vector<std::string>{"node.txt"});
    EXPECT_EQ(ReadAll(path), FormatNodeFile(NodeModel::Default()));
    NodeModel loaded;
    ASSERT_TRUE(LoadNodeFile(path, loaded, error)) << error;
    EXPECT_EQ(loaded, NodeModel::Default());
}

TEST_F(NodeFileOnDisk, FailedSaveLeavesTheOldFileAndNoTemporary)
{
    struct Case {
        const char* what;
        const char* target;
        const char* blocker;  // directory created beforehand
    };
    const Case cases[] = {
        {"directory missing", "missing/node.txt", nullptr},
        {"target is a directory", "node.txt", "node.txt"},
        {"temporary name taken by a directory", "node.txt", "node.txt.tmp"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_.path());
        fs::create_directories(dir_.path());
        WriteAll(Path("other.txt"), "old contents");
        if (c.blocker)
            fs::create_directories(dir_ / c.blocker);
        else
            WriteAll(Path("node.txt"), "old contents");
        const std::vector<std::string> before = Entries();
        std::string error;
        EXPECT_FALSE(SaveNodeFile(Path(c.target), NodeModel::Default(), error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(Entries(), before) << c.what;
        EXPECT_EQ(ReadAll(Path("other.txt")), "old contents") << c.what;
        if (!c.blocker) {
            EXPECT_EQ(ReadAll(Path("node.txt")), "old contents") << c.what;
        }
    }
}

TEST_F(NodeFileOnDisk, FailedLoadLeavesModelAndFileUntouched)
{
    const std::string path = Path("bad.txt");
    NodeModel node = TwoPoints();
    const NodeModel before = node;
    std::string error;
    for (const BadFile& c : MalformedFiles()) {
        WriteAll(path, c.text);
        EXPECT_FALSE(LoadNodeFile(path, node, error)) << c.text;
        EXPECT_EQ(error.rfind(path + ": " + c.error, 0), 0u) << "got: " << error;
        EXPECT_EQ(node, before) << c.text;
        EXPECT_EQ(ReadAll(path), c.text) << c.text;
    }

    EXPECT_FALSE(LoadNodeFile(Path("absent.txt"), node, error));
    EXPECT_EQ(error.rfind(Path("absent.txt"), 0), 0u) << error;
    EXPECT_EQ(node, before);
}

}  // namespace
