// The host program run on the module beside it: snapshots, operator
// scripts, its log file, and the command lines and node files it refuses.
#include "framework/Handles.h"
#include "host/node/NodeFile.h"
#include "tests/win/SavedPicture.h"
#include "tests/win/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// Runs the host with its output in `output`; its exit code, or -1 when it
// had to be stopped.
DWORD RunHost(const std::wstring& args, const fs::path& output, DWORD timeoutMs = 90000)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    afx::unique_handle_t out(CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out.get();
    PROCESS_INFORMATION pi = {};
    std::wstring line = Quoted(BesideTests(L"vennox-host.exe")) + L" " + args;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return DWORD(-2);
    afx::unique_handle_t process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        return DWORD(-1);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

class HostProgram : public OleTest {};

TEST_F(HostProgram, SnapshotSavesEveryPage)
{
    // Without node access the control says so in a message box, which the
    // snapshot closes before it goes on.
    const wchar_t* const offers[] = {L"both", L"none"};
    for (const wchar_t* offer : offers) {
        SCOPED_TRACE(std::string("offer ") + (offer[0] == L'b' ? "both" : "none"));
        TempDir dir;
        const fs::path pictures = dir / "pictures";
        const fs::path node = dir / "node.txt";
        EXPECT_EQ(RunHost(L"--module " + Quoted(ModulePath()) + L" --offer " + offer + L" --still --node " +
                              Quoted(node.wstring()) + L" --snapshot " + Quoted(pictures.wstring()),
                          dir / "out.txt"),
                  0u)
            << ReadAll(dir / "out.txt");
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(pictures)) {
            names.push_back(e.path().filename().string());
            EXPECT_EQ(ReadAll(e.path()).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << names.back();
        }
        std::sort(names.begin(), names.end());
        ASSERT_EQ(names.size(), 10u);
        EXPECT_EQ(names.front(), "page01-node-information.png");
        EXPECT_EQ(names.back().substr(0, 7), "page10-");
        // The sheet's last 40 rows, below the pages, hold its Exit button: the
        // same on every page, text and all.
        const Picture exit = LoadPicture(pictures / names.front()).Bottom(40);
        EXPECT_EQ(exit.height, 40u);
        for (const std::string& name : names)
            EXPECT_TRUE(LoadPicture(pictures / name).Bottom(40) == exit) << name << ": the sheet's foot differs";
        NodeModel created;
        std::string error;
        EXPECT_TRUE(LoadNodeFile(node.string(), created, error)) << "a missing file is created; " << error;
        EXPECT_EQ(created.Points(), NodeModel::Default().Points());
    }
}

// ---- Scripts ------------------------------------------------------------------------

std::wstring ScriptArgs(const fs::path& script, const std::wstring& more = L"")
{
    return L"--module " + Quoted(ModulePath()) + L" --still --script " + Quoted(script.wstring()) + more;
}

// Every step reported by its line; a failed expectation lets the run go on,
// a step that cannot be done ends it; the exit code says whether all held.
TEST_F(HostProgram, ScriptsReportEachStepAndExitByTheirExpectations)
{
    struct Case {
        const char* what;
        const char* script;
        const wchar_t* args;
        DWORD code;
        std::vector<const char*> says, neverSays;
    } const cases[] = {
        {"every expectation holds, across two openings",
         "expect-point 15 0A F0\n"
         "page \"Zone 1 Settings\"\n"
         "type IDC_SP_HEAT_OCC 21.5\n"
         "write\n"
         "exit\n"
         "expect-point 15 ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? 08 66\n"
         "page \"zone 1 settings\"  # the page reads the node anew\n"
         "expect 262 21.5\n",
         L"", 0,
         {"line 1: expect-point 15 0A F0 ... ok", "line 4: write ... ok", "line 5: exit ... ok",
          "WritePoint 15 length 12 -> 0: 0A F0 0A 28 09 60 06 40 07 08 08 66", "line 7: open (implicit) ... ok",
          "line 8: expect 262 21.5 ... ok", "line 8: exit (implicit, at the end) ... ok",
          "script: every step done, 3 expectation(s) held"},
         {"FAILED"}},
        {"failed expectations are reported and the run goes on",
         "page \"Zone 1 Settings\"\n"
         "expect 262 \"99.9\"\n"
         "expect-point 15 0A FF\n"
         "expect-point 9999 00\n"
         "expect 262 21.0\n",
         L"", 1,
         {"line 2: expect 262 99.9 ... FAILED: the field reads \"21.0\"",
          "line 3: expect-point 15 0A FF ... FAILED: byte 1 is F0, not FF; the point begins 0A F0",
          "line 4: expect-point 9999 00 ... FAILED: the node has no data point 9999",
          "line 5: expect 262 21.0 ... ok", "script: 3 of 4 expectation(s) failed, on line(s) 2, 3, 4"},
         {}},
        {"no such control ends the run", "page \"Zone 1 Settings\"\nclick 999\nexpect 262 21.0\n", L"", 1,
         {"line 2: click 999 ... FAILED: no control 999 on the page \"Zone 1 Settings\"; the script ends here",
          "script: stopped at line 2 (click 999)"},
         {"line 3:"}},
        {"a disabled field is not typed into", "page \"Zone 2 Actual\"\ntype IDC_HEAT_LEVEL_2 40\n", L"", 1,
         {"line 2: type IDC_HEAT_LEVEL_2 40 ... FAILED: control 305 is disabled"}, {}},
        {"a button is not typed into", "page \"Zone 2 Actual\"\ntype 202 x\n", L"", 1,
         {"control 202 is no edit field"}, {}},
        {"an edit field is not clicked", "click IDC_NODENAME\n", L"", 1, {"control 356 is no button"}, {}},
        {"a message box nobody expects ends the run", "read\n", L" --offer none", 1,
         {"line 1: open (implicit) ... FAILED: unexpected message box \"Plugin\": Node not available!"}, {}},
        {"an expected box is closed and the run goes on",
         "page \"Zone 1 Settings\"\n"
         "type IDC_SP_HEAT_OCC 21,5\n"
         "expect-box \"from -555.35 to 100.00\"\n"
         "write\n"
         "expect IDC_SP_HEAT_OCC 21,5\n"
         "expect-box \"Occup timeout\"\n"
         "write\n",
         L"", 1,
         {"line 3: expect-box \"from -555.35 to 100.00\" ... ok", "line 4: write ... ok",
          "line 5: expect IDC_SP_HEAT_OCC 21,5 ... ok",
          "line 6: expect-box \"Occup timeout\" ... FAILED: the box reads \"Plugin: Temperature setpoints Heat Occup: "
          "enter a number from -555.35 to 100.00.\"",
          "script: 1 of 3 expectation(s) failed, on line(s) 6"},
         {"WritePoint", "the script ends here"}},
        {"an expected box that does not show", "page \"Zone 1 Settings\"\nexpect-box x\nread\n", L"", 1,
         {"line 2: expect-box x ... FAILED: no message box showed", "line 3: read ... ok"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteAll(dir / "script.txt", c.script);
        EXPECT_EQ(RunHost(ScriptArgs(dir / "script.txt", c.args), dir / "out.txt"), c.code);
        const std::string said = ReadAll(dir / "out.txt");
        for (const char* s : c.says)
            EXPECT_NE(said.find(s), std::string::npos) << s << "\n" << said;
        for (const char* s : c.neverSays)
            EXPECT_EQ(said.find(s), std::string::npos) << s << "\n" << said;
    }
}

// The log file holds the lines the window shows, appended run after run; a
// wait lets the Zone actual page's timer read the node again.
TEST_F(HostProgram, LogFileHoldsEveryLineStampedAndGrowsRunByRun)
{
    TempDir dir;
    WriteAll(dir / "script.txt", "page \"Zone 1 Actual\"\nwait 2500\npage \"Zone 1 Settings\"\n"
                                 "type 262 21.5\nwrite\n");
    const fs::path log = dir / "log.txt";
    std::vector<std::string> runs;
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(RunHost(ScriptArgs(dir / "script.txt", L" --log " + Quoted(log.wstring())), dir / "out.txt"), 0u)
            << ReadAll(dir / "out.txt");
        runs.push_back(ReadAll(log));
    }
    ASSERT_GT(runs[1].size(), runs[0].size());
    EXPECT_EQ(runs[1].substr(0, runs[0].size()), runs[0]) << "the second run adds to the first";
    const std::string second = runs[1].substr(runs[0].size());
    EXPECT_NE(ReadAll(dir / "out.txt").find(second), std::string::npos) << "standard output has the same lines";

    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} .+)");
    std::istringstream lines(second);
    int roomReads = 0, writes = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
        roomReads += line.find(" ReadPoint 36 capacity 32 -> 0: ") != std::string::npos;
        writes += line.find(" WritePoint 15 length 12 -> 0: 0A F0 0A 28 09 60 06 40 07 08 08 66") != std::string::npos;
    }
    EXPECT_GE(roomReads, 2) << "room temperature read as the page showed and on a tick\n" << second;
    EXPECT_EQ(writes, 1) << second;
    EXPECT_EQ(second.find(" log: appended to "), 23u) << "each run's first line\n" << second;
}

