// vennox-bench: figures of the module beside it (or --module PATH), under
// the stand-in host's client site.
//   open    the process's CPU time of openings of the sheet, against bare
//           system property sheets of the same size (ten empty pages; the
//           same first page), the wall time to the painted first page, and
//           both step by step
//   calls   node calls of every page procedure, against the documented counts
//   write   with a node that takes 50 ms per call, the share of a Write's
//           wall time spent outside node calls
//   soak    openings visiting every page and Zone actual ticks: USER and GDI
//           objects, windows, private bytes and the site's references,
//           before and after
//   bare    the private bytes a bare sheet's openings leave, for comparison
// Prints one table row "| figure | value | target | verdict |" per figure;
// exits 1 when a figure misses its target, 2 on bad arguments or when the
// module cannot be used.
#include "VennoxLib.h"
#include "framework/Handles.h"
#include "host/app/SheetDriver.h"
#include "host/site/NodeSite.h"
#include "resources/resource.h"
#include "tests/win/ImportPatch.h"
#include "tests/win/TestSupport.h"

#include <windows.h>
#include <commctrl.h>
#include <olectl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using D = CSheetDriver;

// ---- Clock ------------------------------------------------------------------------

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// ---- Report -----------------------------------------------------------------------

bool g_missed = false;

void Report(const std::string& name, const std::string& value, const std::string& target, bool met)
{
    std::printf("| %-40s | %-24s | %-10s | %-6s |\n", name.c_str(), value.c_str(), target.c_str(),
                met ? "ok" : "MISSED");
    std::fflush(stdout);
    g_missed = g_missed || !met;
}

// A figure for information: no target, no verdict.
void Info(const std::string& name, const std::string& value)
{
    std::printf("| %-40s | %-24s | %-10s | %-6s |\n", name.c_str(), value.c_str(), "", "");
    std::fflush(stdout);
}

std::string Fixed(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// ---- The module -------------------------------------------------------------------

// A control of `module` on `site`.
afx::com_ptr<IOleObject> NewControl(const ControlModule& module, CNodeSite& site)
{
    afx::com_ptr<IOleObject> control;
    if (SUCCEEDED(module.m_factory->CreateInstance(nullptr, IID_IOleObject, control.put_void())))
        control->SetClientSite(site.ClientSite());
    return control;
}

// Opens the control's sheet and runs `steps` inside its modal loop; false
// when a step failed or the sheet closed early.
bool OpenSheet(IOleObject* control, std::vector<D::Step> steps, UINT intervalMs = 10)
{
    CSheetDriver driver(std::move(steps), intervalMs);
    control->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr);
    if (driver.Failed())
        std::fprintf(stderr, "bench: %s\n", driver.Failure().c_str());
    return !driver.Failed() && driver.Done();
}

D::Step Once(std::function<void(HWND sheet)> act)
{
    return [act] {
        HWND sheet = D::FindSheet();
        if (!sheet)
            return false;
        act(sheet);
        return true;
    };
}

// ---- (a) Open time ------------------------------------------------------------------
// The process's own CPU time, user and kernel, of whole openings: from the
// call that opens a sheet until it has closed again after its first page was
// painted. Under Wine that clock moves in 10 ms steps, so it is read around
// batches of openings, never around one; and the window system's share of
// the work, done in wineserver and the X server, is not in it (the wall time
// beside it has it). Batches of the plug-in and of the two bare sheets
// alternate, so that a change of the machine's pace meets all three alike;
// the median batch of each stands. Then openings watched step by step, with
// hooks that take time of their own, tell where the time goes.

double CpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

struct Instant {
    double wall = 0, cpu = 0;
};

