#pragma once
// The power table calibration's dialogue: the radio transmits on the Mid test frequency while
// the operator trims the power adjust value to each of five target powers; "AR" clears the
// diagnostics, the transmitter goes off and "AT" reads the forward-power A/D value of the
// point. After the fifth point the power table is built and written with the modem's
// parameters; Clear writes them with the table erased.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "params/diag_parsers.h"
#include "production/calibration_dialogue.h"
#include "production/panel_support.h"
#include "production/test_panel.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

class PowerCalView {
public:
    virtual ~PowerCalView() = default;
    // labelProg, labelFreq, labelLevel.
    virtual void SetProg(const std::string& text) = 0;
    virtual void SetFreq(const std::string& text) = 0;
    virtual void SetLevel(const std::string& text) = 0;
    virtual void SetPowerAdjust(const std::string& dec, const std::string& hex) = 0;
    virtual void SetPowerReading(const std::string& dec, const std::string& hex) = 0;
    virtual void SetOkEnabled(bool on) = 0;
    // OK and Clear can act: the modem's parameters are in hand.
    virtual void SetActionsEnabled(bool on) = 0;
    virtual void FocusOk() = 0;
};

class PowerCalDialogue : public CalibrationDialogue {
public:
    static constexpr int kResponseMs = 750;
    static constexpr int kPoints = 5;

    PowerCalDialogue(PanelLinks links, PowerCalView& view);

    void Load();
    // Leaving by any way: a radio that may transmit is sent the receive tune record first; with
    // the port closed the operator hears that it could not be.
    void Unload();
    // Swap Comm Ports, before the ports change hands: a radio that may transmit is sent the
    // receive record, then a radio in a test "T0", both on the old primary port.
    void PortsSwapping();
    void OK();
    void Cancel();
    void Clear();
    bool KeyDown(int keyCode, int modifiers);

    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    bool transmitSelected() const { return transmitSelected_; }
    int pointIndex() const { return pointIndex_; }
    const PowerCalPoints& powerPoints() const { return powerPoints_; }

protected:
    void SendPointTuneRecord() override;
    void CompleteExchange() override;
    void ResponseTick() override;
    std::string UnkeyLine() override;
    void UnkeyAcknowledged() override;
    void PortMoved() override;
    void ShowParametersTaken() override;
    void ShowActionsEnabled(bool on) override { view_.SetActionsEnabled(on); }

private:
    // The point's record with the transmitter as selected; false when it did not go (deferred,
    // behind an owed unkey, the port closed, or the window in the background).
    bool SendRecordNow(bool operatorAction);
    void TakeReading(std::span<const std::int16_t> block);
    void StorePoint();
    void AskSave();
    // An exchange given up (or a point that could not be measured): OK is offered to key
    // again, and the radio is sent its unkey (owed while it may transmit).
    void GiveUpTransmitting(bool pointLost);
    void ShowPowerValue();

    PowerCalView& view_;
    bool transmitSelected_ = false;
    bool sendPending_ = false;
    // The record after a point could not go while the window was in the background: the first
    // tick in front sends it.
    bool recordUnsent_ = false;
    // The record after the last point is still to go (behind an owed unkey, or into a port that
    // comes back): its acknowledgement brings the save question.
    bool finalPending_ = false;
    PowerCalPoints powerPoints_{};
    int pointIndex_ = 0;
    DiagnosticsRecord diagnostics_{};
    std::int16_t reading_ = 0;
};

}  // namespace k45
