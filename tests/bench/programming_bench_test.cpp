// Reading, writing and cloning a unit from the menus, as a technician does at the bench.
#include <QAbstractButton>
#include <QLabel>
#include <QStatusBar>

#include "bench/bench_session.h"
#include "frame/ui/mdi_main.h"

namespace k45::test {
namespace {

class ProgrammingOnTheBench : public BenchTest {
protected:
    void SetUp() override {
        BenchTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Prepare({}));
        ASSERT_NO_FATAL_FAILURE(LoadUnit(com1(), 123456, "Bench unit"));
    }
    void PressOK(const std::string& window) {
        Click([=, this]() -> QWidget* { return ToolChild<QAbstractButton>(window, "buttonOK"); });
    }
    std::string StatusPanel(int i) {
        return Gui([=, this] { return MainWindow()->panelText(i).toStdString(); });
    }
};

TEST_F(ProgrammingOnTheBench, ReadThenWriteFromTheEditMenu) {
    Run([&] {
        // Edit > Read Programmable Parameters: the window asks for OK.
        Keys("alt+e r");
        WaitFor("the read/write window", [&] { return ActiveChild() == "formParmsRdWr"; });
        PressOK("formParmsRdWr");
        const std::size_t dump = WaitLine(com1(), "DE");
        EXPECT_GE(dump, 1u);
        EXPECT_EQ(com1().lines().front(), "?");
        EXPECT_EQ(WaitBox(), "Reading Parameters Complete.");
        AnswerBox("OK");
        WaitFor("upload.dat in the status bar", [&] {
            return MainWindow()->panelText(3).contains("upload.dat");
        });

        // Edit > Write Programmable Parameters puts the same parameters back.
        const std::size_t before = com1().lines().size();
        Keys("alt+e w");
        WaitFor("the read/write window for the write", [&] { return ActiveChild() == "formParmsRdWr"; });
        PressOK("formParmsRdWr");
        WaitLine(com1(), "S9", before, 60000);
        EXPECT_EQ(WaitBox(60000), "Programming Complete!");
        AnswerBox("OK");
        std::size_t programRecords = 0;
        for (const auto& l : com1().lines()) programRecords += l.rfind("S1", 0) == 0;
        EXPECT_GT(programRecords, 0u);
        ExitProgram({"No"});
    });
}

}  // namespace
}  // namespace k45::test
