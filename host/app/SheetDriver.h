// Acts on the plug-in's modal windows from inside their modal loops, as an
// operator would: a thread timer on the calling thread runs steps one after
// another until each reports that it is done.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Whether window `hWnd` is of class `name`; class names match regardless of
// case, as the system matches them.
bool HasWindowClass(HWND hWnd, const char* name);

class CSheetDriver {
public:
    // Returns true when done; false to be run again on the next tick (the
    // window it waits for may not be there yet).
    using Step = std::function<bool()>;

    // Starts the timer; the steps run while the thread dispatches messages,
    // e.g. inside the sheet's modal loop. A step still not done after
    // `stepTimeoutMs`, also one held in a modal loop of its own, fails the run:
    // Failed() tells, and from then on the driver closes this thread's message
    // boxes and sheets, so that the modal loops end. So does a message box
    // that no step expects and no answer takes (see ExpectBox, AnswerBoxes),
    // at the first tick that sees it. The default timeout is the tests'; the
    // host program allows for slow node calls and a script's waits.
    explicit CSheetDriver(std::vector<Step> steps, UINT intervalMs = 20, DWORD stepTimeoutMs = 10000);
    ~CSheetDriver();
    CSheetDriver(const CSheetDriver&) = delete;
    CSheetDriver& operator=(const CSheetDriver&) = delete;

    // Message boxes with this caption are the steps' to close.
    void ExpectBox(std::string caption) { m_expectedBoxes.push_back(std::move(caption)); }
    // A box that `answer` takes (it returns true, given the box's caption and
    // text) is closed with OK as it shows, also one a step's own click opened.
    using BoxAnswer = std::function<bool(const std::string& caption, const std::string& text)>;
    void AnswerBoxes(BoxAnswer answer) { m_answer = std::move(answer); }

    bool Done() const { return m_next >= m_steps.size(); }
    bool Failed() const { return !m_failure.empty(); }
    // "step N timed out", "unexpected message box "CAPTION": TEXT"
    const std::string& Failure() const { return m_failure; }

    // Windows of the calling thread.
    static HWND FindSheet();                            // a visible property sheet
    static HWND FindMessageBox(const char* caption);    // a visible message box with this caption (null: any)

    // Operations on a sheet.
    static HWND CurrentPage(HWND sheet);
    static int CurrentTab(HWND sheet);                  // the index of the page shown; -1: none
    static bool SelectPage(HWND sheet, int index);      // as a click on the tab
    static void PressOk(HWND sheet);                    // posted: the sheet closes outside the caller
    static void Click(HWND dialog, int id);             // BM_CLICK on a button
    static std::string Text(HWND dialog, int id);
    static std::string TabCaption(HWND sheet, int index);  // empty for no such tab
    static std::vector<std::string> TabCaptions(HWND sheet);

    // ---- Test support --------------------------------------------------------
    // The tests use these; the host program does not.
    static void SetText(HWND dialog, int id, const std::string& text);
    static int Check(HWND dialog, int id);              // BM_GETCHECK

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    bool TimedOut() const;
    void CloseUnexpectedBoxes();
    void Abandon();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    UINT_PTR m_timer = 0;
    DWORD m_stepTimeoutMs;
    DWORD m_stepStart = 0;
    std::string m_failure;
    std::vector<std::string> m_expectedBoxes;
    BoxAnswer m_answer;
    bool m_inTick = false;
};
