// Pictures of the control's sheet: the steps that show each page in turn,
// save a picture of the sheet for each, press its OK button and wait for it
// to close. They run from a CSheetDriver inside the sheet's modal loop.
#pragma once

#include "host/app/SheetDriver.h"

#include <functional>
#include <string>
#include <vector>

// "page01-node-information.png" for page index 0 with that tab caption:
// lower case, anything but letters and digits becomes one '-', '&' goes.
std::string PageFileName(int index, const std::string& caption);

class CSnapshot {
public:
    static constexpr int kPages = 10;
    // The control's answer to a site without node access; the steps close it.
    static constexpr char kPluginBoxCaption[] = "Plugin";

    // `log` hears what was saved and what went wrong.
    CSnapshot(std::string dir, std::function<void(const std::string&)> log);

    std::vector<CSheetDriver::Step> Steps();
    const std::vector<std::string>& Files() const { return m_files; }  // saved so far
    bool Complete() const { return static_cast<int>(m_files.size()) == kPages; }

private:
    bool FindSheet();
    bool ShowPage(int index);
    bool PageShown(int index);
    bool SavePage(int index);
    bool PressOk();
    bool SheetClosed();
    bool DismissMessageBox();

    std::string m_dir;
    std::function<void(const std::string&)> m_log;
    HWND m_sheet = nullptr;
    std::vector<std::string> m_files;
};