// The moments of one opening, in their order. A bare sheet has no verb (its
// first three moments are its PropertySheetA call) and reads no node.
enum Moment {
    kCalled,         // the verb called
    kConstructor,    // the site asked for the read interface: the sheet's constructor runs
    kPropertySheet,  // PropertySheetA entered
    kSheetWindow,    // the sheet's window created
    kSheetInit,      // its WM_INITDIALOG begins
    kPageWindow,     // the first page's window created
    kReadBegins,     // the first node call begins
    kReadEnds,       // and has returned
    kPageInitDone,   // the first page's WM_INITDIALOG has returned
    kSheetInitDone,  // the sheet's WM_INITDIALOG has returned
    kFirstPaint,     // the first WM_PAINT of one of its windows begins
    kPainted,        // the last WM_PAINT before nothing was left to paint has returned
    kExit,           // Exit pressed
    kClosed,         // the call that opened the sheet has returned
    kMoments
};

// One opening. Without `steps` only kCalled, kPainted (the timer tick that
// found it painted), kExit and kClosed are taken, and nothing hooks the
// thread's messages; with it, every moment, through a CBT hook, the sheet's
// windows subclassed, PropertySheetA patched in the module's imports and
// the site's callbacks.
struct OpeningWatch {
    bool steps = false;
    Instant at[kMoments];
    bool seen[kMoments] = {};
    Instant lastPaint;
    bool paintSeen = false;
    HWND sheet = nullptr, page = nullptr;

    void Mark(Moment m)
    {
        if (!seen[m]) {
            at[m] = Instant{NowMs(), CpuMs()};
            seen[m] = true;
        }
    }
};
OpeningWatch* g_watch = nullptr;

// For the hooks and callbacks: the opening watched for its steps, if any.
OpeningWatch* Stepping() { return g_watch && g_watch->steps ? g_watch : nullptr; }

struct Subclassed {
    HWND hwnd;
    WNDPROC original;
    bool wide;
};
std::vector<Subclassed> g_subclassed;

LRESULT CALLBACK WatchWindow(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto found = [w] {
        return std::find_if(g_subclassed.begin(), g_subclassed.end(), [w](const Subclassed& s) { return s.hwnd == w; });
    };
    auto it = found();
    if (it == g_subclassed.end())
        return ::DefWindowProcA(w, msg, wParam, lParam);
    const Subclassed s = *it;
    OpeningWatch* watch = Stepping();
    if (watch && msg == WM_INITDIALOG && w == watch->sheet)
        watch->Mark(kSheetInit);
    if (watch && msg == WM_PAINT)
        watch->Mark(kFirstPaint);
    const LRESULT result = s.wide ? ::CallWindowProcW(s.original, w, msg, wParam, lParam)
                                  : ::CallWindowProcA(s.original, w, msg, wParam, lParam);
    if (watch && msg == WM_INITDIALOG && (w == watch->sheet || w == watch->page))
        watch->Mark(w == watch->sheet ? kSheetInitDone : kPageInitDone);
    if (watch && msg == WM_PAINT) {
        watch->lastPaint = Instant{NowMs(), CpuMs()};
        watch->paintSeen = true;
    }
    if (msg == WM_NCDESTROY && (it = found()) != g_subclassed.end())
        g_subclassed.erase(it);
    return result;
}

bool IsDialog(HWND w)
{
    char cls[16] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    return std::strcmp(cls, "#32770") == 0;
}

