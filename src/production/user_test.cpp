#include "production/user_test.h"

#include "base/utilities.h"
#include "model/app_state.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "programming/radio_off.h"
#include "radio/synthesizer.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

std::int16_t ScaleChannelPower(std::int16_t tunedPower, std::int16_t channelPowerLevel) {
    return static_cast<std::int16_t>(RoundHalfEven(tunedPower / 255.0 * channelPowerLevel));
}

UserTestDialogue::UserTestDialogue(PanelLinks links, UserTestView& view) : TestPanelDialogue(links, view), userView_(view) {}

void UserTestDialogue::Load() {
    if (load_.loaded()) return;
    switchSendPending_ = channelSendPending_ = clearSendPending_ = redirectSendPending_ = false;
    TestPanelDialogue::Load();
    txTime_ = 6;
    transmitMode_ = txTone;
    diagnosticsEnabled_ = true;
    diagGroup_ = diagCurrent;
    channelOverrideIndex_ = 0;
    exchange_.ClearResends();
}

int UserTestDialogue::ChannelUnderTest() const {
    const int c = channelOverrideIndex_ - 1;
    return c < 0 ? switchSetting_ : c;
}

void UserTestDialogue::TakeParameters() {
    const ModemParameters& p = links_.records.currentParameters;
    // A redirect the modem reports outside 1..8 is shown but selects no channel.
    const int redirect = p.channelOverride;
    channelOverrideIndex_ = redirect >= 0 && redirect <= 8 ? redirect : 0;
    userView_.SelectChannelOverride(channelOverrideIndex_);
    userView_.SetChannelWarning(redirect != 0
                                    ? "Note: Channel 8 is redirected to Channel " + std::to_string(redirect) + "."
                                    : "Note: Channel 8 is Not redirected to any Channel.");
    const int channel = ChannelUnderTest();
    if (channel >= 0 && channel <= 7) {
        tuneRecord_.txFrequency = p.channels[static_cast<std::size_t>(channel)].txFrequency;
        tuneRecord_.rxFrequency = p.channels[static_cast<std::size_t>(channel)].rxFrequency;
    }
    view_.SetFrequencyTexts(FormatHz(tuneRecord_.txFrequency), FormatHz(tuneRecord_.rxFrequency));
    BuildTuneRecord(links_.records, tuneRecord_, p);
}

void UserTestDialogue::ActivateReady() {
    if (dialogState_ == TestPanelState::ParametersReady) SendSwitchRequest();
}

void UserTestDialogue::SendSwitchRequest() {
    dialogState_ = TestPanelState::Idle;
    // Nothing later sends the switch reading that sets the radio up after the read: it is not
    // dropped for a window that is no longer active (it waited behind the owed unkey).
    if (!RadioLetsSend(switchSendPending_)) return;
    OpenExchange(CommandLine("CSWITCH"), TestPanelState::AwaitingSwitchSetting);
}

void UserTestDialogue::SendChannelTuneRecord() {
    if (!MaySend(channelSendPending_)) return;
    const ModemParameters& p = links_.records.currentParameters;
    TuneRecord& t = tuneRecord_;
    const int channel = ChannelUnderTest();
    const bool valid = channel >= 0 && channel <= 7;
    if (valid) {
        t.txFrequency = p.channels[static_cast<std::size_t>(channel)].txFrequency;
        t.rxFrequency = p.channels[static_cast<std::size_t>(channel)].rxFrequency;
    }
    view_.SetFrequencyTexts(FormatHz(t.txFrequency), FormatHz(t.rxFrequency));
    InterpolateCurrentValues(p.radioType, p.radioRange);
    if (valid) t.powerValue = ScaleChannelPower(t.powerValue, p.powerAdjust[static_cast<std::size_t>(channel)]);
    SetDirection();
    SelectCnFcAdjust(links_.records, t, nullptr, false, true, false, 0);
    SendTuneAwaiting(TestPanelState::AwaitingChannelTuneAck);
    StartTxMode();
}

void UserTestDialogue::ChannelOverrideSelected(int index) {
    channelOverrideIndex_ = index < 0 || index > 8 ? 0 : index;
    SendChannelTuneRecord();
}

