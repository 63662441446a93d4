// Where the test programs find the module: beside themselves.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring ModulePath()
{
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Vennox.OCX";
}
