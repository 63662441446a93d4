// vennox-host.exe: the stand-in network-management host. Its entry reads the
// command line, the script and the node, then runs the host window
// (host/app/HostWindow.h) until it closes; --help only prints the usage.
#include "host/app/ControlHost.h"
#include "host/app/HostOptions.h"
#include "host/app/HostWindow.h"
#include "host/node/NodeFile.h"
#include "host/script/Script.h"

#include <string>
#include <vector>

namespace {

void ReportError(const std::string& text)
{
    if (!WriteStd(STD_ERROR_HANDLE, "vennox-host: " + text))
        MessageBoxA(nullptr, text.c_str(), CHostWindow::kCaption, MB_OK | MB_ICONERROR);
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

// The window with the control, under OLE, until it closes.
int RunWindow(const HostOptions& options, NodeModel& node, std::vector<ScriptStep> script)
{
    if (FAILED(OleInitialize(nullptr))) {
        ReportError("OLE did not initialise");
        return kExitFailed;
    }
    int code = kExitFailed;
    {
        CHostWindow window(options, node, std::move(script));
        std::string error;
        if (window.Create(error))
            code = window.Run();
        else
            ReportError(error);
    }
    OleUninitialize();
    return code;
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
            MessageBoxA(nullptr, kHostUsage, CHostWindow::kCaption, MB_OK);
        return kExitOk;
    }
    // A malformed script is refused before anything runs, as a bad option is.
    // Its pages are checked against the captions in the control's module.
    std::vector<ScriptStep> script;
    if (!options.scriptFile.empty() &&
        !LoadScript(options.scriptFile, SheetCaptions(options.module), script, error)) {
        ReportError(error);
        return kExitUsage;
    }
    NodeModel node;
    if (!PrepareNode(options, node, error)) {
        ReportError(error);
        return kExitFailed;
    }
    return RunWindow(options, node, std::move(script));
}
