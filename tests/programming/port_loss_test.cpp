// A port whose device vanishes (adapter pulled, cable cut at the adapter) at any moment of a
// transfer: once the device is back, the very next dialogue works, without a restart. Over
// the null-modem pair; the real device over a pseudo-terminal is in ui/port_loss_real_device_test.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "programming/dialogue_support.h"
#include "programming/mem_read.h"
#include "programming/rdwr_bench.h"

namespace k45::test {
namespace {

class PortLoss : public ReadWriteBench {
protected:
    // What a port object just made and opened holds.
    void ExpectAsFresh() {
        EXPECT_EQ(cable.a().receiveThreshold(), 1) << "receive threshold";
        EXPECT_EQ(port->TxQueueLength(), 0u) << "held output";
        EXPECT_EQ(port->GetRxBytes(), 0);
        EXPECT_EQ(port->GetTxBytes(), 0);
        EXPECT_EQ(port->GetDribbleBytes(), 0);
    }
    void ExpectReadWorks() {
        dialogs.expectBox("Reading Parameters Complete.");
        Open(ParmsMode::ReadProgrammable, false);
        dlg.OK();
        ASSERT_TRUE(RunToClose());
        EXPECT_TRUE(dlg.parmsWereFound());
        EXPECT_EQ(ctx.state.mainParameters.comment, modemRecord.comment);
        EXPECT_EQ(hostWrites("?").size(), 1u + versionsBefore) << "one version request, answered at once";
    }
    void ExpectMemoryReadWorks() {
        mem.Load();
        mem.Activate();
        mem.Update();
        ASSERT_TRUE(sched.advanceUntil([&] { return mem.readState() == MemReadState::Idle; }, 20000));
        for (std::size_t a = 0; a < 768; ++a) ASSERT_EQ(mem.ramImage()[a], modem.ram[a]) << a;
        mem.Unload();
    }
    bool Bursting() { return cable.a().receiveThreshold() > 1; }

    CommForm listener;
    RecordingMemView memView;
    MemReadDialogue mem{DialogueLinks::Of(ctx), memView};
    std::size_t versionsBefore = 0;
};

TEST_F(PortLoss, EveryMomentLeavesThePortAsFreshAndTheNextDialoguesWork) {
    struct Case {
        const char* name;
        std::function<void()> start;
        std::function<bool()> reached;
        const char* lastBox;  // the dialogue's own failure box, after "Lost Com Port 1"
    };
    const Case cases[] = {
        {"idle, after a read",
         [&] {
             dialogs.expectBox("Reading Parameters Complete.");
             Open(ParmsMode::ReadProgrammable, false);
             dlg.OK();
         },
         [&] { return !dlg.loaded(); }, nullptr},
        {"mid-read, in a burst of records", [&] { Open(ParmsMode::ReadProgrammable, false), dlg.OK(); },
         [&] { return dlg.dialogueState() == ReadWriteState::AwaitData && dlg.stepCount() >= 12 && Bursting(); },
         kNoReadText},
        {"mid-write, a block on the wire", [&] { Open(ParmsMode::WriteProgrammable, false), dlg.OK(); },
         [&] { return dlg.dialogueState() == ReadWriteState::AwaitBlockAck && cable.a().outputCount() > 0; },
         "Unit not responding to Program!"},
        {"mid-memory-read, in a burst",
         [&] {
             mem.Load();
             mem.Activate();
             mem.Update();
         },
         [&] { return mem.readState() == MemReadState::RamRecords && Bursting(); },
         "Unable to Complete Reading of Memory!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.boxes.clear();
        c.start();
        ASSERT_TRUE(sched.advanceUntil(c.reached, 60000));
        dialogs.expectBox("Lost Com Port 1\r\nThe adapter was unplugged.");
        if (c.lastBox) dialogs.expectBox(c.lastBox);
        cable.a().unplug();
        EXPECT_FALSE(port->GetCommPortOpen());
        sched.advanceUntil([&] { return !dlg.loaded() && mem.readState() == MemReadState::Idle; }, 60000);
        mem.Unload();
        ASSERT_FALSE(dlg.loaded());
        sched.advance(3000);  // the line stays quiet: nothing was left to send
        EXPECT_EQ(dialogs.boxes.size(), 2u);

        cable.a().plugIn();
        ASSERT_TRUE(port->RegisterForRawData(&listener));  // reopens the port
        ASSERT_TRUE(port->GetCommPortOpen());
        ExpectAsFresh();
        port->DeRegisterForRawData(&listener);

        dialogs.boxes.clear();
        versionsBefore = hostWrites("?").size();
        ExpectReadWorks();
        ExpectMemoryReadWorks();
        sched.advance(200);
        EXPECT_EQ(cable.a().receiveThreshold(), 1) << "the last burst ended";
    }
}

}  // namespace
}  // namespace k45::test
