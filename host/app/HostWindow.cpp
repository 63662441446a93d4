// The host program's window: its setup, its message handlers, its menu, and
// the snapshot and script runs that close the window when they are done.
#include "host/app/HostWindow.h"

#include "host/app/InputDialog.h"
#include "host/app/ScriptRun.h"
#include "host/app/Snapshot.h"
#include "host/node/NodeFile.h"

#include <commdlg.h>

#include <algorithm>

namespace {

constexpr char kWindowClass[] = "VennoxHostWindow";
constexpr int kIdProperties = 101;
constexpr int kIdAbout = 102;
constexpr int kIdLog = 103;
constexpr UINT kStartRun = WM_APP + 1;
constexpr UINT kOpenSheet = WM_APP + 2;  // a run's step asks for the Properties verb
constexpr UINT_PTR kRunTimer = 1;        // watches the snapshot or the script run
constexpr UINT_PTR kLifeTimer = 2;
constexpr RECT kControlPos = {10, 10, 41, 41};
constexpr int kMargin = 10;
constexpr int kLogTop = 50;
constexpr int kLogLineWidth = 1200;
// A node call with a long --delay may keep a page from showing for a while.
constexpr DWORD kStepTimeoutMs = 30000;

}  // namespace

bool WriteStd(DWORD which, const std::string& line)
{
    HANDLE h = GetStdHandle(which);
    if (!h || h == INVALID_HANDLE_VALUE)
        return false;
    const std::string text = line + "\n";
    DWORD written = 0;
    return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

// ---- Setup and teardown ------------------------------------------------------

bool CHostWindow::Create(std::string& error)
{
    if (!m_options.logFile.empty() && !m_log.Open(m_options.logFile, error))
        return false;
    if (!CreateFrame(error))
        return false;
    AddMenu();
    AddControls();
    ConnectSite();
    ShowWindow(m_hwnd, SW_SHOW);
    if (!m_options.logFile.empty())
        Log("log: appended to " + m_options.logFile);
    const std::string& file = m_options.nodeFile;
    Log("node: " + (file.empty() ? std::string("built in, kept in memory") : file));
    Log(m_options.still ? "node: still" : "node: living, a step every second");
    Log("control: " + (m_options.module.empty() ? std::string(CControlHost::kProgID) : m_options.module));
    if (!m_control.Create(m_options.module, error) ||
        !m_control.Activate(m_site->ClientSite(), m_hwnd, kControlPos, error))
        return false;
    UpdateWindow(m_hwnd);
    // Timer messages come only when the thread's queue is otherwise empty:
    // node calls held up by --delay slow the node's life down.
    if (!m_options.still)
        SetTimer(m_hwnd, kLifeTimer, NodeLife::kStepMs, nullptr);
    if (!m_options.snapshotDir.empty() || !m_options.scriptFile.empty())
        PostMessageA(m_hwnd, kStartRun, 0, 0);
    return true;
}

int CHostWindow::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return m_exitCode;
}

bool CHostWindow::CreateFrame(std::string& error)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    // Registered once a process; tests create the window more than once.
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        error = "cannot register the window class";
        return false;
    }
    if (!CreateWindowExA(0, kWindowClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, 720, 480, nullptr, nullptr, wc.hInstance, this)) {
        error = "cannot create the main window";
        return false;
    }
    return true;
}

void CHostWindow::AddControls()
{
    AddChild("BUTTON", "Properties...", BS_PUSHBUTTON | WS_TABSTOP, kIdProperties, 60, 12, 100, 26);
    AddChild("BUTTON", "About...", BS_PUSHBUTTON | WS_TABSTOP, kIdAbout, 170, 12, 100, 26);
    m_logList = AddChild("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                         kIdLog, kMargin, kLogTop, 100, 100);
    // Room for a stamped call with all 32 bytes.
    SendMessageA(m_logList, LB_SETHORIZONTALEXTENT, kLogLineWidth, 0);
}

// The window destroys its menu with itself.
void CHostWindow::AddMenu()
{
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kSaveLog, "&Save log as...");
    AppendMenuA(file, MF_STRING | (m_options.nodeFile.empty() ? MF_GRAYED : 0), kReloadNode, "&Reload node file");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit");
    HMENU node = CreatePopupMenu();
    AppendMenuA(node, MF_STRING, kFailReads, "Fail &reads...");
    AppendMenuA(node, MF_STRING, kFailWrites, "Fail &writes...");
    AppendMenuA(node, MF_STRING | (m_node.failName ? MF_CHECKED : 0), kFailName, "Fail the &name");
    AppendMenuA(node, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(node, MF_STRING, kDelay, "&Delay per call...");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(node), "&Node");
    SetMenu(m_hwnd, bar);
}

