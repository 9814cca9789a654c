// The current-parameter reader with its client windows, end to end in virtual time.
#include <gtest/gtest.h>

#include "programming/parms_get_current.h"
#include "programming/programming_bench.h"

namespace k45::test {
namespace {

struct RecordingGetView : ParmsGetCurrentView {
    bool active = true;
    std::function<void()> onClose;
    std::vector<int> percents;
    bool IsActiveChild() const override { return active; }
    void CloseWindow() override {
        if (onClose) onClose();
    }
    void SetPercent(int p) override { percents.push_back(p); }
};

class CurrentReader : public ProgrammingBench {
protected:
    CurrentReader() { view.onClose = [this] { reader.Unload(); }; }
    // A client's request: unload a busy reader, register, show.
    void Request(RecordingClient& c) {
        if (reader.loaded()) reader.Unload();
        reader.RegisterForParms(&c);
        reader.Load();
        reader.Activate();
    }
    bool RunToClose(std::int64_t limit = 60000) {
        return sched.advanceUntil([this] { return !reader.loaded(); }, limit);
    }
    RecordingGetView view;
    ParmsGetCurrentDialogue reader{DialogueLinks::Of(ctx), view};
    RecordingClient tune, prodTest;
};

TEST_F(CurrentReader, ReadsIntoTheCurrentParametersAndTellsTheClients) {
    const ModemParameters mainBefore = ctx.state.mainParameters;
    ModemParameters expected = ctx.state.currentParameters;
    ASSERT_TRUE(modem.decodeInto(ctx.state, expected));
    mainFrame.counterText = "5";
    reader.RegisterForParms(&prodTest);
    Request(tune);
    ASSERT_TRUE(RunToClose());

    const auto w = hostWrites();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].bytes, "?\r");
    EXPECT_EQ(w[0].atMs, 250);
    EXPECT_EQ(w[1].bytes, "DE\r");
    EXPECT_EQ(ctx.state.currentParameters, expected);
    EXPECT_EQ(ctx.state.mainParameters, mainBefore);
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
    EXPECT_EQ(tune.parms, std::vector<bool>{true});
    EXPECT_EQ(prodTest.parms, std::vector<bool>{true});
    EXPECT_EQ(mainFrame.counterText, "");  // cleared when the read starts
    EXPECT_EQ(mainFrame.versionLabel, "K45MR V6.02");
    EXPECT_EQ(editor.updates, 0);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(view.percents.back(), 100);
    EXPECT_EQ(reader.clientCount(), 0u);
}

TEST_F(CurrentReader, TheDumpCommandGoesOut250MsAfterTheReadyRecord) {
    Request(tune);
    ASSERT_TRUE(sched.advanceUntil([&] { return reader.dialogueState() == ReadWriteState::AwaitReadDelay; }, 5000));
    const std::int64_t ready = sched.nowMs();
    EXPECT_EQ(port->RegisteredCount(classComm::listCrLf), 0);  // no more text lines
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("DE").size() == 1; }, 1000));
    EXPECT_EQ(hostWrites("DE")[0].atMs, ready + 250);
}

TEST_F(CurrentReader, ATimeOutInTheDataPhaseResendsOnlyTheDumpCommand) {
    modem.addFault({ModemFault::EarlyEnd, ModemStep::Dump, 12});
    Request(tune);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("?").size(), 1u);
    EXPECT_EQ(hostWrites("DE").size(), 2u);
    EXPECT_EQ(mainFrame.counterText, "1");
    EXPECT_EQ(tune.parms, std::vector<bool>{true});
}

TEST_F(CurrentReader, ADataPhaseThatNeverEndsGivesUpAfterThreeResends) {
    modem.addFault({ModemFault::StopAfter, ModemStep::Dump, 20, -1});
    const ModemParameters before = ctx.state.currentParameters;
    Request(tune);
    dialogs.expectBox(kNoReadText);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("DE").size(), 4u);
    EXPECT_EQ(dialogs.boxes[0].title, "Error");
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(mainFrame.counterText, "3");
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_EQ(ctx.state.currentParameters, before);
}

