// The test dialogs themselves: a scripted answer that no dialog used fails the test that
// scripted it, without the test having to ask.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"

namespace k45::test {
namespace {

TEST(ScriptedDialogsTest, AnswersNobodyUsedFailTheTestWhenTheDialogsGo) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs d;
            d.expectBox("Data saved.");
        },
        "expected message box never shown: Data saved.");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs d;
            d.expectOpenFile("/tmp/a.dat");
        },
        "1 open-file answers unused");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs d;
            d.expectSaveFile(std::nullopt);
            d.expectSaveFile("/tmp/b.dat");
        },
        "2 save-file answers unused");
}

TEST(ScriptedDialogsTest, UsedAnswersAndAnEarlyCheckLeaveNothingToReport) {
    ScriptedDialogs d;
    d.expectBox("Save Data", MsgAnswer::No);
    d.expectOpenFile("/tmp/a.dat");
    EXPECT_EQ(d.messageBox("Save Data before closing?", "Save Data", MsgButtons::YesNoCancel, MsgIcon::Question),
              MsgAnswer::No);
    EXPECT_EQ(d.openFile(FileDialogRequest{}), std::optional<std::string>("/tmp/a.dat"));
    d.verify();
    // Checked once: the end of the test has nothing more to report.
    d.expectBox("Exit without saving");
    EXPECT_NONFATAL_FAILURE(d.verify(), "expected message box never shown: Exit without saving");
    EXPECT_EQ(d.pendingExpectations(), 0u);
}

}  // namespace
}  // namespace k45::test
