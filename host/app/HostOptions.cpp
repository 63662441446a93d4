// The host program's command line.
#include "host/app/HostOptions.h"

#include "nodeaccess/ValueText.h"

const char kHostUsage[] =
    "usage: vennox-host.exe [--module PATH] [--node FILE] [--offer both|read|write|none]\n"
    "                       [--separate] [--delay MS] [--pump] [--fail-read N,N..] [--fail-write N,N..]\n"
    "                       [--fail-name] [--still] [--snapshot DIR | --script FILE] [--log FILE]";

bool ParsePointList(const std::string& text, std::set<long>& out)
{
    std::set<long> points;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        unsigned long n = 0;
        if (!ParseWholeNumber(text.substr(from, comma - from), NodeModel::kMinPoint, NodeModel::kMaxPoint, n))
            return false;
        points.insert(static_cast<long>(n));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    out.insert(points.begin(), points.end());
    return true;
}

bool ParseDelay(const std::string& text, unsigned& ms)
{
    unsigned long n = 0;
    if (!ParseWholeNumber(text, 0, kMaxDelayMs, n))
        return false;
    ms = static_cast<unsigned>(n);
    return true;
}

std::string FormatPointList(const std::set<long>& points)
{
    std::string text;
    for (long p : points)
        text += (text.empty() ? "" : ",") + std::to_string(p);
    return text;
}

namespace {

struct Offer {
    const char* name;
    bool read;
    bool write;
};
const Offer kOffers[] = {
    {"both", true, true}, {"read", true, false}, {"write", false, true}, {"none", false, false}};

bool SetOffer(HostOptions& o, const std::string& v)
{
    for (const Offer& offer : kOffers) {
        if (v == offer.name) {
            o.site.offerRead = offer.read;
            o.site.offerWrite = offer.write;
            return true;
        }
    }
    return false;
}

bool SetModule(HostOptions& o, const std::string& v) { o.module = v; return !v.empty(); }
bool SetNode(HostOptions& o, const std::string& v) { o.nodeFile = v; return !v.empty(); }
bool SetSnapshot(HostOptions& o, const std::string& v) { o.snapshotDir = v; return !v.empty(); }
bool SetScript(HostOptions& o, const std::string& v) { o.scriptFile = v; return !v.empty(); }
bool SetLog(HostOptions& o, const std::string& v) { o.logFile = v; return !v.empty(); }
bool SetFailRead(HostOptions& o, const std::string& v) { return ParsePointList(v, o.failRead); }
bool SetFailWrite(HostOptions& o, const std::string& v) { return ParsePointList(v, o.failWrite); }
bool SetDelay(HostOptions& o, const std::string& v) { return ParseDelay(v, o.site.delayMs); }
bool SetSeparate(HostOptions& o, const std::string&) { o.site.separateObjects = true; return true; }
bool SetPump(HostOptions& o, const std::string&) { o.site.pump = true; return true; }
bool SetFailName(HostOptions& o, const std::string&) { o.failName = true; return true; }
bool SetStill(HostOptions& o, const std::string&) { o.still = true; return true; }
bool SetHelp(HostOptions& o, const std::string&) { o.help = true; return true; }

struct Option {
    const char* name;
    const char* value;  // what the value is, for messages; nullptr: a flag
    bool (*set)(HostOptions&, const std::string&);
};
const std::string kDelayValue = "milliseconds from 0 to " + std::to_string(kMaxDelayMs);
const Option kOptions[] = {
    {"--module", "a module file", SetModule},
    {"--node", "a node file", SetNode},
    {"--offer", "both, read, write or none", SetOffer},
    {"--separate", nullptr, SetSeparate},
    {"--delay", kDelayValue.c_str(), SetDelay},
    {"--pump", nullptr, SetPump},
    {"--fail-read", "data point numbers (0 to 65535) separated by commas", SetFailRead},
    {"--fail-write", "data point numbers (0 to 65535) separated by commas", SetFailWrite},
    {"--fail-name", nullptr, SetFailName},
    {"--still", nullptr, SetStill},
    {"--snapshot", "a folder", SetSnapshot},
    {"--script", "a script file", SetScript},
    {"--log", "a log file", SetLog},
    {"--help", nullptr, SetHelp},
};

const Option* FindOption(const std::string& name)
{
    for (const Option& o : kOptions)
        if (name == o.name)
            return &o;
    return nullptr;
}

}  // namespace

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& out, std::string& error)
{
    HostOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Option* o = FindOption(args[i]);
        if (!o) {
            error = "unknown option \"" + args[i] + "\"";
            return false;
        }
        std::string value;
        if (o->value) {
            if (i + 1 == args.size()) {
                error = std::string(o->name) + " needs " + o->value;
                return false;
            }
            value = args[++i];
        }
        if (!o->set(parsed, value)) {
            error = std::string(o->name) + " \"" + value + "\": expected " + o->value;
            return false;
        }
    }
    if (!parsed.snapshotDir.empty() && !parsed.scriptFile.empty()) {
        error = "--snapshot and --script exclude each other";
        return false;
    }
    parsed.site.nodeFile = parsed.nodeFile;
    out = std::move(parsed);
    return true;
}