// The sheet is the first top-level dialog created; its windows are
// subclassed as they are created, and its first child dialog is the first
// page.
LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam)
{
    OpeningWatch* watch = Stepping();
    if (code == HCBT_CREATEWND && watch) {
        HWND w = reinterpret_cast<HWND>(wParam);
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        const bool child = cs->style & WS_CHILD;
        bool ours = false;
        if (!watch->sheet && !child && IsDialog(w)) {
            watch->sheet = w;
            watch->Mark(kSheetWindow);
            ours = true;
        } else if (watch->sheet && child &&
                   (cs->hwndParent == watch->sheet || ::IsChild(watch->sheet, cs->hwndParent))) {
            ours = true;
            if (!watch->page && cs->hwndParent == watch->sheet && IsDialog(w)) {
                watch->page = w;
                watch->Mark(kPageWindow);
            }
        }
        if (ours) {
            const bool wide = ::IsWindowUnicode(w);
            const auto proc = reinterpret_cast<LONG_PTR>(&WatchWindow);
            const LONG_PTR original =
                wide ? ::SetWindowLongPtrW(w, GWLP_WNDPROC, proc) : ::SetWindowLongPtrA(w, GWLP_WNDPROC, proc);
            g_subclassed.push_back({w, reinterpret_cast<WNDPROC>(original), wide});
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

decltype(&::PropertySheetA) g_propertySheet = nullptr;

INT_PTR WINAPI WatchPropertySheet(LPCPROPSHEETHEADERA header)
{
    if (OpeningWatch* watch = Stepping())
        watch->Mark(kPropertySheet);
    return g_propertySheet(header);
}

BOOL CALLBACK NeedsPaint(HWND w, LPARAM found)
{
    RECT r;
    if (::IsWindowVisible(w) && ::GetUpdateRect(w, &r, FALSE))
        *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// A thread timer finds the sheet with nothing left to paint (timer messages
// come only when no window of the thread needs painting), then presses Exit.
void CALLBACK CheckPainted(HWND, UINT, UINT_PTR, DWORD)
{
    OpeningWatch* watch = g_watch;
    if (!watch || watch->seen[kExit])
        return;
    if (!watch->sheet)
        watch->sheet = D::FindSheet();
    HWND sheet = watch->sheet;
    if (!sheet || !::IsWindowVisible(sheet) || (watch->steps && !watch->paintSeen))
        return;
    bool pending = false;
    NeedsPaint(sheet, reinterpret_cast<LPARAM>(&pending));
    ::EnumChildWindows(sheet, &NeedsPaint, reinterpret_cast<LPARAM>(&pending));
    if (pending)
        return;
    if (watch->steps) {
        watch->at[kPainted] = watch->lastPaint;
        watch->seen[kPainted] = true;
    } else {
        watch->Mark(kPainted);
    }
    watch->Mark(kExit);
    D::PressOk(sheet);
}

// The checking timer, for a run of openings: a period begun before an
// opening is usually over by the time its page is painted, so that the tick
// comes right after the last WM_PAINT.
struct PaintTimer {
    UINT_PTR id = ::SetTimer(nullptr, 0, 10, &CheckPainted);
    ~PaintTimer() { ::KillTimer(nullptr, id); }
};

// `open` opens a sheet and returns when it has closed; false when its first
// page was not painted.
bool Watch(OpeningWatch& watch, const std::function<void()>& open)
{
    g_watch = &watch;
    HHOOK hook = watch.steps ? ::SetWindowsHookExA(WH_CBT, &WatchCreation, nullptr, ::GetCurrentThreadId()) : nullptr;
    watch.Mark(kCalled);
    open();
    watch.Mark(kClosed);
    if (hook)
        ::UnhookWindowsHookEx(hook);
    g_watch = nullptr;
    for (const Subclassed& s : g_subclassed)  // none, unless a window outlived its sheet
        (s.wide ? ::SetWindowLongPtrW : ::SetWindowLongPtrA)(s.hwnd, GWLP_WNDPROC,
                                                             reinterpret_cast<LONG_PTR>(s.original));
    g_subclassed.clear();
    return watch.seen[kPainted];
}

// A dialog template in memory: an empty child page of the plug-in's page size.
std::vector<WORD> EmptyPageTemplate()
{
    std::vector<WORD> t(64, 0);
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(t.data());
    dlg->style = DS_SETFONT | WS_CHILD | WS_CAPTION;
    dlg->cx = 300;
    dlg->cy = 200;
    WORD* p = reinterpret_cast<WORD*>(dlg + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // default class
    *p++ = 0;  // no title
    *p++ = 8;  // font size, then its name
    for (const char* c = "MS Sans Serif"; ; ++c) {
        *p++ = static_cast<WORD>(*c);
        if (!*c)
            break;
    }
    return t;
}

INT_PTR CALLBACK EmptyPageProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Ten empty pages; with `firstPage`, the first one is that module's Node
// Information template instead, which tells the plug-in's own cost apart
// from the cost of showing its first page's controls.
void OpenBareSheet(HMODULE firstPage = nullptr)
{
    static const std::vector<WORD> page = EmptyPageTemplate();
    static const char* const titles[] = {"Page 1", "Page 2", "Page 3", "Page 4", "Page 5",
                                         "Page 6", "Page 7", "Page 8", "Page 9", "Page 10"};
    PROPSHEETPAGEA pages[10] = {};
    for (int i = 0; i < 10; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        pages[i].pResource = reinterpret_cast<const DLGTEMPLATE*>(page.data());
        pages[i].pfnDlgProc = &EmptyPageProc;
        pages[i].pszTitle = titles[i];
    }
    if (firstPage) {
        pages[0].dwFlags = PSP_USETITLE;
        pages[0].hInstance = firstPage;
        pages[0].pszTemplate = MAKEINTRESOURCEA(IDD_NODEINFO);
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.pszCaption = "VNX";
    header.nPages = 10;
    header.ppsp = pages;
    if (OpeningWatch* watch = Stepping()) {
        watch->Mark(kConstructor);
        watch->Mark(kPropertySheet);
    }
    ::PropertySheetA(&header);
}

// What is opened, and its figures: per batch, the CPU time per whole
// opening and the mean wall time to the painted page; per watched opening,
// its moments.
struct Sheet {
    Sheet(const char* n, std::function<void()> o) : name(n), open(std::move(o)) {}
    const char* name;
    std::function<void()> open;
    std::vector<double> cpu, wall;
    std::vector<OpeningWatch> watched;
};

bool Batch(Sheet& s, int openings)
{
    PaintTimer timer;
    double wall = 0;
    const double cpu = CpuMs();
    for (int i = 0; i < openings; ++i) {
        OpeningWatch watch;
        if (!Watch(watch, s.open))
            return false;
        wall += watch.at[kPainted].wall - watch.at[kCalled].wall;
    }
    s.cpu.push_back((CpuMs() - cpu) / openings);
    s.wall.push_back(wall / openings);
    return true;
}

bool WatchSteps(Sheet& s)
{
    PaintTimer timer;
    OpeningWatch watch;
    watch.steps = true;
    if (!Watch(watch, s.open))
        return false;
    s.watched.push_back(watch);
    return true;
}

// "7.42 ms (7.31-7.60)": the median batch and the range of all.
std::string Spread(const std::vector<double>& v)
{
    return Fixed(Median(v), 2) + " ms (" + Fixed(*std::min_element(v.begin(), v.end()), 2) + "-" +
           Fixed(*std::max_element(v.begin(), v.end()), 2) + ")";
}

// The steps of an opening; "-" where the sheet has no such step.
struct Step {
    const char* name;
    Moment from, to;
};
const Step kSteps[] = {
    {"verb to sheet's constructor", kCalled, kConstructor},
    {"interfaces, ten pages added", kConstructor, kPropertySheet},
    {"PropertySheetA to the window", kPropertySheet, kSheetWindow},
    {"window to WM_INITDIALOG", kSheetWindow, kSheetInit},
    {"WM_INITDIALOG to the page", kSheetInit, kPageWindow},
    {"page's creation and init", kPageWindow, kPageInitDone},
    {"  of which the node read", kReadBegins, kReadEnds},
    {"rest of WM_INITDIALOG", kPageInitDone, kSheetInitDone},
    {"showing, to first WM_PAINT", kSheetInitDone, kFirstPaint},
    {"painting", kFirstPaint, kPainted},
    {"to the painted page, all", kCalled, kPainted},
    {"closing, Exit to return", kExit, kClosed},
};

// "0.4/1.2": the mean CPU time (the 10 ms steps of the process's clock
// average out over many openings) and the median wall time of a step.
std::string StepTimes(const std::vector<OpeningWatch>& watched, const Step& step)
{
    std::vector<double> wall;
    double cpu = 0;
    for (const OpeningWatch& w : watched) {
        if (!w.seen[step.from] || !w.seen[step.to])
            return "-";
        wall.push_back(w.at[step.to].wall - w.at[step.from].wall);
        cpu += w.at[step.to].cpu - w.at[step.from].cpu;
    }
    return wall.empty() ? "-" : Fixed(cpu / wall.size(), 1) + "/" + Fixed(Median(wall), 1);
}

void BenchOpen(const ControlModule& module, int batches, int openings, int watched)
{
    NodeModel node = NodeModel::Default();
    CNodeSite site(node, SiteOptions());
    site.onQueryInterface = [](REFIID iid) {
        if (OpeningWatch* watch = Stepping(); watch && IsEqualIID(iid, IID_IReadNode))
            watch->Mark(kConstructor);
    };
    site.onWait = [](NodeCall::Kind, long) {
        if (OpeningWatch* watch = Stepping())
            watch->Mark(kReadBegins);
    };
    site.onCall = [](const NodeCall&) {
        if (OpeningWatch* watch = Stepping())
            watch->Mark(kReadEnds);
    };
    afx::com_ptr<IOleObject> control = NewControl(module, site);
    Sheet sheets[] = {
        {"plug-in", [&] { control->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr); }},
        {"same first page", [&] { OpenBareSheet(module.m_module.get()); }},
        {"ten empty pages", [] { OpenBareSheet(); }},
    };
    Sheet& plugin = sheets[0];
    Sheet& sameFirst = sheets[1];
    Sheet& empty = sheets[2];
    bool ok = true;
    for (Sheet& s : sheets) {  // the first openings load the common controls and fonts
        ok = ok && Batch(s, 3);
        s.cpu.clear();
        s.wall.clear();
    }
    for (int b = 0; ok && b < batches; ++b)
        for (int k = 0; ok && k < 3; ++k)
            ok = Batch(sheets[(b + k) % 3], openings);
    {
        // Were it not imported, the steps around PropertySheetA would show "-".
        ImportPatch patch(module.m_module.get(), "comctl32.dll", "PropertySheetA",
                          reinterpret_cast<const void*>(&WatchPropertySheet));
        g_propertySheet = patch.original<decltype(&::PropertySheetA)>();
        for (int i = 0; ok && i < watched; ++i)
            for (Sheet& s : sheets)
                ok = ok && WatchSteps(s);
    }
    control->SetClientSite(nullptr);
    if (!ok) {
        Report("open: every sheet painted and closed", "no", "yes", false);
        return;
    }

    Info("open: batches x openings, each sheet", std::to_string(batches) + " x " + std::to_string(openings));
    for (const Sheet& s : sheets)
        Info(std::string("open: CPU per opening, ") + s.name, Spread(s.cpu));
    const double p = Median(plugin.cpu), f = Median(sameFirst.cpu), e = Median(empty.cpu);
    Report("open: CPU ratio to same first page", Fixed(p / f, 2), "<= 1.10", p / f <= 1.10);
    Report("open: CPU ratio to ten empty pages", Fixed(p / e, 2), "<= 1.30", p / e <= 1.30);
    for (const Sheet& s : sheets)
        Info(std::string("open: wall to painted, ") + s.name, Spread(s.wall));
    const double w = Median(plugin.wall);
    Info("open: wall ratios, same first / empty",
         Fixed(w / Median(sameFirst.wall), 2) + " / " + Fixed(w / Median(empty.wall), 2));
    if (watched == 0)
        return;
    Info("open steps, " + std::to_string(watched) + " each: CPU/wall ms", "plug-in, same 1st, empty");
    for (const Step& step : kSteps)
        Info(std::string("open step: ") + step.name, StepTimes(plugin.watched, step) + " " +
                                                         StepTimes(sameFirst.watched, step) + " " +
                                                         StepTimes(empty.watched, step));
}

// ---- (b) Node calls per page procedure -------------------------------------------------
// Each call is a field bus round trip: these counts are the floor.

struct Procedure {
    const char* name;
    int page;
    enum { kInit, kRead, kWrite, kTick } what;
    size_t calls;
};

const Procedure kProcedures[] = {
    {"Node Information, showing", 0, Procedure::kInit, 1},
    {"Zone 1 Actual, showing", 1, Procedure::kInit, 8},
    {"Zone 1 Actual, tick", 1, Procedure::kTick, 5},
    {"Zone 1 Actual, Read", 1, Procedure::kRead, 3},
    {"Zone 1 Actual, Write", 1, Procedure::kWrite, 9},
    {"Zone 1 Settings, showing", 2, Procedure::kInit, 4},
    {"Zone 1 Settings, Read", 2, Procedure::kRead, 4},
    {"Zone 1 Settings, Write", 2, Procedure::kWrite, 12},
    {"Zone 2 Actual, Write", 3, Procedure::kWrite, 9},
    {"Zone 2 Settings, Write", 4, Procedure::kWrite, 12},
    {"Zone 3 Actual, Write", 5, Procedure::kWrite, 9},
    {"Zone 3 Settings, Write", 6, Procedure::kWrite, 12},
    {"Zone 4 Actual, tick", 7, Procedure::kTick, 5},
    {"Zone 4 Actual, Write", 7, Procedure::kWrite, 9},
    {"Zone 4 Settings, showing", 8, Procedure::kInit, 3},
    {"Zone 4 Settings, Read", 8, Procedure::kRead, 3},
    {"Zone 4 Settings, Write", 8, Procedure::kWrite, 9},
    {"Common settings, showing", 9, Procedure::kInit, 1},
    {"Common settings, Read", 9, Procedure::kRead, 1},
    {"Common settings, Write", 9, Procedure::kWrite, 3},
};

// The node calls of one procedure on a sheet opened on the default node.
size_t CountCalls(const ControlModule& module, const Procedure& p)
{
    NodeModel node = NodeModel::Default();
    CNodeSite site(node, SiteOptions());
    afx::com_ptr<IOleObject> control = NewControl(module, site);
    size_t calls = 0;
    OpenSheet(control.get(), {Once([&](HWND sheet) {
                  if (p.what != Procedure::kInit || p.page != 0)
                      site.ClearCalls();  // the first page is shown as the sheet opens
                  D::SelectPage(sheet, p.page);
                  HWND page = D::CurrentPage(sheet);
                  if (p.what != Procedure::kInit)
                      site.ClearCalls();
                  if (p.what == Procedure::kRead)
                      D::Click(page, IDC_READ);
                  else if (p.what == Procedure::kWrite)
                      D::Click(page, IDC_WRITE);
                  else if (p.what == Procedure::kTick)
                      ::SendMessageA(page, WM_TIMER, 1, 0);
                  calls = site.Calls().size();
                  D::PressOk(sheet);
              })});
    control->SetClientSite(nullptr);
    return calls;
}

void BenchCalls(const ControlModule& module)
{
    for (const Procedure& p : kProcedures) {
        const size_t n = CountCalls(module, p);
        Report(std::string("calls: ") + p.name, std::to_string(n), "= " + std::to_string(p.calls), n == p.calls);
    }
}

// ---- (c) Time outside node calls during a Write ----------------------------------------

// One Write on page `index` of a fresh sheet: its wall time and the time
// spent inside node calls.
void TimeWrite(const ControlModule& module, unsigned delayMs, int index, double& wall, double& inside)
{
    NodeModel node = NodeModel::Default();
    SiteOptions options;
    options.delayMs = delayMs;
    CNodeSite site(node, options);
    double began = 0;
    site.onWait = [&](NodeCall::Kind, long) { began = NowMs(); };
    site.onCall = [&](const NodeCall&) { inside += NowMs() - began; };
    afx::com_ptr<IOleObject> control = NewControl(module, site);
    OpenSheet(control.get(), {Once([&](HWND sheet) {
                  D::SelectPage(sheet, index);
                  HWND page = D::CurrentPage(sheet);
                  inside = 0;
                  const double start = NowMs();
                  D::Click(page, IDC_WRITE);
                  wall = NowMs() - start;
                  D::PressOk(sheet);
              })});
    control->SetClientSite(nullptr);
}

// The least disturbed of three Writes on each page.
void BenchWrite(const ControlModule& module, unsigned delayMs)
{
    for (int index = 1; index <= 9; ++index) {
        double bestShare = 100, bestWall = 0;
        for (int run = 0; run < 3; ++run) {
            double wall = 0, inside = 0;
            TimeWrite(module, delayMs, index, wall, inside);
            const double share = wall > 0 ? 100.0 * (wall - inside) / wall : 100;
            if (share < bestShare) {
                bestShare = share;
                bestWall = wall;
            }
        }
        char name[64];
        std::snprintf(name, sizeof name, "write: page %d outside calls", index);
        Report(name, Fixed(bestShare, 2) + " % of " + Fixed(bestWall, 0) + " ms", "< 2 %", bestShare < 2.0);
    }
}

// ---- (d) Soak ---------------------------------------------------------------------------

struct Figures {
    DWORD user = 0, gdi = 0;  // GetGuiResources; 0 where the system does not count
    int windows = 0;
    SIZE_T privateBytes = 0;
    long siteRefs = 0, readRefs = 0, writeRefs = 0;
};

BOOL CALLBACK CountWindow(HWND w, LPARAM count)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        ::EnumChildWindows(w, &CountWindow, count);
    }
    return TRUE;
}

Figures Measure(const CNodeSite& site)
{
    Figures f;
    f.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    f.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    ::EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&f.windows));
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc))
        f.privateBytes = pmc.PagefileUsage;
    f.siteRefs = site.SiteRefs();
    f.readRefs = site.ReadRefs();
    f.writeRefs = site.WriteRefs();
    return f;
}

