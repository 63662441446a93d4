// Drives a modal sheet from inside its modal loop: steps run on a timer, as
// an operator's clicks would; unexpected message boxes fail the run.
#include "host/app/SheetDriver.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>

namespace {

// Drivers with a running timer on this thread; the timer callback has no
// context argument.
thread_local std::vector<CSheetDriver*> t_drivers;


// The system's dialog class (WC_DIALOG), by name: sheets and message boxes.
constexpr char kDialogClass[] = "#32770";

struct Search {
    bool (*match)(HWND, const Search&);
    const char* caption;
    BOOL all;
    std::vector<HWND> found;
};

HWND TabControl(HWND sheet) { return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)); }

bool IsSheet(HWND hWnd, const Search&) { return HasWindowClass(hWnd, kDialogClass) && TabControl(hWnd); }

// The system's message box: a dialog whose procedure lives in user32 (a
// module's own dialog with a static of ID -1 looks alike otherwise).
bool IsSystemDialog(HWND hWnd)
{
    auto proc = reinterpret_cast<LPCWSTR>(::GetWindowLongPtrW(hWnd, DWLP_DLGPROC));
    HMODULE owner = nullptr;
    return proc &&
           ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                proc, &owner) &&
           owner == ::GetModuleHandleA("user32.dll");
}

bool IsMessageBox(HWND hWnd, const Search& s)
{
    // A message box is a system dialog with its text in static 0xFFFF; a
    // null caption matches any.
    if (!HasWindowClass(hWnd, kDialogClass) || !::GetDlgItem(hWnd, 0xFFFF) || !IsSystemDialog(hWnd))
        return false;
    if (!s.caption)
        return true;
    char text[256] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    return std::string(text) == s.caption;
}

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<Search*>(lParam);
    if (!::IsWindowVisible(hWnd) || !s->match(hWnd, *s))
        return TRUE;
    s->found.push_back(hWnd);
    return s->all;
}

// The visible windows of the calling thread that match: the first, or all.
std::vector<HWND> FindOnThread(bool (*match)(HWND, const Search&), const char* caption, bool all)
{
    Search s = {match, caption, all, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindFirst(bool (*match)(HWND, const Search&), const char* caption)
{
    std::vector<HWND> found = FindOnThread(match, caption, false);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> ThreadWindows(bool (*match)(HWND, const Search&))
{
    return FindOnThread(match, nullptr, true);
}

}  // namespace

bool HasWindowClass(HWND hWnd, const char* name)
{
    char cls[64] = {};
    ::GetClassNameA(hWnd, cls, sizeof cls);
    return ::lstrcmpiA(cls, name) == 0;
}

CSheetDriver::CSheetDriver(std::vector<Step> steps, UINT intervalMs, DWORD stepTimeoutMs)
    : m_steps(std::move(steps)), m_stepTimeoutMs(stepTimeoutMs), m_stepStart(::GetTickCount())
{
    if (Done())
        return;
    m_timer = ::SetTimer(nullptr, 0, intervalMs, &CSheetDriver::OnTimer);
    if (m_timer)
        t_drivers.push_back(this);
    else
        m_failure = "no timer";
}

CSheetDriver::~CSheetDriver()
{
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    t_drivers.erase(std::remove(t_drivers.begin(), t_drivers.end(), this), t_drivers.end());
}

void CALLBACK CSheetDriver::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    for (CSheetDriver* d : t_drivers) {
        if (d->m_timer == id) {
            d->Tick();
            return;
        }
    }
}

void CSheetDriver::Tick()
{
    // A failed run goes on closing what shows up: a sheet may become visible
    // only after the box that failed the run.
    if (Failed()) {
        Abandon();
        return;
    }
    if (Done())
        return;
    CloseUnexpectedBoxes();
    if (m_inTick) {
        // The step runs a modal loop of its own (a click that opens a message
        // box); ticks inside it only watch it.
        if (!Failed() && TimedOut())
            m_failure = "step " + std::to_string(m_next + 1) + " timed out in a modal loop";
    } else if (!Failed()) {
        m_inTick = true;
        if (m_steps[m_next]()) {
            ++m_next;
            m_stepStart = ::GetTickCount();
        } else if (!Failed() && TimedOut()) {
            m_failure = "step " + std::to_string(m_next + 1) + " timed out";
        }
        m_inTick = false;
    }
    if (Failed())
        Abandon();
    if (Done()) {
        ::KillTimer(nullptr, m_timer);
        m_timer = 0;
    }
}

bool CSheetDriver::TimedOut() const { return ::GetTickCount() - m_stepStart > m_stepTimeoutMs; }

void CSheetDriver::CloseUnexpectedBoxes()
{
    for (HWND box : ThreadWindows(&IsMessageBox)) {
        char caption[256] = {};
        ::GetWindowTextA(box, caption, sizeof caption);
        if (std::find(m_expectedBoxes.begin(), m_expectedBoxes.end(), caption) != m_expectedBoxes.end())
            continue;
        const std::string text = Text(box, 0xFFFF);
        if (!(m_answer && m_answer(caption, text)) && m_failure.empty())
            m_failure = std::string("unexpected message box \"") + caption + "\": " + text;
        ::EndDialog(box, IDOK);
        ::ShowWindow(box, SW_HIDE);
    }
}

void CSheetDriver::Abandon()
{
    // Message boxes first: the sheet's own loop waits beneath them.
    while (HWND box = FindMessageBox(nullptr)) {
        ::EndDialog(box, IDOK);
        ::ShowWindow(box, SW_HIDE);
    }
    if (HWND sheet = FindSheet())
        PressOk(sheet);
}

HWND CSheetDriver::FindSheet() { return FindFirst(&IsSheet, nullptr); }

HWND CSheetDriver::FindMessageBox(const char* caption) { return FindFirst(&IsMessageBox, caption); }

HWND CSheetDriver::CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int CSheetDriver::CurrentTab(HWND sheet)
{
    return static_cast<int>(::SendMessageA(TabControl(sheet), TCM_GETCURSEL, 0, 0));
}

bool CSheetDriver::SelectPage(HWND sheet, int index)
{
    return ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

void CSheetDriver::PressOk(HWND sheet) { ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }

void CSheetDriver::Click(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string CSheetDriver::Text(HWND dialog, int id)
{
    char text[256] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void CSheetDriver::SetText(HWND dialog, int id, const std::string& text)
{
    ::SetDlgItemTextA(dialog, id, text.c_str());
}

int CSheetDriver::Check(HWND dialog, int id)
{
    return static_cast<int>(::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}

std::string CSheetDriver::TabCaption(HWND sheet, int index)
{
    char text[128] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(TabControl(sheet), TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> CSheetDriver::TabCaptions(HWND sheet)
{
    std::vector<std::string> out;
    const int n = static_cast<int>(::SendMessageA(TabControl(sheet), TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        out.push_back(TabCaption(sheet, i));
    return out;
}
