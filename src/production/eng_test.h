#pragma once
// The engineer test panel's dialogue: the shared panel dialogue on free Rx and Tx frequencies
// typed in MHz, with direct sends of the adjust values ("POTGAIN", "POTDEV", "T1"), the DTR
// line test and the key that keys an 8-second modulation balance. The remote control drives
// it through RemoteAdjust, SetBothFrequencies, RequestStatus and the keys.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "production/test_panel.h"

namespace k45 {

class EngTestDialogue : public TestPanelDialogue {
public:
    EngTestDialogue(PanelLinks links, TestPanelView& view);

    void Load() override;
    void Unload() override;
    bool KeyDown(int keyCode, int modifiers) override;

    // The frequency boxes as typed.
    void FrequencyTextsEdited(const std::string& tx, const std::string& rx) { txText_ = tx, rxText_ = rx; }
    // The lists have no handlers: the choice is used at the next send.
    void RadioTypeChosen(std::optional<std::int32_t> type) { selectedType_ = type; }
    void RadioRangeChosen(std::optional<std::int32_t> range) { selectedRange_ = range; }
    void DirectAdjust(std::int32_t value);
    // checkTest: the DTR line of the primary port.
    void TestChecked(bool on);

    // ---- remote control
    // Both frequency boxes show hz.
    void SetBothFrequencies(std::int32_t hz);
    // Adjust value n := v; false when it was not carried out (no parameters read yet).
    bool RemoteAdjust(int n, std::int32_t v);
    // "RSSI" or "AS" at once, in any state; the reply runs through the diagnostics handling.
    void RequestStatus(const std::string& command);
    void SetPollInterval(int ms);
    // F8 in the controller role: true when the remote control took it.
    std::function<bool()> controllerF8;

    const std::string& rxText() const { return rxText_; }

protected:
    void SendTuneSetup() override { SendFrequencyTuneRecord(); }
    void TakeParameters() override;
    void RunPendingSends() override;
    bool SendsPending() const override {
        return tuneSendPending_ || adjustSendPending_ || gainSendPending_ || deviationSendPending_;
    }

private:
    void SendFrequencyTuneRecord();
    void ReadFrequencyTexts();
    void Adjust(int step);
    // The adjust sends: at once in any state, but behind an owed unkey (they then go after it).
    void SendAdjustedRecord();
    void SendPot(bool gain);

    bool tuneSendPending_ = false;
    bool adjustSendPending_ = false;     // the tune record with an adjusted value
    bool gainSendPending_ = false;       // "POTGAIN"
    bool deviationSendPending_ = false;  // "POTDEV"
    std::string txText_, rxText_;
};

}  // namespace k45
