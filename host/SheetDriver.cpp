#include "host/SheetDriver.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>

namespace {

// Drivers with a running timer on this thread; the timer callback has no
// context argument.
thread_local std::vector<CSheetDriver*> t_drivers;

bool HasClass(HWND hWnd, const char* name)
{
    char cls[64] = {};
    ::GetClassNameA(hWnd, cls, sizeof cls);
    return std::string(cls) == name;
}

struct Search {
    bool (*match)(HWND, const Search&);
    const char* caption;
    HWND found;
};

bool IsSheet(HWND hWnd, const Search&)
{
    return HasClass(hWnd, "#32770") && ::SendMessageA(hWnd, PSM_GETTABCONTROL, 0, 0) != 0;
}

bool IsMessageBox(HWND hWnd, const Search& s)
{
    // A message box is a dialog with its text in static 0xFFFF; a null
    // caption matches any.
    if (!HasClass(hWnd, "#32770") || !::GetDlgItem(hWnd, 0xFFFF) || IsSheet(hWnd, s))
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
    s->found = hWnd;
    return FALSE;
}

HWND FindOnThread(bool (*match)(HWND, const Search&), const char* caption)
{
    Search s = {match, caption, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

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
    // A step may run a modal loop of its own (a click that opens a message
    // box); ticks inside it wait for the step to return.
    if (m_inTick || Done() || Failed())
        return;
    m_inTick = true;
    if (m_steps[m_next]()) {
        ++m_next;
        m_stepStart = ::GetTickCount();
    } else if (::GetTickCount() - m_stepStart > m_stepTimeoutMs) {
        m_failure = "step " + std::to_string(m_next + 1) + " timed out";
    }
    m_inTick = false;
    if (Failed())
        Abandon();
    if (Done() || Failed()) {
        ::KillTimer(nullptr, m_timer);
        m_timer = 0;
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
        ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

HWND CSheetDriver::FindSheet() { return FindOnThread(&IsSheet, nullptr); }

HWND CSheetDriver::FindMessageBox(const char* caption) { return FindOnThread(&IsMessageBox, caption); }

HWND CSheetDriver::CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool CSheetDriver::SelectPage(HWND sheet, int index)
{
    return ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

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

std::vector<std::string> CSheetDriver::TabCaptions(HWND sheet)
{
    HWND tab = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    std::vector<std::string> out;
    const int n = static_cast<int>(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[128] = {};
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        out.push_back(text);
    }
    return out;
}
