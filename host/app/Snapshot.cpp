// The snapshot run: every page of the sheet shown and saved as a picture.
#include "host/app/Snapshot.h"

#include "host/app/WindowPicture.h"

#include <commctrl.h>
#include <prsht.h>

#include <cctype>
#include <cstdio>

namespace {

HWND TabControl(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)); }

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

CSnapshot::CSnapshot(std::string dir, std::function<void(const std::string&)> log)
    : m_dir(std::move(dir)), m_log(std::move(log))
{
    if (!m_dir.empty() && m_dir.back() != '\\' && m_dir.back() != '/')
        m_dir += '\\';
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

bool CSnapshot::DismissMessageBox()
{
    HWND box = CSheetDriver::FindMessageBox(kPluginBoxCaption);
    if (!box)
        return false;
    m_log(std::string("closed the message box \"") + kPluginBoxCaption + "\": " +
          CSheetDriver::Text(box, 0xFFFF));
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
    return SendMessageA(TabControl(m_sheet), TCM_GETCURSEL, 0, 0) == index &&
           IsWindowVisible(CSheetDriver::CurrentPage(m_sheet));
}

bool CSnapshot::SavePage(int index)
{
    if (DismissMessageBox())
        return false;
    // Where the sheet's device context is the screen's (no composition),
    // whatever covered it would be in the picture. Raised without activation,
    // which would take the focus from other programs.
    SetWindowPos(m_sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::vector<std::string> tabs = CSheetDriver::TabCaptions(m_sheet);
    const size_t at = static_cast<size_t>(index);
    const std::string path = m_dir + PageFileName(index, at < tabs.size() ? tabs[at] : std::string());
    std::string error;
    if (SaveWindowPicture(m_sheet, path, error)) {
        m_files.push_back(path);
        m_log("saved " + path);
    } else {
        m_log("not saved: " + error);
    }
    return true;
}

bool CSnapshot::PressOk()
{
    m_log("pressing \"" + CSheetDriver::Text(m_sheet, IDOK) + "\"");
    PostMessageA(m_sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    return true;
}

bool CSnapshot::SheetClosed()
{
    // Closing may still ask something; the answer is OK.
    DismissMessageBox();
    return !IsWindow(m_sheet) || !IsWindowVisible(m_sheet);
}
