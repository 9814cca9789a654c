#pragma once
// The power table calibration's dialogue: the radio transmits on the Mid test frequency while
// the operator trims the power adjust value to each of five target powers; "AR" clears the
// diagnostics, the transmitter goes off and "AT" reads the forward-power A/D value of the
// point. After the fifth point the power table is built and written with the modem's
// parameters; Clear writes them with the table erased.
#include <cstdint>
#include <memory>
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
    // Leaving by any way: a keyed transmitter is sent the receive tune record first.
    void Unload();
    // Swap Comm Ports, before the ports change hands: a keyed radio is sent the receive record,
    // then a radio in a test "T0", both on the old primary port.
    void PortsSwapping();
    void OK();
    void Cancel();
    void Clear();
    bool KeyDown(int keyCode, int modifiers);

    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    bool transmitSelected() const { return transmitSelected_; }
    // The radio may be transmitting: a keyed record went out and no receive record was
    // acknowledged since.
    bool keyed() const { return exchange_.mayTransmit(); }
    int pointIndex() const { return pointIndex_; }
    const PowerCalPoints& powerPoints() const { return powerPoints_; }

protected:
    void SendPointTuneRecord() override;
    void CompleteExchange() override;
    void ResponseTick() override;
    void ShowParametersTaken() override;
    void ShowActionsEnabled(bool on) override { view_.SetActionsEnabled(on); }

private:
    void TakeReading();
    void AskSave();
    // A radio that may transmit is sent the receive record.
    void Unkey();
    void SendReceiveRecord();
    // An exchange given up while the radio may transmit (or a point could not be measured): OK
    // offered to key again, the unkey owed and sent (SendUnkey).
    void GiveUpTransmitting(bool pointLost);
    // The owed receive record, awaiting its acknowledgement; with the port closed nothing is sent.
    void SendUnkey();
    void UnkeyAnswered();
    void UnkeyGivenUp();
    // The port is closed: told once while it stays closed; a radio that may transmit is owed
    // its unkey.
    void TellPortClosed();
    int PortNumber() const;
    void Tell(const std::string& text);
    void ShowPowerValue();

    PowerCalView& view_;
    bool transmitSelected_ = false;
    bool sendPending_ = false;
    bool pointLost_ = false;  // the unkey owed follows a point given up
    PowerCalPoints powerPoints_{};
    int pointIndex_ = 0;
    DiagnosticReply reply_;
    DiagnosticsRecord diagnostics_{};
    std::int16_t reading_ = 0;
};

}  // namespace k45
