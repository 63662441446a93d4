// The run of an operator's script (host/script/Script.h): each step a
// CSheetDriver step, acting on the sheet from inside its modal loop as an
// operator would, or checking the node. A failed expectation is reported and
// the run goes on; a step that cannot be carried out (no such tab or control,
// a disabled one, a sheet that does not open) ends it, and the sheet is
// closed.
#pragma once

#include "host/app/AutomatedRun.h"
#include "host/node/NodeModel.h"
#include "host/script/Script.h"

#include <windows.h>

#include <string>
#include <vector>

class CScriptRun : public CAutomatedRun {
public:
    // `log` hears a line per step, "line 7: click 202 ... ok", and at the
    // end the summary.
    CScriptRun(std::vector<ScriptStep> steps, const NodeModel& node, std::function<void()> openSheet, Log log);

private:
    // CAutomatedRun
    // One driver step per script step, then one that closes a sheet left open.
    std::vector<CSheetDriver::Step> Steps() override;
    // The script's longest wait.
    DWORD StepAllowance() const override;
    // A box an expect-box waits for is taken and closed.
    void ExpectBoxes(CSheetDriver& driver) override;
    // The summary; a driver that gave up stopped the step running.
    bool Report(const std::string& failure) override;

    // The driver gave up (a timeout, an unexpected message box): the step
    // running is the one that failed.
    void Interrupted(const std::string& why);
    // A message box showed: true when an expect-box before the step running
    // waits for one (the driver then closes it).
    bool TakeBox(const std::string& caption, const std::string& text);
    // Every step carried out and every expectation held.
    bool Passed() const { return m_stop.empty() && m_failedLines.empty(); }
    // "script: every step done, N expectations held", or what failed and where.
    std::string Summary() const;

    enum class Result { kPending, kOk, kFailed, kStop };
    struct Outcome {
        Result result;
        std::string why;  // for kFailed and kStop
    };
    using Action = Outcome (CScriptRun::*)(const ScriptStep&);
    static const Action kActions[];

    bool Run(std::size_t index);
    bool CloseSheet();
    void ReportStep(const ScriptStep& step, const Outcome& outcome);

    // One per ScriptStep::Kind, in its order.
    Outcome Open(const ScriptStep& step);
    Outcome Page(const ScriptStep& step);
    Outcome Type(const ScriptStep& step);
    Outcome Click(const ScriptStep& step);
    Outcome Wait(const ScriptStep& step);
    Outcome Expect(const ScriptStep& step);
    Outcome ExpectPoint(const ScriptStep& step);
    Outcome Exit(const ScriptStep& step);
    Outcome ExpectBox(const ScriptStep& step);
    // The expect-box that waited for the step just done.
    Outcome BoxSeen() const;

    // The current page's control `id`, or null with `why` set.
    HWND Control(long id, std::string& why) const;
    // The same, of window class `cls` (what a control of it is: "edit
    // field", "button"), enabled.
    HWND Control(long id, const char* cls, const char* what, std::string& why) const;
    std::string PageCaption() const;

    std::vector<ScriptStep> m_steps;
    const NodeModel& m_node;
    HWND m_sheet = nullptr;
    std::size_t m_current = 0;  // the step running or last run
    int m_phase = 0;            // of a step that takes more than one tick
    DWORD m_since = 0;
    bool m_closing = false;
    int m_expectations = 0;
    const ScriptStep* m_boxStep = nullptr;  // an expect-box waiting for the next step's box
    bool m_boxSeen = false;
    std::string m_boxText;
    std::vector<int> m_failedLines;
    std::string m_stop;  // "line N (command): why" of the step that ended the run
};
