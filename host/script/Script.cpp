// Operator scripts: words of a line, the command table, control names, and
// the open/closed state of the sheet that implicit steps follow.
#include "host/script/Script.h"

#include "host/node/NodeFile.h"
#include "host/node/NodeModel.h"
#include "host/TextLines.h"
#include "nodeaccess/ValueText.h"
#include "resources/resource.h"

#include <algorithm>

bool SameCaption(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ---- Words ---------------------------------------------------------------------

// The words of a line up to a comment; false with `error` set.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error)
{
    for (;;) {
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#')
            return true;
        std::size_t end = 0;
        if (line.front() == '"') {
            end = line.find('"', 1);
            if (end == line.npos) {
                error = "no closing quote";
                return false;
            }
            words.emplace_back(line.substr(1, end - 1));
            ++end;
        } else {
            while (end < line.size() && !IsBlank(line[end]) && line[end] != '"')
                ++end;
            words.emplace_back(line.substr(0, end));
        }
        if (end < line.size() && !IsBlank(line[end])) {
            error = "a quote must stand apart from the words beside it";
            return false;
        }
        line.remove_prefix(end);
    }
}

// The command as it is echoed: its words, quoted where they need it.
std::string Source(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& w : words) {
        const bool quote = w.empty() || w.find_first_of(" \t#") != std::string::npos;
        out += (out.empty() ? "" : " ") + (quote ? "\"" + w + "\"" : w);
    }
    return out;
}

// ---- Arguments -------------------------------------------------------------------

