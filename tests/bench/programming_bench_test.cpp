// Reading, writing and cloning a unit from the menus, as a technician does at the bench.
#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

#include <chrono>
#include <thread>

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

TEST_F(ProgrammingOnTheBench, CloneCarriesTheFirstUnitsParametersToTheNext) {
    Run([&] {
        Keys("alt+e r");
        WaitFor("the read/write window", [&] { return ActiveChild() == "formParmsRdWr"; });
        PressOK("formParmsRdWr");
        EXPECT_EQ(WaitBox(), "Reading Parameters Complete.");
        AnswerBox("OK");

        const ModemParameters first = UnitIn(com1());
        // The technician connects the next unit to the same cable: another serial number and
        // comment, its channel 1 elsewhere.
        LoadUnit(com1(), 654321, "Next unit", [](ModemParameters& u) { u.channels[0].txFrequency += 125000; });

        Keys("alt+e l");
        WaitFor("the clone window", [&] { return ActiveChild() == "formParmsRdWr"; });
        PressOK("formParmsRdWr");
        const std::size_t before = com1().lines().size();
        WaitLine(com1(), "S9", before, 60000);
        EXPECT_EQ(WaitBox(60000), "Programming Complete!");
        AnswerBox("OK");
        const ModemParameters next = UnitIn(com1());
        // The channels come from the first unit; what identifies the unit stays its own.
        EXPECT_EQ(next.channels[0].txFrequency, first.channels[0].txFrequency);
        EXPECT_EQ(next.serialNumber, 654321);
        EXPECT_EQ(next.comment, "Next unit");
        ExitProgram({"No"});
    });
}

TEST_F(ProgrammingOnTheBench, AnAdapterPulledMidReadIsReportedAndTheNextReadWorks) {
    com1().withModem([](SimulatedModem& m) {
        // Records at a modem's pace, so the pull lands mid-transfer.
        m.chunking = ModemChunking::Split;
        m.splitPauseMs = 40;
    });
    Run([&] {
        Keys("alt+e r");
        WaitFor("the read/write window", [&] { return ActiveChild() == "formParmsRdWr"; });
        PressOK("formParmsRdWr");
        WaitLine(com1(), "DE");
        // Some records are through, not all.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(20000));
        std::size_t records = 0;
        while (records < 8) {
            com1().withModem([&](SimulatedModem& m) {
                records = 0;
                for (std::size_t at = 0; (at = m.sentBytes.find("\nR1", at)) != std::string::npos; at += 2) ++records;
            });
            if (std::chrono::steady_clock::now() > until) throw BenchFailure("the dump did not start");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        com1().unplug();

        // The loss is reported; the read gives up with its own message.
        std::vector<std::string> boxes;
        while (Gui([&] { return Shown("formParmsRdWr"); }) || Gui([&] { return ModalBox() != nullptr; })) {
            if (Gui([&] { return qobject_cast<QMessageBox*>(ModalBox()) != nullptr; })) {
                boxes.push_back(WaitBox());
                AnswerBox("OK");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.front().rfind("Lost Com Port 1", 0), 0u) << boxes.front();

        // A unit on the adapter again: the next read works without a restart.
        Replug(1, BenchEnd::Kind::Modem);
        LoadUnit(com1(), 777, "Plugged in again");
        Keys("alt+e r");
        WaitFor("the read/write window again", [&] { return ActiveChild() == "formParmsRdWr"; });
        PressOK("formParmsRdWr");
        EXPECT_EQ(WaitBox(), "Reading Parameters Complete.");
        AnswerBox("OK");
        EXPECT_EQ(com1().lines().front(), "?");
        ExitProgram({"No"});
    });
}

}  // namespace
}  // namespace k45::test
