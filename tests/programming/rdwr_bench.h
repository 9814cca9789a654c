#pragma once
// The read/write dialogue on the bench, with a window that records what it is told.
#include <string>
#include <vector>

#include "programming/parms_rd_wr.h"
#include "programming/programming_bench.h"

namespace k45::test {

struct RecordingRdWrView : ParmsRdWrView {
    bool active = true;
    std::function<void()> onClose;
    int closes = 0;
    std::string caption;
    std::vector<std::pair<std::string, std::string>> labels;
    std::vector<int> percents;
    bool okEnabled = false;
    bool IsActiveChild() const override { return active; }
    void CloseWindow() override {
        ++closes;
        if (onClose) onClose();
    }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetLabels(const std::string& upper, const std::string& lower) override { labels.emplace_back(upper, lower); }
    void SetPercent(int percent) override { percents.push_back(percent); }
    void SetOkEnabled(bool on) override { okEnabled = on; }
};

class ReadWriteBench : public ProgrammingBench {
protected:
    ReadWriteBench() { view.onClose = [this] { dlg.Unload(); }; }

    // As the openers do: autoStart, then the mode, then the window loads and is activated.
    void Open(ParmsMode mode, bool autoStart) {
        dlg.setSettings({.autoStart = autoStart, .parmsMode = mode});
        dlg.Load();
        if (dlg.loaded()) dlg.Activate();
    }
    // Runs until the window has closed (or limitMs of virtual time passed).
    bool RunToClose(std::int64_t limitMs = 60000) {
        return sched.advanceUntil([this] { return !dlg.loaded(); }, limitMs);
    }
    // Runs until the dialogue is in state s; the time it got there.
    std::int64_t RunToState(ReadWriteState s, std::int64_t limitMs = 20000) {
        EXPECT_TRUE(sched.advanceUntil([&] { return dlg.dialogueState() == s; }, limitMs))
            << "state " << static_cast<int>(s);
        return sched.nowMs();
    }
    // The record the modem's present image decodes to, over a copy of `base`.
    ModemParameters ModemHolds(ModemParameters base) {
        EXPECT_TRUE(modem.decodeInto(ctx.state, base));
        return base;
    }

    RecordingRdWrView view;
    ParmsRdWrDialogue dlg{DialogueLinks::Of(ctx), view};
    RecordingClient client;
};

}  // namespace k45::test
