// Holds Wine's desktop open while the tests run: cmake/wine.sh setup starts
// it detached from ctest's output, and wineserver -k ends it.
//
// Wine closes the desktop a second after the last program on it ends. The
// next program that needs it starts the desktop process again, and that
// process keeps the program's error output open until the desktop closes,
// so that ctest waits for it while other tests keep the desktop in use.
#include <windows.h>

#include <cstdio>

int main()
{
    // The desktop window exists once this returns: the desktop process runs.
    if (!GetDesktopWindow())
        return 1;
    // Tells wine.sh that the desktop is up.
    std::puts("desktop");
    std::fflush(stdout);
    Sleep(INFINITE);
}
