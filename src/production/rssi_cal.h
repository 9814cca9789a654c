#pragma once
// The RSSI table calibration and the RSSI temperature compensation: both tune the radio to
// receive on the Mid test frequency and poll "AT" for the temperature and RSSI A/D values;
// OK averages the next four RSSI readings into the point shown. The calibration takes six
// generator levels and builds the RSSI table; the compensation takes six levels at each of six
// chamber temperatures and builds the compensation table. Both write the tables with the
// modem's parameters.
#include <array>
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

// The labels of both windows; each shows what it has.
class RssiCalView {
public:
    virtual ~RssiCalView() = default;
    virtual void SetProg(const std::string& text) = 0;
    // labelFreq (calibration) or labelFreqLevel (compensation).
    virtual void SetFreq(const std::string& text) = 0;
    // labelLevel (calibration) or labelTempLevel (compensation).
    virtual void SetLevel(const std::string& text) = 0;
    virtual void SetSavedReading(const std::string& text) = 0;
    virtual void SetRssiReading(const std::string& dec, const std::string& hex) = 0;
    virtual void SetTemperature(const std::string& text, const std::string& hex) = 0;
    virtual void SetOkEnabled(bool on) = 0;
    // OK, Clear (and the compensation's Skip buttons) can act: the modem's parameters are in hand.
    virtual void SetActionsEnabled(bool on) = 0;
    virtual void FocusOk() = 0;
};

class RssiSampleDialogue : public CalibrationDialogue {
public:
    static constexpr int kPollMs = 750;
    static constexpr int kResponseMs = 1000;

    RssiSampleDialogue(PanelLinks links, RssiCalView& view);
    ~RssiSampleDialogue() override;

    virtual void Load();
    // The close box and Cancel: a radio that may transmit (another window keyed it) is sent
    // its unkey, or the operator hears that it could not be.
    void Unload();
    // Swap Comm Ports, before the ports change hands: a radio in a test is sent "T0" on the old
    // primary port; a reading set in progress is dropped (the next readings would come from
    // the radio the port leads to next).
    void PortsSwapping();
    void OK();
    void Cancel() { Close(); }
    virtual void Clear() = 0;

    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    int sampleCount() const { return sampleCount_; }

protected:
    virtual void ShowPointLabels() = 0;
    // The average of the four readings of the point now offered.
    virtual void TakeAverage(std::int16_t average) = 0;
    // A set of four readings in progress is dropped; OK takes a new one.
    void DropReadingSet();
    void SendPointTuneRecord() override;
    void CompleteExchange() override;
    void ResponseTick() override;
    std::string UnkeyLine() override;
    void ShowParametersTaken() override;
    void ShowActionsEnabled(bool on) override { view_.SetActionsEnabled(on); }

    RssiCalView& view_;
    int sampleCount_ = 4;

private:
    // The point's receive record (the radio listens on the test frequency).
    void SetReceiveRecord();
    void RequestSample();
    void TakeReading(std::span<const std::int16_t> block);
    void PollTick();

    std::unique_ptr<Timer> timerDiagnostics_;
    bool sendPending_ = false;
    bool samplePending_ = false;
    DiagnosticsRecord diagnostics_{};
    std::array<std::int16_t, 4> rssiSamples_{};
};

class RssiCalDialogue : public RssiSampleDialogue {
public:
    static constexpr int kLevels = 6;
    RssiCalDialogue(PanelLinks links, RssiCalView& view) : RssiSampleDialogue(links, view) {}

    void Load() override;
    void Clear() override;
    int levelIndex() const { return levelIndex_; }

protected:
    void ShowPointLabels() override;
    void TakeAverage(std::int16_t average) override;

private:
    void EndOfRun();
    RssiCalPoints rssiPoints_{};
    int levelIndex_ = 0;
};

class TempCompDialogue : public RssiSampleDialogue {
public:
    static constexpr int kLevels = 6;
    static constexpr int kTemperatures = 6;
    TempCompDialogue(PanelLinks links, RssiCalView& view) : RssiSampleDialogue(links, view) {}

    void Load() override;
    void Clear() override;
    void Skip();
    void SkipToEnd();
    void CancelButton();
    int levelIndex() const { return levelIndex_; }
    int tempIndex() const { return tempIndex_; }
    const RssiTempComp& rssiTempComp() const { return rssiTempComp_; }

protected:
    void ShowPointLabels() override;
    void TakeAverage(std::int16_t average) override;

private:
    void Advance();
    void BuildAndProgramTempComp();
    RssiTempComp rssiTempComp_{};
    int levelIndex_ = 0;
    int tempIndex_ = 0;
};

}  // namespace k45
