#pragma once
// The calibration windows: power table (formProgPwr), RSSI table (formProgRssi) and RSSI
// temperature compensation (formTempComp), each around its dialogue.
#include <vector>

#include "production/power_cal.h"
#include "production/rssi_cal.h"
#include "production/ui/panel_window_support.h"

class QLabel;
class QPushButton;

namespace k45 {

class formProgPwr : public ProductionWindow<PowerCalDialogue, PowerCalView>,
                    public FreqOffsetForm,
                    public PortSwapClient {
    Q_OBJECT
public:
    explicit formProgPwr(AppContext& ctx, QWidget* parent = nullptr);
    ~formProgPwr() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }
    void SetFreqOffsets(std::int32_t rx, std::int32_t tx) override {
        dialogue_->setSettings({.rxFreqOffset = rx, .txFreqOffset = tx});
    }

    QLabel *labelProg = nullptr, *labelFreq = nullptr, *labelLevel = nullptr;
    QLabel *labelPwrAdj = nullptr, *labelPwrAdjHex = nullptr, *labelPwrA2D = nullptr, *labelPwrA2DHex = nullptr;
    QPushButton *buttonOK = nullptr, *buttonCancel = nullptr, *buttonClear = nullptr;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetProg(const std::string& t) override;
    void SetFreq(const std::string& t) override;
    void SetLevel(const std::string& t) override;
    void SetPowerAdjust(const std::string& dec, const std::string& hex) override;
    void SetPowerReading(const std::string& dec, const std::string& hex) override;
    void SetOkEnabled(bool on) override;
    void SetActionsEnabled(bool on) override;
    void FocusOk() override;
    void ShowButtonsEnabled();

    bool okWanted_ = true;  // the dialogue's own choice for OK
    bool ready_ = false;    // the parameters are in hand
};

// The labels and buttons formProgRssi and formTempComp share, and what their dialogues show
// in them.
class RssiControls : public RssiCalView {
public:
    QLabel *labelProg = nullptr, *labelFreq = nullptr, *labelLevel = nullptr, *labelSavedA2D = nullptr;
    QLabel *labelRssiA2D = nullptr, *labelRssiA2DHex = nullptr, *labelTemp = nullptr, *labelTempA2DHex = nullptr;
    QPushButton *buttonOK = nullptr, *buttonCancel = nullptr, *buttonClear = nullptr;

protected:
    void SetProg(const std::string& t) override;
    void SetFreq(const std::string& t) override;
    void SetLevel(const std::string& t) override;
    void SetSavedReading(const std::string& t) override;
    void SetRssiReading(const std::string& dec, const std::string& hex) override;
    void SetTemperature(const std::string& text, const std::string& hex) override;
    void SetOkEnabled(bool on) override;
    void SetActionsEnabled(bool on) override;
    void FocusOk() override;
    void ShowButtonsEnabled();

    // Buttons that act only with the parameters in hand, besides OK.
    std::vector<QPushButton*> actionButtons_;
    bool okWanted_ = true;
    bool ready_ = false;
};

class formProgRssi : public ProductionWindow<RssiCalDialogue, RssiControls>,
                     public FreqOffsetForm,
                     public PortSwapClient {
    Q_OBJECT
public:
    explicit formProgRssi(AppContext& ctx, QWidget* parent = nullptr);
    ~formProgRssi() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }
    void SetFreqOffsets(std::int32_t rx, std::int32_t tx) override {
        dialogue_->setSettings({.rxFreqOffset = rx, .txFreqOffset = tx});
    }

protected:
    void Form_Load() override;
};

class formTempComp : public ProductionWindow<TempCompDialogue, RssiControls>, public PortSwapClient {
    Q_OBJECT
public:
    explicit formTempComp(AppContext& ctx, QWidget* parent = nullptr);
    ~formTempComp() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }

    QPushButton *buttonSkip = nullptr, *buttonSkipToEnd = nullptr;

protected:
    void Form_Load() override;
};

}  // namespace k45