// Each fault of the modem once: a fault in the version step costs a "?", one in the data
// phase a "DE" only; a record that comes twice or out of order does not cost anything.
TEST_F(CurrentReader, EachFaultOnceCostsOneResendOfItsOwnStep) {
    struct Case {
        const char* name;
        std::vector<ModemFault> faults;
        std::size_t versionRequests;
        std::size_t dumps;
        const char* counter;
    };
    const Case cases[] = {
        {"silent version", {{ModemFault::Silence, ModemStep::Version}}, 2, 1, "1"},
        {"version without the keyword", {{ModemFault::NoKeyword, ModemStep::Version}}, 2, 1, "1"},
        {"refused version", {{ModemFault::Refuse, ModemStep::Version}}, 2, 1, "1"},
        {"silent dump", {{ModemFault::Silence, ModemStep::Dump}}, 1, 2, "1"},
        {"dump stops", {{ModemFault::StopAfter, ModemStep::Dump, 25}}, 1, 2, "1"},
        {"no final acknowledgement", {{ModemFault::NoAck, ModemStep::Dump}}, 1, 2, "1"},
        {"record past the image", {{ModemFault::BadAddress, ModemStep::Dump, 3}}, 1, 2, "1"},
        {"one record twice, another missing",
         {{ModemFault::DuplicateRecord, ModemStep::Dump, 5}, {ModemFault::MissingRecord, ModemStep::Dump, 7}},
         1, 2, "1"},
        {"one record twice", {{ModemFault::DuplicateRecord, ModemStep::Dump, 0}}, 1, 1, ""},
        {"first record last", {{ModemFault::FirstRecordNotAtZero, ModemStep::Dump}}, 1, 1, ""},
    };
    ModemParameters expected{};
    ASSERT_TRUE(modem.decodeInto(ctx.state, expected));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modem.clearFaults();
        for (const ModemFault& f : c.faults) modem.addFault(f);
        ctx.state.currentParameters = ModemParameters{};
        tune.parms.clear();
        const std::size_t q0 = hostWrites("?").size(), d0 = hostWrites("DE").size();
        Request(tune);
        ASSERT_TRUE(RunToClose());
        EXPECT_EQ(tune.parms, std::vector<bool>{true});
        EXPECT_EQ(hostWrites("?").size() - q0, c.versionRequests);
        EXPECT_EQ(hostWrites("DE").size() - d0, c.dumps);
        EXPECT_EQ(mainFrame.counterText, c.counter);
        EXPECT_EQ(ctx.state.currentParameters, expected);
    }
}

TEST_F(CurrentReader, AFinalAcknowledgementWhileTheFailureBoxIsOpenIsNotTaken) {
    BoxWithEvents box;
    ctx.state.dialogs = &box;
    modem.addFault({ModemFault::NoAck, ModemStep::Dump, 0, -1});
    const ModemParameters before = ctx.state.currentParameters;
    box.expectBox(kNoReadText);
    box.whileShown = [&] {
        cable.b().send(AckRecord() + "\r\n");
        sched.wait(500, true);
    };
    Request(tune);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_FALSE(reader.parmsFound());
    EXPECT_EQ(ctx.state.currentParameters, before);
    box.verify();
    ctx.state.dialogs = &dialogs;
}

TEST_F(CurrentReader, NoVersionLineGivesUpAfterThreeResends) {
    modem.addFault({ModemFault::NoAck, ModemStep::Version, 0, -1});  // the line, never the ready record
    Request(tune);
    dialogs.expectBox(kNoVersionText);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("?").size(), 4u);
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
}

TEST_F(CurrentReader, CancelAnswersOnlyTheClientsStillOpen) {
    reader.RegisterForParms(&prodTest);
    Request(tune);
    ASSERT_TRUE(sched.advanceUntil([&] { return reader.dialogueState() == ReadWriteState::AwaitData; }, 5000));
    prodTest.isLoaded = false;  // closed meanwhile
    reader.Cancel();
    EXPECT_FALSE(reader.loaded());
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_TRUE(prodTest.parms.empty());
}

TEST_F(CurrentReader, AWindowThatRegistersTwiceIsToldOnce) {
    reader.RegisterForParms(&tune);
    Request(tune);
    EXPECT_EQ(reader.clientCount(), 1u);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(tune.parms, std::vector<bool>{true});
}

TEST_F(CurrentReader, ANewRequestDuringARunningReadAnswersTheEarlierClientsFirst) {
    Request(tune);
    ASSERT_TRUE(sched.advanceUntil([&] { return reader.dialogueState() == ReadWriteState::AwaitData; }, 5000));
    Request(prodTest);
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_EQ(reader.dialogueState(), ReadWriteState::Idle);
    EXPECT_EQ(reader.clientCount(), 1u);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(prodTest.parms, std::vector<bool>{true});
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_EQ(hostWrites("?").size(), 2u);
}

TEST_F(CurrentReader, AClientMayAskAgainFromItsCallback) {
    int asked = 0;
    tune.onUpdateParms = [&] {
        if (++asked == 1) reader.RegisterForParms(&tune);
    };
    Request(tune);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(reader.clientCount(), 1u);  // kept for the next read
    reader.Load();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(tune.parms, (std::vector<bool>{true, true}));
}

TEST_F(CurrentReader, ALayoutTwoModemSends29Records) {
    modemRecord.eepromVersion = 2;
    modemRecord.model = familyRNet;
    ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
    Request(tune);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(LinesOf(modem.sentBytes, "R1").size(), 29u);
    EXPECT_EQ(reader.stepCount(), 29);
    EXPECT_EQ(reader.stepTotal(), 29);
    EXPECT_EQ(ctx.state.currentParameters.eepromVersion, 2);
    EXPECT_EQ(tune.parms, std::vector<bool>{true});
}

TEST_F(CurrentReader, AnImageOfNoKnownLayoutIsNotFound) {
    modem.image[0] = 1;
    const ModemParameters before = ctx.state.currentParameters;
    Request(tune);
    dialogs.expectBox("Modem Type is not correct!");
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_EQ(ctx.state.currentParameters, before);
}

TEST_F(CurrentReader, TheReadWaitsBehindAnotherWindow) {
    view.active = false;
    Request(tune);
    sched.advance(5000);
    EXPECT_TRUE(hostWrites().empty());
    view.active = true;
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(tune.parms, std::vector<bool>{true});
}

}  // namespace
}  // namespace k45::test
