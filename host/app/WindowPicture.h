// What a window shows, saved as a PNG file.
#pragma once

#include <windows.h>

#include <string>

// Repaints the window and its children, copies the whole window, frame
// included, from its own device context and encodes it. A failed save leaves
// no file behind.
bool SaveWindowPicture(HWND window, const std::string& path, std::string& error);