// One opening that shows every page; the Zone actual pages then take
// `ticks` timer messages between them.
bool OpenEveryPage(IOleObject* control, int ticks)
{
    return OpenSheet(control, {Once([ticks](HWND sheet) {
                         HWND actual[4] = {};
                         for (int i = 0; i < 10; ++i) {
                             D::SelectPage(sheet, i);
                             if (i % 2 && i < 9)
                                 actual[i / 2] = D::CurrentPage(sheet);
                         }
                         for (int t = 0; t < ticks; ++t)
                             ::SendMessageA(actual[t % 4], WM_TIMER, 1, 0);
                         D::PressOk(sheet);
                     })});
}

// The same openings of a bare system sheet of ten empty pages: what the
// platform itself keeps of so many dialogs, for comparison.
long long BareSoakGrowth(int openings)
{
    auto once = [] {
        CSheetDriver driver({Once([](HWND sheet) {
                                for (int i = 0; i < 10; ++i)
                                    D::SelectPage(sheet, i);
                                D::PressOk(sheet);
                            })},
                            10);
        OpenBareSheet();
    };
    once();
    once();
    PROCESS_MEMORY_COUNTERS before = {}, after = {};
    before.cb = after.cb = sizeof before;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before);
    for (int i = 0; i < openings; ++i)
        once();
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after);
    return static_cast<long long>(after.PagefileUsage) - static_cast<long long>(before.PagefileUsage);
}

