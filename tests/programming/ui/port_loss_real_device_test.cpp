// The program's real serial device (QSerialPort) vanishing in the middle of a transfer: the
// far end of its pseudo-terminal is closed, then a modem comes back on the same device name
// (a link the settings name, pointed at a new pseudo-terminal). The next dialogue works
// without a restart. Bytes travel for real; the dialogues' timers run in virtual time.
#include <unistd.h>

#include <filesystem>

#include "programming/dialogue_support.h"
#include "programming/mem_read.h"
#include "programming/ui/real_device_bench.h"

namespace k45::test {
namespace {

class RealDeviceLoss : public RealDeviceBench {
protected:
    void SetUp() override {
        link = home.file("ttyK45");
        home.write("K45MR.ini", "[Com Port Devices]\r\nCom1=" + link + "\r\n");
        ASSERT_NO_FATAL_FAILURE(PlugInModem());
        ASSERT_NO_FATAL_FAILURE(OpenRealPort(home.file("K45MR.ini"), 1));
    }
    void TearDown() override {
        mem.Unload();
        RealDeviceBench::TearDown();
    }

    // A modem on a new pseudo-terminal, reached through the device name the settings give.
    void PlugInModem() {
        ptyModem = std::make_unique<SimulatedModem>(sched);
        pty = std::make_unique<PtyPair>();
        ASSERT_TRUE(pty->ok()) << pty->error();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(pty->slavePath(), link);
        ptyModem->attach(*pty);
        // Lines in pieces 30 ms apart, as a modem at 9600 baud delivers them: receive bursts.
        ptyModem->chunking = ModemChunking::Split;
        ptyModem->splitPauseMs = 30;
        ASSERT_TRUE(ptyModem->loadRecord(ctx.state, modemRecord, kModemStamp));
        modemRead = 0;
        if (counting) counting->written = counting->read = 0;
    }

    bool Pump(const std::function<bool()>& done, std::int64_t limitMs) {
        return RealDeviceBench::Pump(*ptyModem, *pty, done, limitMs);
    }
    // The far end goes away; the device notices on its own (hang-up on the pseudo-terminal).
    void KillFarEnd() {
        pty->closeMaster();
        ASSERT_TRUE(Pump([&] { return !realPort->GetCommPortOpen(); }, 5000)) << "the loss was not noticed";
    }

    std::string link;
    std::unique_ptr<PtyPair> pty;
    std::unique_ptr<SimulatedModem> ptyModem;
    RecordingMemView memView;
    MemReadDialogue mem{DialogueLinks::Of(ctx), memView};
    CommForm listener;
};

TEST_F(RealDeviceLoss, EveryMomentLeavesThePortAsFreshAndTheNextDialoguesWork) {
    struct Case {
        const char* name;
        std::function<void()> start;
        std::function<bool()> reached;
        const char* lastBox;
    };
    const Case cases[] = {
        {"idle", [] {}, [] { return true; }, nullptr},
        {"mid-read, 12 of 40 records in", [&] { Open(ParmsMode::ReadProgrammable, false), dlg.OK(); },
         [&] {
             return dlg.dialogueState() == ReadWriteState::AwaitData && dlg.stepCount() >= 12 &&
                    counting->threshold > 1;
         },
         kNoReadText},
        {"mid-write, a block sent", [&] { Open(ParmsMode::WriteProgrammable, false), dlg.OK(); },
         [&] { return dlg.dialogueState() == ReadWriteState::AwaitBlockAck && dlg.stepCount() >= 3; },
         "Unit not responding to Program!"},
        {"mid-memory-read",
         [&] {
             mem.Load();
             mem.Activate();
             mem.Update();
         },
         [&] { return mem.readState() == MemReadState::RamRecords && counting->read > 0; },
         "Unable to Complete Reading of Memory!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.boxes.clear();
        c.start();
        ASSERT_TRUE(Pump(c.reached, 20000));
        dialogs.expectBox("Lost Com Port 1");
        if (c.lastBox) dialogs.expectBox(c.lastBox);
        ASSERT_NO_FATAL_FAILURE(KillFarEnd());
        ASSERT_TRUE(Pump([&] { return !dlg.loaded() && mem.readState() == MemReadState::Idle; }, 60000));
        mem.Unload();
        EXPECT_EQ(dialogs.boxes.size(), c.lastBox ? 2u : 1u);
        EXPECT_EQ(counting->threshold, 1) << "receive threshold";
        EXPECT_EQ(realPort->TxQueueLength(), 0u) << "held output";

        ASSERT_NO_FATAL_FAILURE(PlugInModem());
        ASSERT_TRUE(realPort->RegisterForRawData(&listener));  // reopens the port
        ASSERT_TRUE(realPort->GetCommPortOpen());
        EXPECT_EQ(realPort->GetRxBytes(), 0);
        EXPECT_EQ(realPort->GetTxBytes(), 0);
        realPort->DeRegisterForRawData(&listener);

        // The read begins with the version request the issue saw go unanswered.
        dialogs.boxes.clear();
        dialogs.expectBox("Reading Parameters Complete.");
        Open(ParmsMode::ReadProgrammable, false);
        dlg.OK();
        ASSERT_TRUE(Pump([&] { return !dlg.loaded(); }, 20000));
        EXPECT_TRUE(dlg.parmsWereFound());
        EXPECT_EQ(ctx.state.mainParameters.comment, "Bench modem");
        ASSERT_FALSE(ptyModem->received.empty());
        EXPECT_EQ(ptyModem->received[0].text, "?");
        EXPECT_EQ(mainFrame.counterText, "") << "nothing had to be resent";
    }
}

}  // namespace
}  // namespace k45::test
