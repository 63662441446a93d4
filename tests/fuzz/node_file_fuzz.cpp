// Fuzz target: any text as the stand-in host's node file. It loads, or it is
// refused naming the line at fault (the lines before it load, the text up to
// its end is refused alike) with the model left as it was. A loaded node keeps
// its failure settings and its file, formatted, reads back to the same name
// and points. (That a refused file keeps its bytes is checked by
// node_model_test over its malformed files: a file per input would cost most
// of the runs.)
#include "host/node/NodeFile.h"
#include "nodeaccess/ValueText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void Fail(const char* what, std::string_view detail)
{
    std::fprintf(stderr, "node_file: %s: %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void Check(bool ok, const char* what, std::string_view detail = "")
{
    if (!ok)
        Fail(what, detail);
}

// A node that differs from a parsed one in every part a parse could touch.
NodeModel Before()
{
    NodeModel node;
    node.SetName("before");
    NodeModel::Point bytes;
    bytes.fill(0x5A);
    node.SetPoint(7, bytes);
    node.failRead = {7, 58};
    node.failWrite = {15};
    node.failName = true;
    return node;
}

// The line number of an error "line N: <reason>", or 0 when it is not of that form.
long LineOf(const std::string& error)
{
    if (error.rfind("line ", 0) != 0)
        return 0;
    std::size_t i = 5;
    long n = 0;
    while (i < error.size() && IsDigit(error[i]) && n < 100000000)
        n = n * 10 + (error[i++] - '0');
    if (i == 5 || error.compare(i, 2, ": ") != 0 || error.size() == i + 2)
        return 0;
    return n;
}

// Offset of the start of line `n` (from 1), or npos past the last line.
std::size_t LineStart(std::string_view text, long n)
{
    std::size_t pos = 0;
    for (long line = 1; line < n; ++line) {
        pos = text.find('\n', pos);
        if (pos == std::string_view::npos)
            return pos;
        ++pos;
    }
    return pos < text.size() || n == 1 ? pos : std::string_view::npos;
}

void CheckRefused(std::string_view text, const NodeModel& node, const std::string& error)
{
    Check(node == Before(), "refused file changed the model", error);
    const long n = LineOf(error);
    Check(n > 0, "refusal does not name a line", error);
    const std::size_t start = LineStart(text, n);
    Check(start != std::string_view::npos, "refusal names a line past the end", error);

    NodeModel before;
    std::string beforeError;
    Check(ParseNodeFile(text.substr(0, start), before, beforeError), "lines before the named one are refused",
          error + " / " + beforeError);

    const std::size_t end = text.find('\n', start);
    NodeModel upTo;
    std::string upToError;
    const std::string_view throughLine = end == std::string_view::npos ? text : text.substr(0, end + 1);
    Check(!ParseNodeFile(throughLine, upTo, upToError) && upToError == error,
          "the text up to the named line is not refused alike", error + " / " + upToError);
}

void CheckLoaded(const NodeModel& node)
{
    const NodeModel before = Before();
    Check(node.failRead == before.failRead && node.failWrite == before.failWrite &&
              node.failName == before.failName,
          "loading changed the failure settings");
    const std::string formatted = FormatNodeFile(node);
    NodeModel back;
    std::string error;
    Check(ParseNodeFile(formatted, back, error), "formatted node is refused", error);
    Check(back.Name() == node.Name(), "formatted node reads back another name", node.Name());
    Check(back.Points() == node.Points(), "formatted node reads back other points", formatted);
    Check(FormatNodeFile(back) == formatted, "formatting the read back node gives another file", formatted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    NodeModel node = Before();
    std::string error;
    const bool parsed = ParseNodeFile(text, node, error);
    if (parsed)
        CheckLoaded(node);
    else
        CheckRefused(text, node, error);
    return 0;
}