void BenchSoak(const ControlModule& module, int openings, int ticks, SIZE_T allowedGrowth)
{
    NodeModel node = NodeModel::Default();
    CNodeSite site(node, SiteOptions());
    afx::com_ptr<IOleObject> control = NewControl(module, site);
    OpenEveryPage(control.get(), 4);  // first openings load what the system keeps
    OpenEveryPage(control.get(), 4);
    site.ClearCalls();  // the host's call log is not the module's memory
    const Figures before = Measure(site);
    const double start = NowMs();
    int failed = 0;
    for (int i = 0; i < openings; ++i) {
        failed += !OpenEveryPage(control.get(), i == 0 ? ticks : 0);
        site.ClearCalls();
    }
    const double elapsed = NowMs() - start;
    const Figures after = Measure(site);
    control->SetClientSite(nullptr);

    Report("soak: openings, every page", std::to_string(openings) + " in " + Fixed(elapsed / 1000, 1) + " s",
           "all closed", failed == 0);
    Report("soak: Zone actual ticks", std::to_string(ticks), "", true);
    const bool counted = before.user || before.gdi;
    Report("soak: USER objects", counted ? std::to_string(before.user) + " -> " + std::to_string(after.user)
                                         : "not counted here", "no growth", after.user <= before.user);
    Report("soak: GDI objects", counted ? std::to_string(before.gdi) + " -> " + std::to_string(after.gdi)
                                        : "not counted here", "no growth", after.gdi <= before.gdi);
    Report("soak: windows", std::to_string(before.windows) + " -> " + std::to_string(after.windows), "no growth",
           after.windows <= before.windows);
    const long long growth = static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes);
    Report("soak: private bytes", Fixed(before.privateBytes / 1048576.0, 1) + " -> " +
                                      Fixed(after.privateBytes / 1048576.0, 1) + " MB",
           "+" + std::to_string(allowedGrowth / 1024) + " KB", growth <= static_cast<long long>(allowedGrowth));
    Report("soak: site references", std::to_string(before.siteRefs) + "/" + std::to_string(before.readRefs) + "/" +
                                        std::to_string(before.writeRefs) + " -> " + std::to_string(after.siteRefs) +
                                        "/" + std::to_string(after.readRefs) + "/" + std::to_string(after.writeRefs),
           "no growth", after.siteRefs == before.siteRefs && after.readRefs == before.readRefs &&
                            after.writeRefs == before.writeRefs);
}

