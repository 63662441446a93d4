// The host program's window: its setup, its message handlers, and the
// snapshot run that pictures every page and closes the window.
#include "host/HostWindow.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr char kWindowClass[] = "VennoxHostWindow";
constexpr int kIdProperties = 101;
constexpr int kIdAbout = 102;
constexpr int kIdLog = 103;
constexpr UINT kStartSnapshot = WM_APP + 1;
constexpr UINT_PTR kSnapshotTimer = 1;
constexpr UINT_PTR kLifeTimer = 2;
constexpr RECT kControlPos = {10, 10, 41, 41};
constexpr int kMargin = 10;
constexpr int kLogTop = 50;
constexpr int kLogLineWidth = 1000;
// A node call with a long --delay may keep a page from showing for a while.
constexpr DWORD kSnapshotStepTimeoutMs = 30000;

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
    if (!CreateFrame(error))
        return false;
    AddControls();
    ConnectSite();
    ShowWindow(m_hwnd, SW_SHOW);
    const std::string& file = m_options.nodeFile;
    Log("node: " + (file.empty() ? std::string("built in, kept in memory") : file));
    Log(m_options.still ? "node: still" : "node: living, a step every second");
    Log("control: " + (m_options.module.empty() ? std::string("Vennox.VennoxCtrl.1") : m_options.module));
    if (!m_control.Create(m_options.module, error) ||
        !m_control.Activate(m_site->ClientSite(), m_hwnd, kControlPos, error))
        return false;
    UpdateWindow(m_hwnd);
    // Timer messages come only when the thread's queue is otherwise empty:
    // node calls held up by --delay slow the node's life down.
    if (!m_options.still)
        SetTimer(m_hwnd, kLifeTimer, NodeLife::kStepMs, nullptr);
    if (!m_options.snapshotDir.empty())
        PostMessageA(m_hwnd, kStartSnapshot, 0, 0);
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
    if (!RegisterClassA(&wc)) {
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
    m_log = AddChild("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                     kIdLog, kMargin, kLogTop, 100, 100);
    // Room for a call with all 32 bytes.
    SendMessageA(m_log, LB_SETHORIZONTALEXTENT, kLogLineWidth, 0);
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

void CHostWindow::Log(const std::string& line)
{
    WriteStd(STD_OUTPUT_HANDLE, line);
    if (!m_log)
        return;
    const LRESULT at = SendMessageA(m_log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (at >= 0)
        SendMessageA(m_log, LB_SETTOPINDEX, static_cast<WPARAM>(at), 0);
}

// The one place the control and the site are let go, in the reverse order of
// their setup; the window goes last.
void CHostWindow::Teardown()
{
    m_driver.reset();
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
        if (HIWORD(wp) == BN_CLICKED)
            OnClicked(LOWORD(wp));
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
    case kStartSnapshot:
        OnStartSnapshot();
        return true;
    default:
        return false;
    }
}

void CHostWindow::OnClicked(int id)
{
    switch (id) {
    case kIdProperties:
        OnProperties();
        break;
    case kIdAbout:
        OnAbout();
        break;
    }
}

void CHostWindow::OnSize(int cx, int cy)
{
    if (m_log)
        MoveWindow(m_log, kMargin, kLogTop, cx - 2 * kMargin, cy - kLogTop - kMargin, TRUE);
}

void CHostWindow::OnDestroy()
{
    m_hwnd = nullptr;
    m_log = nullptr;
    PostQuitMessage(m_exitCode);
}

void CHostWindow::OnTimer(UINT_PTR id)
{
    if (id == kLifeTimer)
        m_life.Step(m_node);
    if (id == kSnapshotTimer && m_driver && (m_driver->Done() || m_driver->Failed()))
        FinishSnapshot();
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

// ---- Snapshot ------------------------------------------------------------------

void CHostWindow::OnStartSnapshot()
{
    std::error_code ec;
    std::filesystem::create_directories(m_options.snapshotDir, ec);
    if (ec) {
        Log("cannot create " + m_options.snapshotDir + ": " + ec.message());
        CloseWith(kExitFailed);
        return;
    }
    m_snapshot = std::make_unique<CSnapshot>(m_options.snapshotDir, [this](const std::string& s) { Log(s); });
    m_driver = std::make_unique<CSheetDriver>(m_snapshot->Steps(), 20, kSnapshotStepTimeoutMs);
    m_driver->ExpectBox(CSnapshot::kPluginBoxCaption);
    OnProperties();
    // A sheet that is not modal goes on after the verb returns.
    if (m_driver->Done() || m_driver->Failed())
        FinishSnapshot();
    else
        SetTimer(m_hwnd, kSnapshotTimer, 100, nullptr);
}

void CHostWindow::FinishSnapshot()
{
    KillTimer(m_hwnd, kSnapshotTimer);
    if (m_driver->Failed())
        Log("snapshot: " + m_driver->Failure());
    Log("snapshot: " + std::to_string(m_snapshot->Files().size()) + " of " +
        std::to_string(CSnapshot::kPages) + " pages saved in " + m_options.snapshotDir);
    CloseWith(m_snapshot->Complete() && !m_driver->Failed() ? kExitOk : kExitFailed);
}

// The window closes once the handler has returned; Run() then returns `exitCode`.
void CHostWindow::CloseWith(int exitCode)
{
    m_exitCode = exitCode;
    PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
}