HWND CHostWindow::AddChild(const char* cls, const char* text, DWORD style, int id, int x, int y, int cx,
                           int cy)
{
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, m_hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                 nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

void CHostWindow::ConnectSite()
{
    m_site = std::make_unique<CNodeSite>(m_node, m_options.site, m_hwnd, kControlPos);
    m_site->onCall = [this](const NodeCall& call) { Log(FormatNodeCall(call)); };
    m_site->onSaveError = [this](const std::string& e) { Log("node file not saved: " + e); };
}

// The same stamped line on standard output, in the window and in the log file.
void CHostWindow::Log(const std::string& text)
{
    const std::string line = m_log.Add(text);
    WriteStd(STD_OUTPUT_HANDLE, line);
    if (m_logList) {
        const LRESULT at = SendMessageA(m_logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        if (at >= 0)
            SendMessageA(m_logList, LB_SETTOPINDEX, static_cast<WPARAM>(at), 0);
    }
    const std::string fileError = m_log.TakeFileError();
    if (!fileError.empty())
        Log(fileError);
}

// The one place the control and the site are let go, in the reverse order of
// their setup; the window goes last.
void CHostWindow::Teardown()
{
    m_run.reset();
    m_control.Close();
    if (m_site && m_site->SiteRefs() != 0) {
        // Freeing the site would leave the control with dangling pointers.
        Log("the control still holds " + std::to_string(m_site->SiteRefs()) + " reference(s) to the site");
        m_site.release();
    }
    m_site.reset();
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

// ---- Messages ------------------------------------------------------------------

LRESULT CALLBACK CHostWindow::WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<CHostWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->m_hwnd = w;
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CHostWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self && self->OnMessage(msg, wp, lp))
        return 0;
    return DefWindowProcA(w, msg, wp, lp);
}

// True for a message handled here, which answers 0; the others go to the
// default procedure.
bool CHostWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        // A button's BN_CLICKED and a menu item's command both carry 0.
        if (HIWORD(wp) == BN_CLICKED)
            OnCommand(LOWORD(wp));
        return true;
    case WM_SIZE:
        OnSize(LOWORD(lp), HIWORD(lp));
        return true;
    case WM_CLOSE:
        Teardown();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_TIMER:
        OnTimer(wp);
        return true;
    case kStartRun:
        OnStartRun();
        return true;
    case kOpenSheet:
        OnOpenSheet();
        return true;
    default:
        return false;
    }
}

void CHostWindow::OnCommand(int id)
{
    switch (id) {
    case kIdProperties:
        OnProperties();
        break;
    case kIdAbout:
        OnAbout();
        break;
    case kSaveLog:
        OnSaveLog();
        break;
    case kReloadNode:
        OnReloadNode();
        break;
    case kExit:
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        break;
    case kFailReads:
        OnFailPoints(kFailReadsTitle, "reads", m_node.failRead);
        break;
    case kFailWrites:
        OnFailPoints(kFailWritesTitle, "writes", m_node.failWrite);
        break;
    case kFailName:
        OnFailName();
        break;
    case kDelay:
        OnDelay();
        break;
    }
}

void CHostWindow::OnSize(int cx, int cy)
{
    if (m_logList)
        MoveWindow(m_logList, kMargin, kLogTop, cx - 2 * kMargin, cy - kLogTop - kMargin, TRUE);
}

void CHostWindow::OnDestroy()
{
    m_hwnd = nullptr;
    m_logList = nullptr;
    PostQuitMessage(m_exitCode);
}

void CHostWindow::OnTimer(UINT_PTR id)
{
    if (id == kLifeTimer)
        m_life.Step(m_node);
    else if (id == kRunTimer && m_run && m_run->Over())
        FinishRun();
}

void CHostWindow::OnProperties()
{
    const HRESULT hr = m_control.Properties(m_hwnd);
    if (FAILED(hr))
        Log("Properties: " + DescribeHResult(hr));
}

