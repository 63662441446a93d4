// Registry helpers, through the ANSI registry functions; every key path is
// relative to `parent`. A `view` of KEY_WOW64_32KEY or KEY_WOW64_64KEY reaches
// that registry view; 0 is the module's own.
#pragma once

#include <windows.h>

#include "framework/Handles.h"

#include <string>
#include <vector>

namespace afx {
// `guid` in registry form ("{XXXXXXXX-...}"), 38 characters; empty on failure.
bool GuidToString(REFGUID guid, char (&text)[39]);
// The names of the sub-keys of `path`; none when it cannot be opened.
std::vector<std::string> SubKeys(HKEY parent, const std::string& path);
bool KeyExists(HKEY parent, const std::string& path, REGSAM view = 0);
// The default value of `path` as text; empty when absent.
std::string DefaultValue(HKEY parent, const std::string& path);
// Opens `path`, creating it with its parents, for reading and writing; null
// on failure.
unique_hkey CreateKey(HKEY parent, const std::string& path, REGSAM view = 0);
// Creates `path` (with its parents) and, when `value` is given, sets its
// value `name` (the default value for null) to it as REG_SZ.
bool SetKey(HKEY parent, const std::string& path, LPCSTR value, LPCSTR name = nullptr, REGSAM view = 0);
// Deletes `subkey` of `parent` with everything under it; an absent key is
// success. When `subkey` has a sub-key named `keep`, that one stays with what
// it holds, and `subkey` with it, emptied of everything else.
bool DeleteKeyTree(HKEY parent, LPCSTR subkey, REGSAM view = 0, LPCSTR keep = nullptr);
// The registry view of modules of the other width: on 64-bit Windows, the
// 32-bit view for a 64-bit module and the 64-bit view for a 32-bit one; 0 on
// 32-bit Windows, which has one view.
REGSAM OtherRegistryView();
}  // namespace afx
