// The host window's menu, chosen while the host runs: failing reads and
// writes, the delay per call, the failing name and the node file reloaded.
#include "host/app/HostWindow.h"
#include "host/node/NodeFile.h"
#include "tests/win/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What the operator does with a question or message box of the menu's.
struct Reply {
    enum { kAnswer, kCancel, kCloseBox } what;
    std::string text;  // kAnswer: typed over what the question showed
};

const Reply kBox = {Reply::kCloseBox, ""};
const Reply kCancel = {Reply::kCancel, ""};
Reply Answer(const char* text) { return {Reply::kAnswer, text}; }

// What a menu command showed and left behind.
struct Seen {
    std::size_t replied = 0;
    std::vector<std::string> shown;     // each question's text as it opened
    std::vector<std::string> boxes;     // each message box's text
    std::vector<std::string> leftOver;  // what no reply was for
    unsigned delay = 0;
    bool nameChecked = false;
};

// The menu's question on the screen, if any.
HWND OpenQuestion()
{
    for (const char* title : {CHostWindow::kFailReadsTitle, CHostWindow::kFailWritesTitle, CHostWindow::kDelayTitle}) {
        HWND question = ThreadWindow(title);
        if (question && IsWindowVisible(question))
            return question;
    }
    return nullptr;
}

class HostWindowMenu : public OleTest {
protected:
    // The control beside the tests, a node kept still, 100 ms per call.
    static HostOptions Options(const std::string& nodeFile = "")
    {
        HostOptions o;
        o.module = Narrow(ModulePath());
        o.still = true;
        o.nodeFile = o.site.nodeFile = nodeFile;
        o.site.delayMs = 100;
        return o;
    }

    // Chooses menu `command` `times` times on a host window over `node`,
    // answering with `replies` in order, from inside the modal loops.
    static Seen Choose(NodeModel& node, const HostOptions& options, int command, const std::vector<Reply>& replies,
                       int times = 1)
    {
        Seen seen;
        {
            CHostWindow window(options, node);
            std::string error;
            EXPECT_TRUE(window.Create(error)) << error;
            if (!window.Site())
                return seen;
            std::vector<CSheetDriver::Step> steps;
            for (const Reply& r : replies)
                steps.push_back(StepFor(r, seen));
            steps.push_back(SweepFor(seen));
            CSheetDriver driver(steps, 20, 5000);
            driver.ExpectBox(CHostWindow::kCaption);
            for (int i = 0; i < times; ++i)
                SendMessageA(window.Window(), WM_COMMAND, command, 0);
            EXPECT_FALSE(driver.Failed()) << driver.Failure();
            EXPECT_EQ(seen.replied, replies.size()) << "every reply was used";
            EXPECT_EQ(seen.leftOver, std::vector<std::string>()) << "nothing else was asked";
            seen.delay = window.Site()->Delay();
            seen.nameChecked = GetMenuState(GetMenu(window.Window()), CHostWindow::kFailName, MF_BYCOMMAND) & MF_CHECKED;
        }
        // The window quits the message loop as it goes; the tests' loops go on.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return seen;
    }

private:
    static CSheetDriver::Step StepFor(const Reply& r, Seen& seen)
    {
        if (r.what == Reply::kCloseBox) {
            return [&seen] {
                HWND box = CSheetDriver::FindMessageBox(CHostWindow::kCaption);
                if (!box)
                    return false;
                ++seen.replied;
                seen.boxes.push_back(CSheetDriver::Text(box, 0xFFFF));
                CSheetDriver::Click(box, IDOK);
                return true;
            };
        }
        return [r, &seen] {
            HWND question = OpenQuestion();
            HWND edit = question ? FindWindowExA(question, nullptr, "Edit", nullptr) : nullptr;
            if (!edit)
                return false;
            ++seen.replied;
            seen.shown.push_back(Narrow(TextOf(edit)));
            SetWindowTextA(edit, r.text.c_str());
            PostMessageA(question, WM_COMMAND, r.what == Reply::kAnswer ? IDOK : IDCANCEL, 0);
            return true;
        };
    }

    // After the replies: closes whatever else the command asks, so that it
    // returns and the test fails instead of waiting for ever. Never done; it
    // runs only while the command is still in a modal loop.
    static CSheetDriver::Step SweepFor(Seen& seen)
    {
        return [&seen] {
            if (HWND box = CSheetDriver::FindMessageBox(CHostWindow::kCaption)) {
                seen.leftOver.push_back("message box: " + CSheetDriver::Text(box, 0xFFFF));
                CSheetDriver::Click(box, IDOK);
            } else if (HWND question = OpenQuestion()) {
                seen.leftOver.push_back("question: " + Narrow(TextOf(question)));
                PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
            }
            return false;
        };
    }
};