void CHostWindow::OnAbout()
{
    const HRESULT hr = m_control.About();
    if (FAILED(hr))
        Log("AboutBox: " + DescribeHResult(hr));
}

// ---- The menu ------------------------------------------------------------------

void CHostWindow::OnSaveLog()
{
    char path[MAX_PATH] = "vennox-log.txt";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hwnd;
    ofn.lpstrFilter = "Text files (*.txt)\0*.txt\0All files\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = "Save log as";
    ofn.lpstrDefExt = "txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&ofn))
        return;
    std::string error;
    if (m_log.SaveAs(path, error))
        Log(std::string("log saved to ") + path);
    else
        Complain("The log was not saved.\n\n" + error);
}

// A refused file leaves the node as it was, failures included.
void CHostWindow::OnReloadNode()
{
    std::string error;
    if (LoadNodeFile(m_options.nodeFile, m_node, error)) {
        Log("node: reloaded from " + m_options.nodeFile);
        return;
    }
    Log("node file not reloaded: " + error);
    Complain("The node file was not reloaded; the node is as it was.\n\n" + error);
}

// Asks until the answer is a list of data points or the question is cancelled.
void CHostWindow::OnFailPoints(const char* title, const char* calls, std::set<long>& points)
{
    const std::string prompt = std::string("Data points whose ") + calls +
                               " fail, separated by commas; empty for none:";
    std::string text = FormatPointList(points);
    while (AskText(m_hwnd, title, prompt, text)) {
        text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }),
                   text.end());
        std::set<long> chosen;
        if (text.empty() || ParsePointList(text, chosen)) {
            points = chosen;
            Log(std::string("node: ") + calls + " fail for data points: " +
                (points.empty() ? std::string("none") : FormatPointList(points)));
            return;
        }
        Complain("\"" + text + "\" is no list of data point numbers (0 to 65535) separated by commas.");
    }
}

void CHostWindow::OnFailName()
{
    m_node.failName = !m_node.failName;
    CheckMenuItem(GetMenu(m_hwnd), kFailName, MF_BYCOMMAND | (m_node.failName ? MF_CHECKED : MF_UNCHECKED));
    Log(m_node.failName ? "node: GetNodeName fails" : "node: GetNodeName answers");
}

void CHostWindow::OnDelay()
{
    const std::string range = "0 to " + std::to_string(kMaxDelayMs);
    std::string text = std::to_string(m_site->Delay());
    while (AskText(m_hwnd, kDelayTitle, "Milliseconds every node call waits, from the next call on (" + range + "):",
                   text)) {
        unsigned ms = 0;
        if (ParseDelay(text, ms)) {
            m_site->SetDelay(ms);
            Log("node: every call waits " + std::to_string(ms) + " ms");
            return;
        }
        Complain("\"" + text + "\" is no number of milliseconds from " + range + ".");
    }
}

void CHostWindow::Complain(const std::string& text)
{
    MessageBoxA(m_hwnd, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

// ---- The snapshot or script run ------------------------------------------------

void CHostWindow::OnStartRun()
{
    auto openSheet = [this] { PostMessageA(m_hwnd, kOpenSheet, 0, 0); };
    auto log = [this](const std::string& s) { Log(s); };
    if (!m_options.snapshotDir.empty())
        m_run = std::make_unique<CSnapshot>(m_options.snapshotDir, openSheet, log);
    else
        m_run = std::make_unique<CScriptRun>(std::move(m_script), m_node, openSheet, log);
    if (!m_run->Start(kStepTimeoutMs)) {
        CloseWith(kExitFailed);
        return;
    }
    SetTimer(m_hwnd, kRunTimer, 100, nullptr);
}

// The sheet's modal loop runs here, outside the driver's steps.
void CHostWindow::OnOpenSheet()
{
    OnProperties();
    if (m_run)
        m_run->VerbReturned();
}

void CHostWindow::FinishRun()
{
    KillTimer(m_hwnd, kRunTimer);
    CloseWith(m_run->Finish() ? kExitOk : kExitFailed);
}

// The window closes once the handler has returned; Run() then returns `exitCode`.
void CHostWindow::CloseWith(int exitCode)
{
    m_exitCode = exitCode;
    PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
}