// ---- Command line --------------------------------------------------------------------------

struct Options {
    std::wstring module;
    std::vector<std::string> parts = {"open", "calls", "write", "soak", "bare"};
    int openings = 1000;
    int ticks = 10000;
    int batches = 21;   // of each sheet, alternating
    int batch = 40;     // openings in a batch
    int watched = 300;  // openings of each sheet watched step by step
    unsigned delayMs = 50;
    unsigned long growthKb = 512;  // heap noise; a leak of a few hundred bytes per opening or tick shows
};

bool ParseArguments(int argc, char** argv, Options& o)
{
    o.module = ModulePath();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!v)
            return false;
        ++i;
        if (a == "--module") {
            wchar_t wide[MAX_PATH];
            ::MultiByteToWideChar(CP_ACP, 0, v, -1, wide, MAX_PATH);
            o.module = wide;
        } else if (a == "--only") {
            o.parts = {v};
        } else if (a == "--openings") {
            o.openings = std::atoi(v);
        } else if (a == "--ticks") {
            o.ticks = std::atoi(v);
        } else if (a == "--batches") {
            o.batches = std::atoi(v);
        } else if (a == "--batch") {
            o.batch = std::atoi(v);
        } else if (a == "--watched") {
            o.watched = std::atoi(v);
        } else if (a == "--growth-kb") {
            o.growthKb = std::strtoul(v, nullptr, 10);
        } else {
            return false;
        }
    }
    return o.batches > 0 && o.batch > 0 && o.watched >= 0;
}