#define ID(name) {#name, name}
#define ZONE_IDS(n)                                                                              \
    ID(IDC_OFFSET_##n), ID(IDC_COOL_AUTO_##n), ID(IDC_COOL_OFF_##n), ID(IDC_COOL_ON_##n),        \
        ID(IDC_COOL_LEVEL_##n), ID(IDC_HEAT_AUTO_##n), ID(IDC_HEAT_OFF_##n), ID(IDC_HEAT_ON_##n), \
        ID(IDC_HEAT_LEVEL_##n), ID(IDC_P_##n), ID(IDC_I_##n), ID(IDC_D_##n), ID(IDC_OCC_TIMEOUT_##n)

struct ControlName {
    const char* name;
    long id;
};

// The controls a script most often names; any other by its number.
const ControlName kControlNames[] = {
    ID(IDC_READ), ID(IDC_WRITE), ID(IDC_NODENAME), ID(IDC_ROOM_TEMP), ID(IDC_SETPOINT),
    ID(IDC_HEAT_VALVE), ID(IDC_COOL_VALVE), ID(IDC_SP_COOL_UNOCC), ID(IDC_SP_COOL_STANDBY),
    ID(IDC_SP_COOL_OCC), ID(IDC_SP_HEAT_UNOCC), ID(IDC_SP_HEAT_STANDBY), ID(IDC_SP_HEAT_OCC),
    ID(IDC_CLOSED_VALVE_TIME), ZONE_IDS(1), ZONE_IDS(2), ZONE_IDS(3), ZONE_IDS(4),
};

#undef ZONE_IDS
#undef ID

bool ParseControl(const std::string& word, long& id, std::string& error)
{
    unsigned long n = 0;
    if (ParseWholeNumber(word, 1, 65535, n)) {
        id = static_cast<long>(n);
        return true;
    }
    for (const ControlName& c : kControlNames) {
        if (word == c.name) {
            id = c.id;
            return true;
        }
    }
    error = "\"" + word + "\" is no control ID (1 to 65535) or known IDC_ name";
    return false;
}

using Args = std::vector<std::string>;  // the words after the command
using Pages = std::vector<std::string>;

bool NoArgs(const Args&, const Pages&, ScriptStep&, std::string&) { return true; }

// The page as the sheet captions it; as written while the captions are not known.
bool PageArgs(const Args& args, const Pages& pages, ScriptStep& step, std::string& error)
{
    const auto named = [&args](const std::string& caption) { return SameCaption(args[0], caption); };
    const auto caption = std::find_if(pages.begin(), pages.end(), named);
    if (caption == pages.end() && !pages.empty()) {
        error = "no page \"" + args[0] + "\" on the sheet";
        return false;
    }
    step.text = caption == pages.end() ? args[0] : *caption;
    return true;
}

bool ControlArgs(const Args& args, const Pages&, ScriptStep& step, std::string& error)
{
    if (!ParseControl(args[0], step.number, error))
        return false;
    if (args.size() > 1)
        step.text = args[1];
    return true;
}

bool TextArgs(const Args& args, const Pages&, ScriptStep& step, std::string&)
{
    step.text = args[0];
    return true;
}

bool WaitArgs(const Args& args, const Pages&, ScriptStep& step, std::string& error)
{
    unsigned long ms = 0;
    if (!ParseWholeNumber(args[0], 0, kMaxWaitMs, ms)) {
        error = "\"" + args[0] + "\" is no time in milliseconds (0 to " + std::to_string(kMaxWaitMs) + ")";
        return false;
    }
    step.number = static_cast<long>(ms);
    return true;
}

bool PointArgs(const Args& args, const Pages&, ScriptStep& step, std::string& error)
{
    unsigned long point = 0;
    if (!ParseWholeNumber(args[0], NodeModel::kMinPoint, NodeModel::kMaxPoint, point)) {
        error = "\"" + args[0] + "\" is no data point number (0 to 65535)";
        return false;
    }
    step.number = static_cast<long>(point);
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::uint8_t b = 0;
        if (args[i] != "??" && !ParseHexByte(args[i], b)) {
            error = "bad byte \"" + args[i] + "\" (two hex digits or ?\?)";
            return false;
        }
        step.bytes.push_back(args[i] == "??" ? kAnyByte : b);
    }
    return true;
}

// ---- Commands --------------------------------------------------------------------

enum class Sheet { kAny, kOpen, kClosed };  // what a command needs

struct Command {
    const char* name;
    const char* usage;
    ScriptStep::Kind kind;
    Sheet needs;
    std::size_t minArgs, maxArgs;
    bool (*parse)(const Args&, const Pages&, ScriptStep&, std::string&);
    long button;  // read, write: the button they click
};

const Command kCommands[] = {
    {"open", "open", ScriptStep::kOpen, Sheet::kClosed, 0, 0, NoArgs, 0},
    {"page", "page CAPTION", ScriptStep::kPage, Sheet::kOpen, 1, 1, PageArgs, 0},
    {"type", "type CONTROL TEXT", ScriptStep::kType, Sheet::kOpen, 2, 2, ControlArgs, 0},
    {"click", "click CONTROL", ScriptStep::kClick, Sheet::kOpen, 1, 1, ControlArgs, 0},
    {"read", "read", ScriptStep::kClick, Sheet::kOpen, 0, 0, NoArgs, IDC_READ},
    {"write", "write", ScriptStep::kClick, Sheet::kOpen, 0, 0, NoArgs, IDC_WRITE},
    {"wait", "wait MILLISECONDS", ScriptStep::kWait, Sheet::kAny, 1, 1, WaitArgs, 0},
    {"expect", "expect CONTROL TEXT", ScriptStep::kExpect, Sheet::kOpen, 2, 2, ControlArgs, 0},
    {"expect-point", "expect-point POINT BYTE...", ScriptStep::kExpectPoint, Sheet::kAny, 2,
     1 + NodeModel::kPointSize, PointArgs, 0},
    {"exit", "exit", ScriptStep::kExit, Sheet::kOpen, 0, 0, NoArgs, 0},
    {"expect-box", "expect-box TEXT", ScriptStep::kExpectBox, Sheet::kOpen, 1, 1, TextArgs, 0},
};

const Command* FindCommand(const std::string& name)
{
    for (const Command& c : kCommands)
        if (name == c.name)
            return &c;
    return nullptr;
}

// Takes a script a line at a time, keeping track of whether the sheet is open.
class ScriptReader {
public:
    explicit ScriptReader(const Pages& pages) : m_pages(pages) {}
    bool Line(std::string_view line, int lineNo, std::string& what);
    // The steps so far and the implicit exit of a sheet left open; false
    // when the script ends where a step must follow.
    bool Finish(int lastLine, std::vector<ScriptStep>& steps, std::string& what);

private:
    bool Take(const Command& c, const std::vector<std::string>& words, int lineNo, std::string& what);

    const Pages& m_pages;
    std::vector<ScriptStep> m_steps;
    bool m_open = false;
    int m_openLine = 0;
};

bool ScriptReader::Line(std::string_view line, int lineNo, std::string& what)
{
    std::vector<std::string> words;
    if (!SplitWords(line, words, what))
        return false;
    if (words.empty())
        return true;
    const Command* c = FindCommand(words[0]);
    if (!c) {
        what = "unknown command \"" + words[0] + "\"";
        return false;
    }
    const std::size_t args = words.size() - 1;
    if (args < c->minArgs || args > c->maxArgs) {
        what = std::string(args < c->minArgs ? "missing argument" : "too many arguments") + ", expected: " +
               c->usage;
        return false;
    }
    return Take(*c, words, lineNo, what);
}

// The command's step, after an implicit open when it needs the sheet.
bool ScriptReader::Take(const Command& c, const std::vector<std::string>& words, int lineNo, std::string& what)
{
    if (c.needs == Sheet::kClosed && m_open) {
        what = "the sheet is open already (since line " + std::to_string(m_openLine) + ")";
        return false;
    }
    if (c.kind == ScriptStep::kExit && !m_open) {
        what = "the sheet is not open";
        return false;
    }
    if (!m_steps.empty() && m_steps.back().kind == ScriptStep::kExpectBox && c.kind != ScriptStep::kClick) {
        what = "expect-box on line " + std::to_string(m_steps.back().line) +
               " must be followed by click, read or write";
        return false;
    }
    ScriptStep step{c.kind, lineNo, Source(words)};
    step.number = c.button;
    if (!c.parse(Args(words.begin() + 1, words.end()), m_pages, step, what))
        return false;
    if (c.needs == Sheet::kOpen && !m_open)
        m_steps.push_back(ScriptStep{ScriptStep::kOpen, lineNo, "open (implicit)"});
    if (!m_open && c.needs != Sheet::kAny)
        m_openLine = lineNo;
    m_open = c.kind == ScriptStep::kExit ? false : m_open || c.needs != Sheet::kAny;
    m_steps.push_back(std::move(step));
    return true;
}

bool ScriptReader::Finish(int lastLine, std::vector<ScriptStep>& steps, std::string& what)
{
    if (!m_steps.empty() && m_steps.back().kind == ScriptStep::kExpectBox) {
        what = "line " + std::to_string(m_steps.back().line) + ": expect-box must be followed by click, read or write";
        return false;
    }
    if (m_open)
        m_steps.push_back(ScriptStep{ScriptStep::kExit, lastLine, "exit (implicit, at the end)"});
    steps = std::move(m_steps);
    return true;
}

}  // namespace

bool ParseScript(std::string_view text, const std::vector<std::string>& pages, std::vector<ScriptStep>& out,
                 std::string& error)
{
    ScriptReader reader(pages);
    const int lineNo = ReadTextLines(text, reader, error);
    std::vector<ScriptStep> steps;
    if (lineNo < 0 || !reader.Finish(lineNo, steps, error))
        return false;
    out = std::move(steps);
    return true;
}

bool LoadScript(const std::string& path, const std::vector<std::string>& pages, std::vector<ScriptStep>& out,
                std::string& error)
{
    const auto parse = [&pages](std::string_view text, std::vector<ScriptStep>& steps, std::string& what) {
        return ParseScript(text, pages, steps, what);
    };
    return LoadTextFile(path, parse, out, error);
}
