// A one-line question for the host's menu: a modal dialog with a prompt, an
// edit field, OK and Cancel, its template built in memory.
#pragma once

#include <windows.h>

#include <string>

// The edit field starts with `text`; on OK it holds what was entered and the
// answer is true. `title` is the dialog's caption.
bool AskText(HWND owner, const std::string& title, const std::string& prompt, std::string& text);
