// The control as the host holds it: module files it refuses, the sheet's
// captions from its module, the control in place in a window, its AboutBox,
// and the site let go on close.
#include "framework/Handles.h"
#include "host/app/ControlHost.h"
#include "host/app/SheetDriver.h"
#include "host/site/NodeSite.h"
#include "tests/win/TestSupport.h"
#include "tests/ZoneCases.h"

#include <string>
#include <vector>

namespace {

using ControlHostTest = OleTest;

TEST_F(ControlHostTest, RefusesWhatIsNoControlModule)
{
    struct Case { std::string path; const char* says; } cases[] = {
        {Narrow(ModulePath()) + ".missing", "cannot load"},
        {"kernel32.dll", "no DllGetClassObject"},
        {"ole32.dll", "no type library"},
    };
    for (const Case& c : cases) {
        CControlHost host;
        std::string error;
        EXPECT_FALSE(host.Create(c.path, error)) << c.path;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

// The tab captions a script's pages are checked against come from the
// module's string table; without a module there are none.
TEST_F(ControlHostTest, ReadsTheSheetsCaptionsFromTheModule)
{
    struct Case { std::string path; std::vector<std::string> captions; } const cases[] = {
        {Narrow(ModulePath()), kTabCaptions},
        {Narrow(ModulePath()) + ".missing", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SheetCaptions(c.path), c.captions) << c.path;
}

TEST_F(ControlHostTest, ActivatesInPlaceAndLetsGoOfTheSiteOnClose)
{
    afx::unique_hwnd window(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                            nullptr, nullptr, nullptr));
    NodeModel node = NodeModel::Default();
    const RECT pos = {10, 12, 41, 43};
    CNodeSite site(node, {}, window.get(), pos);
    CControlHost host;
    std::string error;
    ASSERT_TRUE(host.Create(Narrow(ModulePath()), error)) << error;
    ASSERT_TRUE(host.Activate(site.ClientSite(), window.get(), pos, error)) << error;
    EXPECT_GT(site.SiteRefs(), 0);
    HWND control = GetWindow(window.get(), GW_CHILD);
    ASSERT_NE(control, nullptr) << "the control's window is in the container";
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window.get(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(EqualRect(&r, &pos));

    // AboutBox runs its dialog's modal loop; close the dialog from inside it.
    AboutSeen about;
    CSheetDriver driver({CloseAbout(about)});
    EXPECT_EQ(host.About(), S_OK);
    EXPECT_TRUE(about.closed);

    host.Close();
    EXPECT_EQ(site.SiteRefs(), 0) << "every reference to the site is given back";
    EXPECT_EQ(GetWindow(window.get(), GW_CHILD), nullptr);
    host.Close();  // twice is harmless
}

}  // namespace