void UserTestDialogue::ChannelChangeButton() {
    redirectChannel_ = static_cast<std::int16_t>(channelOverrideIndex_);
    const std::string question =
        redirectChannel_ != 0
            ? "Do you want to Re-Direct Channel 8 to Channel " + std::to_string(redirectChannel_) + "?"
            : "Do you want to Disable the Re-Directing of Channel 8?";
    if (!links_.services.dialogs) return;
    const LoadToken::Value token = load_.Take();
    const MsgAnswer a = links_.services.dialogs->messageBox(question, "", MsgButtons::OKCancel, MsgIcon::None);
    if (a == MsgAnswer::OK && load_.Still(token)) SendChannelRedirect();
}

void UserTestDialogue::SendChannelRedirect() {
    if (!MaySend(redirectSendPending_)) return;
    OpenExchange(CommandAndByteLine("CHANNEL", redirectChannel_), TestPanelState::AwaitingRedirectAck);
}

void UserTestDialogue::SendClearDiagnostics() {
    if (!MaySend(clearSendPending_)) return;
    OpenExchange(CommandLine("AR"), TestPanelState::AwaitingClearAck);
}

void UserTestDialogue::RunPendingSends() {
    if (switchSendPending_) {
        switchSendPending_ = false;
        SendSwitchRequest();
    }
    if (channelSendPending_) {
        channelSendPending_ = false;
        SendChannelTuneRecord();
    }
    if (clearSendPending_) {
        clearSendPending_ = false;
        SendClearDiagnostics();
    }
    if (redirectSendPending_) {
        redirectSendPending_ = false;
        SendChannelRedirect();
    }
}

bool UserTestDialogue::OwnsState(TestPanelState state) const {
    switch (state) {
    case TestPanelState::AwaitingSwitchSetting:
    case TestPanelState::AwaitingChannelTuneAck:
    case TestPanelState::AwaitingRedirectAck:
    case TestPanelState::AwaitingClearAck:
    case TestPanelState::AwaitingResentEndTestAck: return true;
    default: return false;
    }
}

void UserTestDialogue::TakeOwnReply(const RadioReply& reply) {
    if (reply.kind != RadioReply::Kind::Acknowledged) return;
    switch (dialogState_) {
    case TestPanelState::AwaitingSwitchSetting:
        // The setting travels as the record's one data byte; a bare acknowledgement has none.
        if (reply.record->dataCount < 1) return;
        switchSetting_ = reply.record->data[0];
        userView_.SetSwitchSetting(kSwitchSettingText + std::to_string(switchSetting_ + 1) + ".");
        dialogState_ = TestPanelState::Idle;
        SendChannelTuneRecord();
        break;
    case TestPanelState::AwaitingChannelTuneAck:
    case TestPanelState::AwaitingRedirectAck:
    case TestPanelState::AwaitingClearAck:
        exchange_.Stop();
        CompleteExchange();
        if (reply.offAfterWarning) Tell(kTxOffLaterText);
        break;
    case TestPanelState::AwaitingResentEndTestAck: EndTestAnswered(reply.offAfterWarning); break;
    default: break;
    }
}

void UserTestDialogue::OwnTimeout() {
    switch (dialogState_) {
    case TestPanelState::AwaitingSwitchSetting:
        if (!exchange_.Resend(ModemExchange::Tally::Silent)) CompleteExchange();
        break;
    case TestPanelState::AwaitingChannelTuneAck: TuneTimedOut(); break;
    case TestPanelState::AwaitingRedirectAck:
    case TestPanelState::AwaitingClearAck:
        // Not resent while transmitting.
        if (transmitSelected_ || !exchange_.Resend(ModemExchange::Tally::Counted)) CompleteExchange();
        break;
    case TestPanelState::AwaitingResentEndTestAck:
        if (!exchange_.Resend(ModemExchange::Tally::Counted)) EndTestUnanswered();
        break;
    default: break;
    }
}

bool UserTestDialogue::KeyDown(int keyCode, int modifiers) {
    if ((modifiers & (kShiftBit | kCtrlBit | kAltBit)) != 0) return false;
    if (keyCode == keyF7) {
        if (links_.modes.engineerMode) diagnosticsEnabled_ = !diagnosticsEnabled_;
        return false;
    }
    return TestPanelDialogue::KeyDown(keyCode, modifiers);
}

}  // namespace k45