bool Wants(const Options& o, const char* part)
{
    return std::find(o.parts.begin(), o.parts.end(), part) != o.parts.end();
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseArguments(argc, argv, o)) {
        std::fprintf(stderr, "usage: vennox-bench [--module PATH] [--only open|calls|write|soak|bare] [--openings N]\n"
                             "                    [--ticks N] [--batches N] [--batch N] [--watched N] [--growth-kb N]\n");
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr)))
        return 2;
    int code = 2;
    {
        ControlModule module;
        std::string why;
        if (module.Load(o.module, why)) {
            if (Wants(o, "open"))
                BenchOpen(module, o.batches, o.batch, o.watched);
            if (Wants(o, "calls"))
                BenchCalls(module);
            if (Wants(o, "write"))
                BenchWrite(module, o.delayMs);
            if (Wants(o, "soak"))
                BenchSoak(module, o.openings, o.ticks, o.growthKb * 1024);
            if (Wants(o, "bare"))
                Report("soak: bare sheet, private bytes", Fixed(BareSoakGrowth(o.openings) / 1024.0, 0) + " KB",
                       "", true);
            code = g_missed ? 1 : 0;
        } else {
            std::fprintf(stderr, "bench: cannot use the module: %s\n", why.c_str());
        }
        module.Unload();
    }
    ::OleUninitialize();
    return code;
}
