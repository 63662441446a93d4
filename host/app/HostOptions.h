// The host program's command line, and what it exits with.
#pragma once

#include "host/site/NodeSite.h"

#include <set>
#include <string>
#include <vector>

struct HostOptions {
    std::string module;       // the module file; empty: the registered control
    std::string nodeFile;     // empty: the built-in node, in memory only
    SiteOptions site;         // offered interfaces, objects, delay (site.nodeFile = nodeFile)
    std::set<long> failRead;  // data points whose calls fail
    std::set<long> failWrite;
    bool failName = false;
    bool still = false;       // the node keeps its values instead of living
    std::string snapshotDir;  // set: picture every page into it, then exit
    std::string scriptFile;   // set: run the operator's script in it, then exit
    std::string logFile;      // set: the log is appended to it as it comes
    bool help = false;
};

extern const char kHostUsage[];

// The longest wait before each node call, --delay and the menu's.
constexpr unsigned kMaxDelayMs = 60000;

constexpr int kExitOk = 0;      // with --snapshot: every page saved; with --script: every step done
constexpr int kExitFailed = 1;  // the node file, OLE, the control, the snapshot or the script failed
constexpr int kExitUsage = 2;   // a bad command line or a malformed script

// `args` without the program name. On failure `error` names the option.
bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& out, std::string& error);

// Values as --fail-read and --delay take them, also for the host's menu:
// data point numbers separated by commas (added to `out`), and milliseconds
// from 0 to kMaxDelayMs.
bool ParsePointList(const std::string& text, std::set<long>& out);
bool ParseDelay(const std::string& text, unsigned& ms);
// "15,58", as ParsePointList reads it back.
std::string FormatPointList(const std::set<long>& points);
