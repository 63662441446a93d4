// vennox-host.exe: the stand-in network-management host. One window with the
// control in place, buttons for its Properties verb and AboutBox, a log of
// every node call the control makes through the client site, and the timer
// that keeps the simulated node living.
#include "host/ControlHost.h"
#include "host/HostOptions.h"
#include "host/NodeFile.h"
#include "host/NodeLife.h"
#include "host/NodeSite.h"
#include "host/Snapshot.h"

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr char kWindowClass[] = "VennoxHostWindow";
constexpr char kCaption[] = "Vennox host";
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

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Writes to a standard handle when the host was started with one (from a
// shell); false when there is none, as for a program started from the desktop.
bool WriteStd(DWORD which, const std::string& line)
{
    HANDLE h = GetStdHandle(which);
    if (!h || h == INVALID_HANDLE_VALUE)
        return false;
    const std::string text = line + "\n";
    DWORD written = 0;
    return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

void ReportError(const std::string& text)
{
    if (!WriteStd(STD_ERROR_HANDLE, "vennox-host: " + text))
        MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

// The node file, or the built-in node when there is none; a missing file is
// created from the built-in node.
bool PrepareNode(const HostOptions& options, NodeModel& node, std::string& error)
{
    node = NodeModel::Default();
    if (!options.nodeFile.empty()) {
        const DWORD attributes = GetFileAttributesA(options.nodeFile.c_str());
        const DWORD why = GetLastError();
        const bool missing = attributes == INVALID_FILE_ATTRIBUTES &&
                             (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND);
        const bool ready = missing ? SaveNodeFile(options.nodeFile, node, error)
                                   : LoadNodeFile(options.nodeFile, node, error);
        if (!ready)
            return false;
    }
    node.failRead = options.failRead;
    node.failWrite = options.failWrite;
    node.failName = options.failName;
    return true;
}

class CHostWindow {
public:
    CHostWindow(const HostOptions& options, NodeModel& node) : m_options(options), m_node(node) {}
    ~CHostWindow() { Teardown(); }
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    bool Create(std::string& error);
    int Run();

private:
    using Handler = LRESULT (CHostWindow::*)(WPARAM, LPARAM);
    struct MessageEntry {
        UINT message;
        Handler handler;
    };
    struct CommandEntry {
        int id;
        void (CHostWindow::*handler)();
    };
    static const MessageEntry kMessages[];
    static const CommandEntry kCommands[];

    static LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    HWND AddChild(const char* cls, const char* text, DWORD style, int id, int x, int y, int cx, int cy);
    void Log(const std::string& line);
    void Teardown();

    LRESULT OnCommand(WPARAM wp, LPARAM lp);
    LRESULT OnSize(WPARAM wp, LPARAM lp);
    LRESULT OnClose(WPARAM wp, LPARAM lp);
    LRESULT OnDestroy(WPARAM wp, LPARAM lp);
    LRESULT OnTimer(WPARAM wp, LPARAM lp);
    LRESULT OnStartSnapshot(WPARAM wp, LPARAM lp);
    void OnProperties();
    void OnAbout();
    void FinishSnapshot();

    const HostOptions& m_options;
    // Only this thread touches the node: the control calls through the site
    // on it, modal loops included, and the life timer steps the node here.
    NodeModel& m_node;
    NodeLife m_life{GetTickCount()};  // each run its own course
    HWND m_hwnd = nullptr;
    HWND m_log = nullptr;
    std::unique_ptr<CNodeSite> m_site;
    CControlHost m_control;
    std::unique_ptr<CSnapshot> m_snapshot;
    std::unique_ptr<CSheetDriver> m_driver;
    int m_exitCode = kExitOk;
};

const CHostWindow::MessageEntry CHostWindow::kMessages[] = {
    {WM_COMMAND, &CHostWindow::OnCommand},
    {WM_SIZE, &CHostWindow::OnSize},
    {WM_CLOSE, &CHostWindow::OnClose},
    {WM_DESTROY, &CHostWindow::OnDestroy},
    {WM_TIMER, &CHostWindow::OnTimer},
    {kStartSnapshot, &CHostWindow::OnStartSnapshot},
};

const CHostWindow::CommandEntry CHostWindow::kCommands[] = {
    {kIdProperties, &CHostWindow::OnProperties},
    {kIdAbout, &CHostWindow::OnAbout},
};

LRESULT CALLBACK CHostWindow::WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<CHostWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->m_hwnd = w;
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (auto* self = reinterpret_cast<CHostWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA))) {
        for (const MessageEntry& e : kMessages)
            if (e.message == msg)
                return (self->*e.handler)(wp, lp);
    }
    return DefWindowProcA(w, msg, wp, lp);
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

bool CHostWindow::Create(std::string& error)
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
    AddChild("BUTTON", "Properties...", BS_PUSHBUTTON | WS_TABSTOP, kIdProperties, 60, 12, 100, 26);
    AddChild("BUTTON", "About...", BS_PUSHBUTTON | WS_TABSTOP, kIdAbout, 170, 12, 100, 26);
    m_log = AddChild("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                     kIdLog, kMargin, kLogTop, 100, 100);
    // Room for a call with all 32 bytes.
    SendMessageA(m_log, LB_SETHORIZONTALEXTENT, kLogLineWidth, 0);

    m_site = std::make_unique<CNodeSite>(m_node, m_options.site, m_hwnd, kControlPos);
    m_site->onCall = [this](const NodeCall& call) { Log(FormatNodeCall(call)); };
    m_site->onSaveError = [this](const std::string& e) { Log("node file not saved: " + e); };
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

LRESULT CHostWindow::OnCommand(WPARAM wp, LPARAM)
{
    for (const CommandEntry& e : kCommands)
        if (e.id == LOWORD(wp) && HIWORD(wp) == BN_CLICKED)
            (this->*e.handler)();
    return 0;
}

LRESULT CHostWindow::OnSize(WPARAM, LPARAM lp)
{
    if (m_log)
        MoveWindow(m_log, kMargin, kLogTop, LOWORD(lp) - 2 * kMargin, HIWORD(lp) - kLogTop - kMargin, TRUE);
    return 0;
}

LRESULT CHostWindow::OnClose(WPARAM, LPARAM)
{
    Teardown();
    return 0;
}

LRESULT CHostWindow::OnDestroy(WPARAM, LPARAM)
{
    m_hwnd = nullptr;
    m_log = nullptr;
    PostQuitMessage(m_exitCode);
    return 0;
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

LRESULT CHostWindow::OnStartSnapshot(WPARAM, LPARAM)
{
    std::error_code ec;
    std::filesystem::create_directories(m_options.snapshotDir, ec);
    if (ec) {
        Log("cannot create " + m_options.snapshotDir + ": " + ec.message());
        m_exitCode = kExitFailed;
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        return 0;
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
    return 0;
}

LRESULT CHostWindow::OnTimer(WPARAM wp, LPARAM)
{
    if (wp == kLifeTimer)
        m_life.Step(m_node);
    if (wp == kSnapshotTimer && m_driver && (m_driver->Done() || m_driver->Failed()))
        FinishSnapshot();
    return 0;
}

void CHostWindow::FinishSnapshot()
{
    KillTimer(m_hwnd, kSnapshotTimer);
    if (m_driver->Failed())
        Log("snapshot: " + m_driver->Failure());
    Log("snapshot: " + std::to_string(m_snapshot->Files().size()) + " of " +
        std::to_string(CSnapshot::kPages) + " pages saved in " + m_options.snapshotDir);
    m_exitCode = m_snapshot->Complete() && !m_driver->Failed() ? kExitOk : kExitFailed;
    PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(std::vector<std::string>(__argv + 1, __argv + __argc), options, error)) {
        ReportError(error + "\n" + kHostUsage);
        return kExitUsage;
    }
    if (options.help) {
        if (!WriteStd(STD_OUTPUT_HANDLE, kHostUsage))
            MessageBoxA(nullptr, kHostUsage, kCaption, MB_OK);
        return kExitOk;
    }
    NodeModel node;
    if (!PrepareNode(options, node, error)) {
        ReportError(error);
        return kExitFailed;
    }
    if (FAILED(OleInitialize(nullptr))) {
        ReportError("OLE did not initialise");
        return kExitFailed;
    }
    int code = kExitFailed;
    {
        CHostWindow window(options, node);
        if (window.Create(error))
            code = window.Run();
        else
            ReportError(error);
    }
    OleUninitialize();
    return code;
}
