// The script run: what each command does to the sheet or checks on the node.
#include "host/app/ScriptRun.h"

#include "host/app/HostLog.h"
#include "host/app/SheetDriver.h"

#include <algorithm>

const CScriptRun::Action CScriptRun::kActions[] = {
    &CScriptRun::Open,   &CScriptRun::Page,        &CScriptRun::Type, &CScriptRun::Click,     &CScriptRun::Wait,
    &CScriptRun::Expect, &CScriptRun::ExpectPoint, &CScriptRun::Exit, &CScriptRun::ExpectBox,
};

CScriptRun::CScriptRun(std::vector<ScriptStep> steps, const NodeModel& node, std::function<void()> openSheet,
                       Log log)
    : CAutomatedRun(std::move(openSheet), std::move(log)), m_steps(std::move(steps)), m_node(node)
{
}

std::vector<CSheetDriver::Step> CScriptRun::Steps()
{
    std::vector<CSheetDriver::Step> steps;
    for (std::size_t i = 0; i < m_steps.size(); ++i)
        steps.push_back([this, i] { return Run(i); });
    steps.push_back([this] { return CloseSheet(); });
    return steps;
}

DWORD CScriptRun::StepAllowance() const
{
    long longest = 0;
    for (const ScriptStep& s : m_steps)
        if (s.kind == ScriptStep::kWait)
            longest = std::max(longest, s.number);
    return static_cast<DWORD>(longest);
}

void CScriptRun::ExpectBoxes(CSheetDriver& driver)
{
    driver.AnswerBoxes([this](const std::string& caption, const std::string& text) { return TakeBox(caption, text); });
}

bool CScriptRun::Report(const std::string& failure)
{
    if (!failure.empty())
        Interrupted(failure);
    Say(Summary());
    return Passed();
}

bool CScriptRun::Run(std::size_t index)
{
    if (!m_stop.empty())
        return true;  // passed over: the run has ended
    m_current = index;
    const ScriptStep& step = m_steps[index];
    const Outcome outcome = (this->*kActions[step.kind])(step);
    if (outcome.result == Result::kPending)
        return false;
    m_phase = 0;
    if (step.kind == ScriptStep::kExpectBox)
        return true;  // reported with the step it waits for
    if (m_boxStep) {
        ReportStep(*m_boxStep, BoxSeen());
        m_boxStep = nullptr;
    }
    ReportStep(step, outcome);
    return true;
}

// Also after a stop: the host's verb must return before the host goes on.
bool CScriptRun::CloseSheet()
{
    HWND sheet = CSheetDriver::FindSheet();
    if (sheet && !m_closing) {
        CSheetDriver::PressOk(sheet);
        m_closing = true;
    }
    return !sheet && !InVerb();
}

void CScriptRun::ReportStep(const ScriptStep& step, const Outcome& outcome)
{
    const std::string head = "line " + std::to_string(step.line) + ": " + step.source + " ... ";
    if (step.kind == ScriptStep::kExpect || step.kind == ScriptStep::kExpectPoint ||
        step.kind == ScriptStep::kExpectBox)
        ++m_expectations;
    switch (outcome.result) {
    case Result::kOk:
        Say(head + "ok");
        break;
    case Result::kFailed:
        m_failedLines.push_back(step.line);
        Say(head + "FAILED: " + outcome.why);
        break;
    default:
        m_stop = "line " + std::to_string(step.line) + " (" + step.source + "): " + outcome.why;
        Say(head + "FAILED: " + outcome.why + "; the script ends here");
        break;
    }
}

bool CScriptRun::TakeBox(const std::string& caption, const std::string& text)
{
    if (!m_boxStep || m_boxSeen)
        return false;
    m_boxSeen = true;
    m_boxText = caption + ": " + text;
    return true;
}

void CScriptRun::Interrupted(const std::string& why)
{
    if (!m_stop.empty() || m_current >= m_steps.size())
        return;
    ReportStep(m_steps[m_current], {Result::kStop, why});
}

std::string CScriptRun::Summary() const
{
    if (!m_stop.empty())
        return "script: stopped at " + m_stop;
    if (m_failedLines.empty())
        return "script: every step done, " + std::to_string(m_expectations) + " expectation(s) held";
    std::string lines;
    for (int line : m_failedLines)
        lines += (lines.empty() ? "" : ", ") + std::to_string(line);
    return "script: " + std::to_string(m_failedLines.size()) + " of " + std::to_string(m_expectations) +
           " expectation(s) failed, on line(s) " + lines;
}

// ---- The commands ----------------------------------------------------------------

CScriptRun::Outcome CScriptRun::Open(const ScriptStep&)
{
    if (m_phase == 0) {
        m_phase = 1;
        OpenSheet();
        return {Result::kPending, {}};
    }
    m_sheet = CSheetDriver::FindSheet();
    if (m_sheet && CSheetDriver::CurrentPage(m_sheet))
        return {Result::kOk, {}};
    if (!InVerb())
        return {Result::kStop, "the sheet did not open"};
    return {Result::kPending, {}};
}

