// Pictures of the control's sheet: the run that opens it, shows each page in
// turn, saves a picture of the sheet for each, presses its OK button and waits
// for it to close.
#pragma once

#include "host/app/AutomatedRun.h"

#include <string>
#include <vector>

// "page01-node-information.png" for page index 0 with that tab caption:
// lower case, anything but letters and digits becomes one '-', '&' goes.
std::string PageFileName(int index, const std::string& caption);

class CSnapshot : public CAutomatedRun {
public:
    static constexpr int kPages = 10;
    // The control's answer to a site without node access; the steps close it.
    static constexpr char kPluginBoxCaption[] = "Plugin";

    // Pictures go into the folder `dir`, created when missing.
    CSnapshot(std::string dir, std::function<void()> openSheet, Log log);

private:
    // CAutomatedRun
    bool Begin() override;
    std::vector<CSheetDriver::Step> Steps() override;
    void ExpectBoxes(CSheetDriver& driver) override;
    bool Report(const std::string& failure) override;

    bool FindSheet();
    bool ShowPage(int index);
    bool PageShown(int index);
    bool SavePage(int index);
    bool PressOk();
    bool SheetClosed();
    bool DismissMessageBox();
    bool Complete() const { return static_cast<int>(m_files.size()) == kPages; }

    std::string m_dir;
    HWND m_sheet = nullptr;
    std::vector<std::string> m_files;  // saved so far
};