// Each run starts from reads of point 7 failing, no write failing and a
// delay of 100 ms.
TEST_F(HostWindowMenu, ChangesFailuresAndDelayWhileTheHostRuns)
{
    struct Case {
        const char* what;
        int command;
        std::vector<Reply> replies;
        std::vector<std::string> shown;
        std::set<long> failRead, failWrite;
        unsigned delay;
        std::vector<const char*> boxSays;
    } const cases[] = {
        {"reads of two points fail", CHostWindow::kFailReads, {Answer(" 15, 58 ")}, {"7"}, {15, 58}, {}, 100, {}},
        {"no read fails any more", CHostWindow::kFailReads, {Answer("")}, {"7"}, {}, {}, 100, {}},
        {"a bad list is refused, then the question cancelled", CHostWindow::kFailWrites,
         {Answer("15;58"), kBox, kCancel}, {"", "15;58"}, {7}, {}, 100, {"\"15;58\" is no list"}},
        {"a point out of range is refused, then one taken", CHostWindow::kFailWrites,
         {Answer("65536"), kBox, Answer("16")}, {"", "65536"}, {7}, {16}, 100, {"\"65536\" is no list"}},
        {"delay changed", CHostWindow::kDelay, {Answer("250")}, {"100"}, {7}, {}, 250, {}},
        {"delay out of range refused, then none", CHostWindow::kDelay, {Answer("60001"), kBox, Answer("0")},
         {"100", "60001"}, {7}, {}, 0, {"\"60001\" is no number"}},
        {"delay question cancelled", CHostWindow::kDelay, {kCancel}, {"100"}, {7}, {}, 100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NodeModel node = NodeModel::Default();
        node.failRead = {7};
        const Seen seen = Choose(node, Options(), c.command, c.replies);
        EXPECT_EQ(seen.shown, c.shown);
        EXPECT_EQ(node.failRead, c.failRead);
        EXPECT_EQ(node.failWrite, c.failWrite);
        EXPECT_EQ(seen.delay, c.delay);
        ASSERT_EQ(seen.boxes.size(), c.boxSays.size());
        for (size_t i = 0; i < c.boxSays.size(); ++i)
            EXPECT_NE(seen.boxes[i].find(c.boxSays[i]), std::string::npos) << seen.boxes[i];
    }
}

TEST_F(HostWindowMenu, FailTheNameTogglesWithItsCheckMark)
{
    for (int times : {1, 2, 3}) {
        NodeModel node = NodeModel::Default();
        const Seen seen = Choose(node, Options(), CHostWindow::kFailName, {}, times);
        EXPECT_EQ(node.failName, times % 2 == 1) << times;
        EXPECT_EQ(seen.nameChecked, node.failName) << times;
    }
}

// A refused file leaves the node as it was; failure settings stay either way.
TEST_F(HostWindowMenu, ReloadsTheNodeFileOrKeepsTheNode)
{
    NodeModel changed = NodeModel::Default();
    changed.SetName("Reloaded");
    changed.SetPoint(15, NodeModel::Point{0x08, 0x66});
    const std::string good = FormatNodeFile(changed);
    const std::string next = "line " + std::to_string(std::count(good.begin(), good.end(), '\n') + 1) + ": ";
    std::string zeros;
    for (int i = 0; i < 32; ++i)
        zeros += " 00";
    struct Case {
        const char* what;
        std::string text;     // empty: no file
        std::string boxSays;  // empty: no box
        bool reloaded;
    } const cases[] = {
        {"a good file", good, "", true},
        {"a short point", good + "58 01 02\n", next + "point 58: expected 32 bytes, found 2", false},
        {"a point twice", good + "15" + zeros + "\n", next + "point 15 appears twice", false},
        {"no file", "", "node.txt: cannot open", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path file = dir / "node.txt";
        if (!c.text.empty())
            WriteAll(file, c.text);
        NodeModel node = NodeModel::Default();
        node.failRead = {58};
        const Seen seen = Choose(node, Options(file.string()), CHostWindow::kReloadNode,
                                 c.boxSays.empty() ? std::vector<Reply>{} : std::vector<Reply>{kBox});
        const NodeModel& expected = c.reloaded ? changed : NodeModel::Default();
        EXPECT_EQ(node.Name(), expected.Name());
        EXPECT_EQ(node.Points(), expected.Points());
        EXPECT_EQ(node.failRead, std::set<long>{58});
        ASSERT_EQ(seen.boxes.size(), c.boxSays.empty() ? 0u : 1u);
        if (!c.boxSays.empty()) {
            EXPECT_NE(seen.boxes[0].find(c.boxSays), std::string::npos) << seen.boxes[0];
        }
    }
}

}  // namespace
