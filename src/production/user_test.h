#pragma once
// The user test panel's dialogue: the shared panel dialogue on the modem's own channels, with
// the channel-switch reading ("CSWITCH"), the channel-8 redirection ("CHANNEL") and the
// diagnostics clear ("AR") as exchanges of their own that are resent up to three times.
#include <cstdint>
#include <string>

#include "production/test_panel.h"

namespace k45 {

class UserTestView : public TestPanelView {
public:
    virtual void SetChannelWarning(const std::string& text) = 0;
    virtual void SetSwitchSetting(const std::string& text) = 0;
    // Selects an entry of comboChannelOverride without running its handler.
    virtual void SelectChannelOverride(int index) = 0;
};

inline constexpr const char* kSwitchSettingText = "DIP Switches (or CS0, CS1 and CS2) are set to Channel ";

// The power value of a channel: the tuned value scaled by the channel's power level (255
// leaves it), to the nearest whole number.
std::int16_t ScaleChannelPower(std::int16_t tunedPower, std::int16_t channelPowerLevel);

class UserTestDialogue : public TestPanelDialogue {
public:
    UserTestDialogue(PanelLinks links, UserTestView& view);

    void Load() override;
    bool KeyDown(int keyCode, int modifiers) override;
    // comboChannelOverride: 0 "Disabled", 1..8 the channels.
    void ChannelOverrideSelected(int index);
    // buttonChannelChange ("Chan&ge Channel 8"): asks, then sends "CHANNEL".
    void ChannelChangeButton();
    // buttonClearDiag: "AR" as an exchange.
    void ClearButton() { SendClearDiagnostics(); }

    std::int16_t switchSetting() const { return switchSetting_; }
    bool diagnosticsEnabled() const { return diagnosticsEnabled_; }
    bool redirectSendPending() const { return redirectSendPending_; }

protected:
    void SendTuneSetup() override { SendChannelTuneRecord(); }
    void TakeParameters() override;
    void RunPendingSends() override;
    bool PollEnabled() const override { return diagnosticsEnabled_; }
    bool SendsPending() const override {
        return switchSendPending_ || channelSendPending_ || clearSendPending_ || redirectSendPending_;
    }
    void ActivateReady() override;
    void TakeOwnReply(const RadioReply& reply) override;
    void OwnTimeout() override;
    bool OwnsState(TestPanelState state) const override;
    TestPanelState EndTestAckState() const override { return TestPanelState::AwaitingResentEndTestAck; }

private:
    void SendChannelTuneRecord();
    void SendChannelRedirect();
    void SendClearDiagnostics();
    void SendSwitchRequest();
    int ChannelUnderTest() const;

    UserTestView& userView_;
    bool switchSendPending_ = false;  // the switch reading waits behind the owed unkey
    bool channelSendPending_ = false;
    bool clearSendPending_ = false;
    bool redirectSendPending_ = false;
    bool diagnosticsEnabled_ = true;
    std::int16_t switchSetting_ = 0;
    std::int16_t redirectChannel_ = 0;
    int channelOverrideIndex_ = 0;
};

}  // namespace k45
