// The calibration windows against this program's own diagnostics simulator: the dialogue on the
// primary port object at end A of the null-modem cable, the simulator answering offline on the
// secondary port object at end B, in the forms the modem it plays answers in (the end pair for
// every command, the diagnostic block at the addresses 4000, 4016 and 6000). The parameter read
// before the work runs against it too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/converters.h"
#include "diagnostics/diag_bench.h"
#include "production/cal_views.h"
#include "production/panel_bench.h"
#include "production/power_cal.h"
#include "production/rssi_cal.h"

namespace k45::test {
namespace {

class SimulatorLink : public DiagBench {
protected:
    static constexpr std::uint32_t kMasterId = 4711;
    static constexpr std::int16_t kRssi = 120, kTemp = 25, kFwdPwr = 77;

    SimulatorLink() {
        readerView.onClose = [this] { reader.Unload(); };
        rdwrView.onClose = [this] { rdwr.Unload(); };
        mainFrame.reader = [this](ParmsClient& client) { host.StartParameterRead(client); };
        mainFrame.readWrite = [this](std::string* caption) { return host.ReadWriteLoaded(caption); };
        mainFrame.restartReadWrite = [this](ParmsMode, ProgCompleteClient*) { host.WriteCurrentParameters(); };
        // The simulated unit reports the main parameters: a model with calibration support.
        ctx.state.mainParameters.model = familyPNet;
        ctx.state.testParameters = ctx.state.testDefaults;
        sim.Load();
        sim.Activate();
        SimSettings s = Settings(false);
        s.masterId = kMasterId;
        s.starts = {kRssi, kTemp, 120, kFwdPwr, 5};
        s.ends = s.starts;
        sim.Start(s);
    }
    ~SimulatorLink() override {
        if (reader.loaded()) reader.Unload();
        if (rdwr.loaded()) rdwr.Unload();
        sim.Unload();
    }

    PanelLinks Links() { return {DialogueLinks::Of(ctx), host}; }
    // The host's command lines (without CR) from a point of the wire on.
    std::vector<std::string> Commands(std::size_t from = 0) const { return SplitLines(fromHost().substr(from)); }
    std::size_t Count(const std::vector<std::string>& lines, const std::string& prefix) const {
        std::size_t n = 0;
        for (const auto& l : lines) n += l.rfind(prefix, 0) == 0;
        return n;
    }
    // The current-parameter read went to the simulator and its answer was taken.
    void ExpectParametersFromTheSimulator(const ModemParameters& taken) {
        const std::vector<std::string> commands = Commands();
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[0], "?");
        EXPECT_EQ(commands[1], "DE");
        EXPECT_EQ(taken.serialNumber, kMasterId);
        EXPECT_EQ(taken.model, familyPNet);
    }

    // The window opened: its parameters read from the simulator and taken.
    template <class Dialogue>
    void OpenOnTheSimulator(Dialogue& dlg) {
        host.onClose = [&dlg] { dlg.Unload(); };
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.parametersTaken() && dlg.dialogState() == CalibrationState::Idle && !reader.loaded(); },
            20000));
        ExpectParametersFromTheSimulator(dlg.panelParameters());
    }

    BenchReaderView readerView;
    ParmsGetCurrentDialogue reader{DialogueLinks::Of(ctx), readerView};
    BenchRdWrView rdwrView;
    ParmsRdWrDialogue rdwr{DialogueLinks::Of(ctx), rdwrView};
    BenchHost host{reader, rdwr};
};

TEST_F(SimulatorLink, PowerCalKeysTheRadioAndTakesAPointFromTheSimulatorsAnswers) {
    RecordingPowerView view;
    PowerCalDialogue dlg{Links(), view};
    OpenOnTheSimulator(dlg);
    const std::size_t wire = fromHost().size();

    // Keyed: the simulator's end pair acknowledges the record within the response time.
    dlg.OK();
    ASSERT_TRUE(dlg.transmitSelected());
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; },
                                   PowerCalDialogue::kResponseMs - 1));
    EXPECT_TRUE(dlg.keyed());
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));

    // The capture: "AR", the transmitter off, "AT" and the point from the High set's forward power.
    dlg.OK();
    ASSERT_TRUE(
        sched.advanceUntil([&] { return dlg.pointIndex() == 1 && dlg.dialogState() == CalibrationState::Idle; }, 5000));
    EXPECT_EQ(dlg.powerPoints().adReading[0], kFwdPwr);
    EXPECT_EQ(view.reading, std::to_string(kFwdPwr));
    EXPECT_FALSE(dlg.keyed());
    EXPECT_EQ(view.level, "Hit OK to Start Tx'ing");
    // Each line went once: every one was answered in time.
    const std::vector<std::string> commands = Commands(wire);
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].substr(0, 2), "T1");
    EXPECT_EQ(commands[1], "AR");
    EXPECT_EQ(commands[2].substr(0, 2), "T1");
    EXPECT_EQ(commands[3], "AT");
    EXPECT_EQ(commands[4].substr(0, 2), "T1");
    EXPECT_EQ(sim.state().packetsSent, 1);
    EXPECT_TRUE(dialogs.boxes.empty());
    dlg.Unload();
}

TEST_F(SimulatorLink, RssiCalTakesALevelFromTheSimulatorsAnswers) {
    RecordingRssiView view;
    RssiCalDialogue dlg{Links(), view};
    OpenOnTheSimulator(dlg);
    const std::size_t wire = fromHost().size();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.levelIndex() == 1; }, 20000));
    const std::vector<std::string> commands = Commands(wire);
    // The four readings are the next four replies; the receive record was acknowledged once.
    EXPECT_EQ(Count(commands, "AT"), 4u);
    EXPECT_EQ(Count(Commands(), "T1"), 1u);
    ASSERT_GE(view.readings.size(), 4u);
    EXPECT_EQ(view.readings, std::vector<std::string>(view.readings.size(), std::to_string(kRssi)));
    EXPECT_EQ(view.temperature, FormatAdTemperatureC(kTemp));
    EXPECT_TRUE(dialogs.boxes.empty());
    dlg.Unload();
}

}  // namespace
}  // namespace k45::test
