// Test entry point that runs every test with a German C locale set, as a host
// process may have done: "," is then the C runtime's decimal separator.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    const char* const candidates[] = {"German_Germany.1252", "de_DE.UTF-8", "de_DE.utf8", "de_DE"};
    const char* set = nullptr;
    for (const char* name : candidates)
        if ((set = std::setlocale(LC_ALL, name)))
            break;
    if (!set) {
        std::fprintf(stderr, "no German locale on this system\n");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
