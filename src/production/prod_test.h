#pragma once
// The production test panel's dialogue: the shared panel dialogue with the production
// controls (radio type and range, frequency pair with wrap-around, modem channel, Rx and Tx
// offsets, synthesizer), the adjust keys and direct value on the test points, the hand-off to
// the DAC values editor, the calibration windows and the write-back of the tuned values.
#include <cstdint>
#include <optional>
#include <string>

#include "production/test_panel.h"

namespace k45 {

// The production panel's window: the controls it moves by itself and the calibration windows it
// opens.
class ProdTestView : public TestPanelView {
public:
    // Selects an entry of comboFreqPair without running its handler.
    virtual void SelectFreqPair(int index) = 0;
    // Unloads a loaded power (RSSI) calibration window, sets its offsets and shows it.
    virtual void OpenPowerCalibration(std::int32_t rxOffsetHz, std::int32_t txOffsetHz) = 0;
    virtual void OpenRssiCalibration(std::int32_t rxOffsetHz, std::int32_t txOffsetHz) = 0;
};

// ItemData of the frequency-pair entries: blank, LOW, MID, HIGH, blank.
std::int16_t FreqPairPoint(int index);
// Offset in Hz of an entry of the 75 kHz offset lists (0 outside 0..16).
std::int32_t OffsetOfIndex(int index);

class ProdTestDialogue : public TestPanelDialogue, public DacValuesClient {
public:
    ProdTestDialogue(PanelLinks links, ProdTestView& view);

    void Load() override;
    bool KeyDown(int keyCode, int modifiers) override;

    // ---- control handlers (the operator's choices)
    void RadioTypeSelected(std::int32_t type);
    void RadioRangeSelected(std::int32_t range);
    void RxOffsetSelected(int index);
    void TxOffsetSelected(int index);
    void ChannelSelected(int index);
    void FreqPairSelected(int index);
    // buttonDirectDac or Enter in textDirectDac, with the box's value (0 when not a number).
    void DirectValue(std::int32_t value);

    void UpdateDacValues() override;

    // ---- for the window and tests
    int channelIndex() const { return channelIndex_; }
    int freqPairIndex() const { return freqPairIndex_; }
    std::int16_t currentPoint() const { return currentPoint_; }
    int rxOffsetIndex() const { return rxOffsetIndex_; }
    int txOffsetIndex() const { return txOffsetIndex_; }
    bool cnFcEnabled() const { return sa7026_; }
    bool pairSendPending() const { return pairSendPending_; }
    const ModemParameters& panelParameters() const { return panelParameters_; }

protected:
    void SendTuneSetup() override;
    void TakeParameters() override;
    void RunPendingSends() override;
    bool SendsPending() const override { return pairSendPending_ || channelSendPending_; }
    bool ShowsDiagnostics() const override { return parametersRequested_; }

private:
    void SendPairTuneRecord();
    void SendChannelTuneRecord(int channel);
    void SendVariant(bool pair, int channel);
    void Save();
    void HandOffDacValues();
    std::int16_t& FcEntry(int point);

    ProdTestView& prodView_;
    ModemParameters panelParameters_{};
    bool pairSendPending_ = false;
    bool channelSendPending_ = false;
    bool sendEnabled_ = false;
    std::int16_t currentPoint_ = 1;
    std::int32_t rxOffsetHz_ = 0;
    std::int32_t txOffsetHz_ = 0;
    int rxOffsetIndex_ = 0;
    int txOffsetIndex_ = 0;
    int channelIndex_ = 0;
    int freqPairIndex_ = 2;
};

}  // namespace k45