TEST_F(HostProgram, RefusesBadCommandLinesAndNodeFiles)
{
    TempDir dir;
    const fs::path bad = dir / "bad.txt";
    const std::string badText = "name X\n58 01 02\n";
    WriteAll(bad, badText);
    const fs::path script = dir / "script.txt";
    WriteAll(script, "page \"Zone 1 Settings\"\nfrobnicate 3\n");
    const std::wstring log = L" --log " + Quoted((dir / "log.txt").wstring());
    struct Case { std::wstring args; DWORD code; const char* says; } cases[] = {
        {L"--offer some", 2, "--offer"},
        {L"--delay", 2, "--delay"},
        {L"--node " + Quoted(bad.wstring()) + L" --snapshot " + Quoted((dir / "p").wstring()), 1, "line 2"},
        {L"--script " + Quoted(script.wstring()) + log, 2, "script.txt: line 2: unknown command \"frobnicate\""},
        {L"--script " + Quoted((dir / "none.txt").wstring()) + log, 2, "none.txt: cannot open"},
        {L"--script " + Quoted(script.wstring()) + L" --snapshot " + Quoted((dir / "p").wstring()), 2,
         "--snapshot and --script exclude each other"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunHost(c.args, dir / "out.txt", 30000), c.code) << c.says;
        const std::string said = ReadAll(dir / "out.txt");
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
    EXPECT_EQ(ReadAll(bad), badText) << "a refused node file is left as it was";
    EXPECT_FALSE(fs::exists(dir / "p")) << "nothing ran";
    EXPECT_FALSE(fs::exists(dir / "log.txt")) << "nothing ran";
}

}  // namespace
