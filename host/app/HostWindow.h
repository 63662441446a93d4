// CHostWindow: the host program's one window. The control in place, buttons
// for its Properties verb and AboutBox, a log of every node call the control
// makes through the client site, the timer that keeps the node living, and a
// menu that changes the node's failures, the delay per call and the node
// itself while the host runs.
#pragma once

#include "host/app/AutomatedRun.h"
#include "host/app/ControlHost.h"
#include "host/app/HostLog.h"
#include "host/app/HostOptions.h"
#include "host/node/NodeLife.h"
#include "host/script/Script.h"
#include "host/site/NodeSite.h"

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

// Writes a line to a standard handle when the host was started with one
// (from a shell); false when there is none, as for a program started from
// the desktop.
bool WriteStd(DWORD which, const std::string& line);

class CHostWindow {
public:
    // Also the caption of the program's message boxes.
    static constexpr char kCaption[] = "Vennox host";

    // The menu's commands.
    enum Command : int {
        kSaveLog = 201,  // "Save log as..."
        kReloadNode,     // "Reload node file", with --node only
        kExit,
        kFailReads,      // "Fail reads...": asks for the data points
        kFailWrites,     // "Fail writes..."
        kFailName,       // checked while GetNodeName fails
        kDelay,          // "Delay per call...": asks for milliseconds
    };
    // Captions of the menu's questions.
    static constexpr char kFailReadsTitle[] = "Fail reads";
    static constexpr char kFailWritesTitle[] = "Fail writes";
    static constexpr char kDelayTitle[] = "Delay per call";

    // `script`: the steps read from the options' script file.
    CHostWindow(const HostOptions& options, NodeModel& node, std::vector<ScriptStep> script = {})
        : m_options(options), m_node(node), m_script(std::move(script))
    {
    }
    ~CHostWindow() { Teardown(); }
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    // Shows the window with the control in place; with a snapshot folder or
    // a script file in the options, starts that automated run, which closes
    // the window when it is over.
    bool Create(std::string& error);
    // The message loop; the program's exit code once the window is gone.
    int Run();

    // Test support: the tests send the menu's commands to the window and
    // read its menu and the site's delay; the program does not use these.
    HWND Window() const { return m_hwnd; }
    const CNodeSite* Site() const { return m_site.get(); }

private:
    // Setup and teardown
    static LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    bool CreateFrame(std::string& error);
    void AddControls();
    void AddMenu();
    HWND AddChild(const char* cls, const char* text, DWORD style, int id, int x, int y, int cx, int cy);
    void ConnectSite();
    void Log(const std::string& line);
    void Teardown();

    // Message handlers; the window procedure's switch names them all.
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id);
    void OnSize(int cx, int cy);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnProperties();
    void OnAbout();
    void CloseWith(int exitCode);

    // The menu
    void OnSaveLog();
    void OnReloadNode();
    void OnFailPoints(const char* title, const char* calls, std::set<long>& points);
    void OnFailName();
    void OnDelay();
    void Complain(const std::string& text);

    // The snapshot or script run
    void OnStartRun();
    void OnOpenSheet();
    void FinishRun();

    const HostOptions& m_options;
    // Only this thread touches the node: the control calls through the site
    // on it, modal loops included, and the life timer steps the node here.
    NodeModel& m_node;
    NodeLife m_life{GetTickCount()};  // each run its own course
    HWND m_hwnd = nullptr;
    HWND m_logList = nullptr;
    CHostLog m_log;
    std::unique_ptr<CNodeSite> m_site;
    CControlHost m_control;
    std::vector<ScriptStep> m_script;
    std::unique_ptr<CAutomatedRun> m_run;  // the snapshot or the script
    int m_exitCode = kExitOk;
};
