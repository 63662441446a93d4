// The snapshot run: every page of the sheet shown and saved as a picture.
#include "host/app/Snapshot.h"

#include "host/app/WindowPicture.h"

#include <commctrl.h>
#include <prsht.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// `name` in the folder `dir`.
std::string InFolder(const std::string& dir, const std::string& name)
{
    const bool separated = dir.empty() || dir.back() == '\\' || dir.back() == '/';
    return dir + (separated ? "" : "\\") + name;
}

}  // namespace

std::string PageFileName(int index, const std::string& caption)
{
    char head[16];
    std::snprintf(head, sizeof head, "page%02d", index + 1);
    std::string name = head;
    bool blank = true;  // a '-' is due before the next letter or digit
    for (unsigned char c : caption) {
        if (c == '&')
            continue;
        if (c < 0x80 && std::isalnum(c)) {
            if (blank)
                name += '-';
            name += static_cast<char>(std::tolower(c));
            blank = false;
        } else {
            blank = true;
        }
    }
    return name + ".png";
}

CSnapshot::CSnapshot(std::string dir, std::function<void()> openSheet, Log log)
    : CAutomatedRun(std::move(openSheet), std::move(log)), m_dir(std::move(dir))
{
}

// The folder, then the sheet, which the first step waits for.
bool CSnapshot::Begin()
{
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    if (ec) {
        Say("cannot create " + m_dir + ": " + ec.message());
        return false;
    }
    OpenSheet();
    return true;
}

std::vector<CSheetDriver::Step> CSnapshot::Steps()
{
    std::vector<CSheetDriver::Step> steps;
    steps.push_back([this] { return FindSheet(); });
    for (int i = 0; i < kPages; ++i) {
        steps.push_back([this, i] { return ShowPage(i); });
        steps.push_back([this, i] { return PageShown(i); });
        steps.push_back([this, i] { return SavePage(i); });
    }
    steps.push_back([this] { return PressOk(); });
    steps.push_back([this] { return SheetClosed(); });
    return steps;
}

void CSnapshot::ExpectBoxes(CSheetDriver& driver) { driver.ExpectBox(kPluginBoxCaption); }

bool CSnapshot::Report(const std::string& failure)
{
    if (!failure.empty())
        Say("snapshot: " + failure);
    Say("snapshot: " + std::to_string(m_files.size()) + " of " + std::to_string(kPages) + " pages saved in " +
        m_dir);
    return Complete() && failure.empty();
}

// ---- The steps -------------------------------------------------------------------

bool CSnapshot::DismissMessageBox()
{
    HWND box = CSheetDriver::FindMessageBox(kPluginBoxCaption);
    if (!box)
        return false;
    Say(std::string("closed the message box \"") + kPluginBoxCaption + "\": " + CSheetDriver::Text(box, 0xFFFF));
    CSheetDriver::Click(box, IDOK);
    return true;
}

bool CSnapshot::FindSheet()
{
    DismissMessageBox();
    m_sheet = CSheetDriver::FindSheet();
    return m_sheet != nullptr;
}

bool CSnapshot::ShowPage(int index)
{
    // Posted rather than sent: activating the page may show a message box,
    // whose modal loop must not run inside this step.
    PostMessageA(m_sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

bool CSnapshot::PageShown(int index)
{
    if (DismissMessageBox())
        return false;
    return CSheetDriver::CurrentTab(m_sheet) == index && IsWindowVisible(CSheetDriver::CurrentPage(m_sheet));
}

bool CSnapshot::SavePage(int index)
{
    if (DismissMessageBox())
        return false;
    // Where the sheet's device context is the screen's (no composition),
    // whatever covered it would be in the picture. Raised without activation,
    // which would take the focus from other programs.
    SetWindowPos(m_sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::string path = InFolder(m_dir, PageFileName(index, CSheetDriver::TabCaption(m_sheet, index)));
    std::string error;
    if (SaveWindowPicture(m_sheet, path, error)) {
        m_files.push_back(path);
        Say("saved " + path);
    } else {
        Say("not saved: " + error);
    }
    return true;
}

bool CSnapshot::PressOk()
{
    Say("pressing \"" + CSheetDriver::Text(m_sheet, IDOK) + "\"");
    CSheetDriver::PressOk(m_sheet);
    return true;
}

bool CSnapshot::SheetClosed()
{
    // Closing may still ask something; the answer is OK.
    DismissMessageBox();
    return !IsWindow(m_sheet) || !IsWindowVisible(m_sheet);
}
