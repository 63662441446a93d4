// Narrow (ANSI code page) text to the wide form the OLE calls take.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring Widen(const std::string& s)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
    return w;
}
