// What a window shows on the screen, saved as a PNG file.
#pragma once

#include <windows.h>

#include <string>

// Repaints the window and its children, copies its rectangle from the screen
// and encodes it. A failed save leaves no file behind.
bool SaveWindowPicture(HWND window, const std::string& path, std::string& error);
