// The snapshot's file names, and the picture of a window as it was painted
// last.
#include "framework/Handles.h"
#include "host/app/Snapshot.h"
#include "host/app/WindowPicture.h"
#include "tests/win/SavedPicture.h"
#include "tests/win/TestSupport.h"

#include <string>

namespace {

TEST(Snapshot, PageFileNames)
{
    struct Case { int index; const char* caption; const char* name; } cases[] = {
        {0, "Node Information", "page01-node-information.png"},
        {9, "Common settings", "page10-common-settings.png"},
        {1, "Zone 1 &Actual", "page02-zone-1-actual.png"},
        {2, "  a/b:c  ", "page03-a-b-c.png"},
        {3, "", "page04.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageFileName(c.index, c.caption), c.name);
}

// ---- Pictures --------------------------------------------------------------------

// Dispatches this thread's messages until it has waited for more a few
// times: under Wine, what windows painted reaches the display then.
void Settle()
{
    for (int i = 0; i < 5; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

class WindowPicture : public OleTest {};

TEST_F(WindowPicture, ShowsWhatWasPaintedLast)
{
    // A button's new text belongs in a picture taken straight after the
    // change, before the thread waits for messages again.
    afx::unique_hwnd frame(CreateWindowExW(0, L"STATIC", L"Picture", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 40,
                                           240, 120, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(frame);
    HWND button = CreateWindowExW(0, L"BUTTON", L"Exit", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 70, 40, 100, 30,
                                  frame.get(), nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    Settle();
    TempDir dir;
    std::string error;
    const std::string before = (dir / "before.png").string(), changed = (dir / "changed.png").string(),
                      settled = (dir / "settled.png").string();
    ASSERT_TRUE(SaveWindowPicture(frame.get(), before, error)) << error;
    SetWindowTextW(button, L"Quit");
    ASSERT_TRUE(SaveWindowPicture(frame.get(), changed, error)) << error;
    Settle();
    ASSERT_TRUE(SaveWindowPicture(frame.get(), settled, error)) << error;
    const Picture first = LoadPicture(before), second = LoadPicture(changed), third = LoadPicture(settled);
    EXPECT_EQ(second.width, 240u);
    EXPECT_EQ(second.height, 120u);
    EXPECT_FALSE(first == second) << "the new text is in the picture";
    EXPECT_TRUE(second == third) << "nothing changed after it";
}

}  // namespace
