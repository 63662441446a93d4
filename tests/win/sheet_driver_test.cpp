// The sheet driver and the message boxes its steps meet: those no step
// expects, those a step is to close, and those an answer takes.
#include "host/app/SheetDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

// A message box no step expects is closed at once and fails the run, also
// while a step waits in the box's own modal loop; an expected box held open
// by a step fails the run only when the step times out; a box an answer
// takes is closed and the run goes on.
TEST(SheetDriver, ClosesMessageBoxesNoStepExpects)
{
    struct Case {
        const char* what;
        const char* expected;  // caption the run expects, or null
        bool answered;         // an answer takes boxes of caption "Other"
        const char* failure;
    } const cases[] = {
        {"unexpected box", nullptr, false, "unexpected message box \"Other\": Surprise"},
        {"expected box left to a step that never closes it", "Other", false, "step 1 timed out in a modal loop"},
        {"a box the answer takes", nullptr, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int answer = 0;
        CSheetDriver driver({[&answer] {
                                 answer = MessageBoxA(nullptr, "Surprise", "Other", MB_OK);
                                 return true;
                             },
                             [] { return true; }},
                            20, 500);
        if (c.expected)
            driver.ExpectBox(c.expected);
        std::string answered;
        if (c.answered)
            driver.AnswerBoxes([&answered](const std::string& caption, const std::string& text) {
                answered += caption + ": " + text;
                return caption == "Other";
            });
        const auto start = std::chrono::steady_clock::now();
        MSG msg;
        while (!driver.Done() && !driver.Failed() && GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        EXPECT_EQ(driver.Failure(), c.failure);
        EXPECT_EQ(answered, c.answered ? "Other: Surprise" : "");
        EXPECT_EQ(answer, IDOK) << "the box was closed";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(CSheetDriver::FindMessageBox(nullptr), nullptr);
    }
}

}  // namespace