// Sent, as a click on the tab: the page reads the node as it is created. The
// caption is the sheet's unless the script was read without the captions.
CScriptRun::Outcome CScriptRun::Page(const ScriptStep& step)
{
    const std::vector<std::string> tabs = CSheetDriver::TabCaptions(m_sheet);
    const auto named = [&step](const std::string& caption) { return SameCaption(step.text, caption); };
    const auto tab = std::find_if(tabs.begin(), tabs.end(), named);
    if (tab == tabs.end())
        return {Result::kStop, "the sheet has no tab \"" + step.text + "\""};
    if (!CSheetDriver::SelectPage(m_sheet, static_cast<int>(tab - tabs.begin())))
        return {Result::kStop, "the page did not show"};
    return {Result::kOk, {}};
}

CScriptRun::Outcome CScriptRun::Type(const ScriptStep& step)
{
    std::string why;
    HWND edit = Control(step.number, "Edit", "edit field", why);
    if (!edit)
        return {Result::kStop, why};
    SetWindowTextA(edit, step.text.c_str());
    return {Result::kOk, {}};
}

CScriptRun::Outcome CScriptRun::Click(const ScriptStep& step)
{
    std::string why;
    HWND button = Control(step.number, "Button", "button", why);
    if (!button)
        return {Result::kStop, why};
    SendMessageA(button, BM_CLICK, 0, 0);
    return {Result::kOk, {}};
}

// The sheet's modal loop runs meanwhile: its pages' timers tick.
CScriptRun::Outcome CScriptRun::Wait(const ScriptStep& step)
{
    if (m_phase == 0) {
        m_phase = 1;
        m_since = GetTickCount();
    }
    const bool over = static_cast<long>(GetTickCount() - m_since) >= step.number;
    return {over ? Result::kOk : Result::kPending, {}};
}

CScriptRun::Outcome CScriptRun::Expect(const ScriptStep& step)
{
    std::string why;
    // A disabled field is read as any other.
    if (!Control(step.number, why))
        return {Result::kStop, why};
    const std::string text = CSheetDriver::Text(CSheetDriver::CurrentPage(m_sheet), static_cast<int>(step.number));
    if (text == step.text)
        return {Result::kOk, {}};
    return {Result::kFailed, "the field reads \"" + text + "\""};
}

// The node's bytes as they are, whatever calls are set to fail.
CScriptRun::Outcome CScriptRun::ExpectPoint(const ScriptStep& step)
{
    const NodeModel::Point* point = m_node.Find(step.number);
    if (!point)
        return {Result::kFailed, "the node has no data point " + std::to_string(step.number)};
    std::string held;
    int firstWrong = -1;
    for (std::size_t i = 0; i < step.bytes.size(); ++i) {
        const int b = (*point)[i];
        held += (i ? " " : "") + HexByte(b);
        if (firstWrong < 0 && step.bytes[i] != kAnyByte && step.bytes[i] != b)
            firstWrong = static_cast<int>(i);
    }
    if (firstWrong < 0)
        return {Result::kOk, {}};
    return {Result::kFailed, "byte " + std::to_string(firstWrong) + " is " + HexByte((*point)[firstWrong]) +
                                 ", not " + HexByte(step.bytes[firstWrong]) + "; the point begins " + held};
}

// Posted: closing runs outside the step.
CScriptRun::Outcome CScriptRun::Exit(const ScriptStep&)
{
    if (m_phase == 0) {
        m_phase = 1;
        CSheetDriver::PressOk(m_sheet);
        return {Result::kPending, {}};
    }
    const bool closed = !IsWindow(m_sheet) || !IsWindowVisible(m_sheet);
    return {closed && !InVerb() ? Result::kOk : Result::kPending, {}};
}

// Waits for the next step, which clicks.
CScriptRun::Outcome CScriptRun::ExpectBox(const ScriptStep& step)
{
    m_boxStep = &step;
    m_boxSeen = false;
    m_boxText.clear();
    return {Result::kOk, {}};
}

CScriptRun::Outcome CScriptRun::BoxSeen() const
{
    if (!m_boxSeen)
        return {Result::kFailed, "no message box showed"};
    if (m_boxText.find(m_boxStep->text) == std::string::npos)
        return {Result::kFailed, "the box reads \"" + m_boxText + "\""};
    return {Result::kOk, {}};
}

// ---- The sheet -------------------------------------------------------------------

HWND CScriptRun::Control(long id, const char* cls, const char* what, std::string& why) const
{
    HWND control = Control(id, why);
    if (control && !HasWindowClass(control, cls)) {
        why = "control " + std::to_string(id) + " is no " + what;
        return nullptr;
    }
    return why.empty() ? control : nullptr;
}

HWND CScriptRun::Control(long id, std::string& why) const
{
    HWND control = GetDlgItem(CSheetDriver::CurrentPage(m_sheet), static_cast<int>(id));
    if (!control)
        why = "no control " + std::to_string(id) + " on the page \"" + PageCaption() + "\"";
    else if (!IsWindowEnabled(control))
        why = "control " + std::to_string(id) + " is disabled";
    return control;
}

std::string CScriptRun::PageCaption() const
{
    return CSheetDriver::TabCaption(m_sheet, CSheetDriver::CurrentTab(m_sheet));
}
