// Writes seed inputs that follow the code into a fuzz target's corpus folder:
//   fuzz_seeds value_text DIR   the entered texts of tests/TrickyInputs.h
//   fuzz_seeds node_file DIR    the built-in node's file, builtin.txt
#include "host/node/NodeFile.h"
#include "tests/TrickyInputs.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

bool Write(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds value_text|node_file DIR\n");
        return 2;
    }
    const std::string target = argv[1], dir = argv[2];
    if (target == "value_text") {
        int n = 0;
        for (const TrickyInput& t : kTrickyInputs)
            if (!Write(dir + "/tricky-" + std::to_string(++n), t.text))
                return 1;
        return 0;
    }
    if (target == "node_file")
        return Write(dir + "/builtin.txt", FormatNodeFile(NodeModel::Default())) ? 0 : 1;
    std::fprintf(stderr, "fuzz_seeds: no target %s\n", argv[1]);
    return 2;
}
