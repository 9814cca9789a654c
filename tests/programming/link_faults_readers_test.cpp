// Bench faults met by the current-parameter reader, the memory read and the version request:
// a pulled cable ends them with a message and the port serves the next attempt; a modem that
// answers twice gives the current reader its record once.
#include <gtest/gtest.h>

#include "programming/mem_read.h"
#include "programming/parms_get_current.h"
#include "programming/programming_bench.h"
#include "programming/ver_reqst.h"

namespace k45::test {
namespace {

struct GetView : ParmsGetCurrentView {
    std::function<void()> onClose;
    bool IsActiveChild() const override { return true; }
    void CloseWindow() override {
        if (onClose) onClose();
    }
    void SetPercent(int) override {}
};

class ReaderFaults : public ProgrammingBench {
protected:
    ReaderFaults() { getView.onClose = [this] { reader.Unload(); }; }
    void RequestCurrent() {
        reader.RegisterForParms(&client);
        reader.Load();
        reader.Activate();
    }
    bool RunToReaderClose() {
        return sched.advanceUntil([this] { return !reader.loaded(); }, 60000);
    }
    ModemParameters ModemRecord() {
        ModemParameters r = ctx.state.currentParameters;
        EXPECT_TRUE(modem.decodeInto(ctx.state, r));
        return r;
    }

    GetView getView;
    ParmsGetCurrentDialogue reader{DialogueLinks::Of(ctx), getView};
    RecordingMemView memView;
    MemReadDialogue mem{DialogueLinks::Of(ctx), memView};
    RecordingClient client;
};

TEST_F(ReaderFaults, APulledCableFailsTheCurrentReadAndTheNextOneWorks) {
    const ModemParameters before = ctx.state.currentParameters;
    // The loss is reported and the read gives up at its time-out, without resending "DE"
    // into the closed port.
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(kNoReadText);
    RequestCurrent();
    ASSERT_TRUE(sched.advanceUntil([&] { return reader.stepCount() >= 10; }, 20000));
    const std::size_t mark = hostWrites().size();
    cable.a().unplug();
    ASSERT_TRUE(RunToReaderClose());
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(hostWrites().size(), mark);
    EXPECT_EQ(client.parms, std::vector<bool>{false});
    EXPECT_EQ(ctx.state.currentParameters, before);

    cable.a().plugIn();
    client.parms.clear();
    RequestCurrent();
    ASSERT_TRUE(RunToReaderClose());
    EXPECT_EQ(client.parms, std::vector<bool>{true});
    EXPECT_EQ(ctx.state.currentParameters, ModemRecord());
}

TEST_F(ReaderFaults, AModemThatAnswersTwiceGivesTheCurrentReaderItsRecordOnce) {
    for (const ModemStep step : {ModemStep::Version, ModemStep::Dump}) {
        SCOPED_TRACE(static_cast<int>(step));
        modem.clearFaults();
        modem.addFault({ModemFault::Twice, step, 0, -1});
        client.parms.clear();
        const std::size_t mark = hostWrites().size();
        RequestCurrent();
        ASSERT_TRUE(RunToReaderClose());
        sched.advance(3000);
        EXPECT_EQ(client.parms, std::vector<bool>{true});
        EXPECT_EQ(ctx.state.currentParameters, ModemRecord());
        EXPECT_EQ(hostWrites().size() - mark, 2u);  // "?" and "DE", nothing again
    }
}

TEST_F(ReaderFaults, APulledCableEndsTheMemoryReadAndTheNextOneWorks) {
    mem.Load();
    mem.Activate();
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox("Unable to Complete Reading of Memory!");
    mem.Update();
    ASSERT_TRUE(sched.advanceUntil([&] { return mem.readState() == MemReadState::RamRecords; }, 20000));
    cable.a().unplug();
    ASSERT_TRUE(sched.advanceUntil([&] { return mem.readState() == MemReadState::Idle; }, 20000));
    EXPECT_EQ(dialogs.boxes.size(), 2u);

    // The port reopens when the window registers again.
    cable.a().plugIn();
    mem.Unload();
    mem.Load();
    mem.Activate();
    mem.Update();
    ASSERT_TRUE(sched.advanceUntil([&] { return mem.readState() == MemReadState::Idle; }, 20000));
    for (std::size_t a = 0; a < 768; ++a) ASSERT_EQ(mem.ramImage()[a], modem.ram[a]) << a;
}

TEST_F(ReaderFaults, APulledCableEndsTheVersionRequestAndTheNextOneWorks) {
    struct View : VerReqstView {
        std::function<void()> onClose;
        std::string upper;
        bool IsActiveChild() const override { return true; }
        void CloseWindow() override {
            if (onClose) onClose();
        }
        void SetLabels(const std::string& u, const std::string&) override { upper = u; }
    } view;
    VerReqstDialogue ver{DialogueLinks::Of(ctx), view};
    view.onClose = [&] { ver.Unload(); };
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, 1});
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(kNoVersionText);
    ver.setSettings({.autoStart = true});
    ver.Load();
    ver.Activate();
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("?").size() == 1; }, 5000));
    cable.a().unplug();
    ASSERT_TRUE(sched.advanceUntil([&] { return !ver.loaded(); }, 20000));
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(hostWrites("?").size(), 1u);  // no resend into the closed port

    cable.a().plugIn();
    ver.setSettings({.autoStart = true});
    ver.Load();
    ver.Activate();
    ASSERT_TRUE(sched.advanceUntil([&] { return view.upper == "K45MR V6.02"; }, 5000));
    EXPECT_EQ(mainFrame.versionLabel, "K45MR V6.02");
    ver.Unload();
}

}  // namespace
}  // namespace k45::test
